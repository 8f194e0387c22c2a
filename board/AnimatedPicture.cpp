#include "board/AnimatedPicture.h"

#include "gamedata/Pictures.h"
#include "widgets/AccessibleFactory.h"
#include "widgets/Twips.h"

#include <QFileInfo>
#include <QMovie>
#include <QPainter>

namespace trouvimo {

AnimatedPicture::AnimatedPicture(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    // A screen reader names the picture after its word.
    provideAccessibleRole<AnimatedPicture, QAccessible::Graphic>();
}

AnimatedPicture::~AnimatedPicture() = default;

std::optional<QSizeF> AnimatedPicture::load(const QString& file)
{
    clear();
    const PictureProbe probe = probePicture(file);
    if (probe.fault != PictureFault::None)
        return std::nullopt;

    // The frames are decoded as the picture plays, after the tick that showed it; a file whose
    // frames turn out to be broken simply shows nothing.
    auto movie = std::make_unique<QMovie>(file);
    if (!movie->isValid())
        return std::nullopt;

    m_movie = std::move(movie);
    m_file = file;
    // A decoder that cannot shrink a frame while decoding it hands it to QImage::scaled(), which
    // keeps a palette frame in a palette: a palette PNG comes out in the web's 216 colours, a
    // two-colour one dithered in black and white. Such pictures are decoded at their own size and
    // each frame is shrunk here in full colour instead.
    m_decoderShrinks = probe.format != QImage::Format_Indexed8
        && probe.format != QImage::Format_Mono && probe.format != QImage::Format_MonoLSB;
    // A screen reader names the picture after its word.
    setAccessibleName(QFileInfo(file).completeBaseName());
    connect(m_movie.get(), &QMovie::frameChanged, this, &AnimatedPicture::takeFrame);
    // The caller gives the picture its place and size only after loading it; a picture that
    // stays shown meanwhile starts once that is done, at its new size.
    if (isVisible())
        QMetaObject::invokeMethod(this, &AnimatedPicture::play, Qt::QueuedConnection);
    update();
    return QSizeF(probe.size.width() * kTwipsPerPixel, probe.size.height() * kTwipsPerPixel);
}

void AnimatedPicture::clear()
{
    m_movie.reset();
    m_file.clear();
    m_frame = QImage();
    setAccessibleName(QString());
    update();
}

void AnimatedPicture::paintEvent(QPaintEvent* /*event*/)
{
    if (m_frame.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_frame);
}

void AnimatedPicture::play()
{
    if (!m_movie || !isVisible() || m_movie->state() == QMovie::Running)
        return;
    if (m_decoderShrinks)
        m_movie->setScaledSize(size());
    m_movie->start();
}

void AnimatedPicture::takeFrame()
{
    const QImage frame = m_movie->currentImage();
    m_frame = frame.size() == size() || frame.isNull()
        ? frame
        : frame.convertToFormat(QImage::Format_ARGB32_Premultiplied)
              .scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    update();
}

void AnimatedPicture::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    play();
}

// An animation that runs on takes its next frames at the new size, and the frame shown now
// follows at once.
void AnimatedPicture::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_movie)
        return;
    if (m_decoderShrinks)
        m_movie->setScaledSize(size());
    takeFrame();
}

void AnimatedPicture::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_movie)
        m_movie->stop();
}

} // namespace trouvimo
