#include "board/AnimatedPicture.h"

#include "platform/Twips.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMovie>
#include <QPainter>

namespace trouvimo {

namespace {

// A real picture of the game is a few tens of kilobytes; anything past this is not one.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

} // namespace

AnimatedPicture::AnimatedPicture(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

AnimatedPicture::~AnimatedPicture() = default;

std::optional<QSizeF> AnimatedPicture::load(const QString& file)
{
    clear();
    const QFileInfo info(file);
    if (!info.isFile() || info.size() <= 0 || info.size() > kMaxFileBytes)
        return std::nullopt;

    QImageReader probe(file);
    const QSize size = probe.size();
    if (!probe.canRead() || !size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide)
        return std::nullopt;

    // The frames are decoded as the picture plays, after the tick that showed it; a file whose
    // frames turn out to be broken simply shows nothing.
    auto movie = std::make_unique<QMovie>(file);
    if (!movie->isValid())
        return std::nullopt;

    m_movie = std::move(movie);
    m_file = file;
    // A screen reader names the picture after its word.
    setAccessibleName(info.completeBaseName());
    connect(m_movie.get(), &QMovie::frameChanged, this, [this] { update(); });
    if (isVisible())
        m_movie->start();
    update();
    return QSizeF(size.width() * kTwipsPerPixel, size.height() * kTwipsPerPixel);
}

void AnimatedPicture::clear()
{
    m_movie.reset();
    m_file.clear();
    setAccessibleName(QString());
    update();
}

void AnimatedPicture::paintEvent(QPaintEvent* /*event*/)
{
    if (!m_movie)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_movie->currentImage());
}

void AnimatedPicture::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_movie)
        m_movie->start();
}

void AnimatedPicture::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_movie)
        m_movie->stop();
}

} // namespace trouvimo
