#include "frmMots.h"

#include "ClickableLabel.h"
#include "GifPic.h"
#include "GraphicalButton.h"
#include "ResourcePng.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

// The part of the design that the background and the controls occupy, in twips.
constexpr double kContentWidth = 12135.0;
constexpr double kContentHeight = 8730.0;

constexpr int kTimer1Interval = 10;
constexpr int kTimer2Interval = 10;
constexpr int kTimer3Interval = 4000;

// The faces the board was drawn for are not on Linux; Comic Neue has the same friendly shapes.
QFont boardFont(double points, bool bold, double scale)
{
    QFont font;
    font.setFamilies({u"Comic Neue"_s, u"Comic Sans MS"_s, u"DejaVu Sans"_s});
    font.setPixelSize(std::max(1, pointsToPixels(points, scale)));
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The frame around the answer slots: a red outline and nothing inside.
class Outline : public QWidget {
public:
    explicit Outline(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    void setPenWidth(int width)
    {
        m_penWidth = width;
        update();
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        const int inset = m_penWidth / 2;
        QPen pen(QColor(255, 0, 0), m_penWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(inset, inset, -inset - m_penWidth % 2, -inset - m_penWidth % 2));
    }

private:
    int m_penWidth = 5;
};

// The credit line keeps the desktop's default face but must be read whole, and that face is
// wider here than the one it was laid out for: its size comes down until the line fits.
void fitFontToWidth(QLabel* label)
{
    QFont font = QApplication::font();
    int pixels = QFontInfo(font).pixelSize();
    font.setPixelSize(pixels);
    while (pixels > 6 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
        font.setPixelSize(--pixels);
    }
    label->setFont(font);
}

} // namespace

frmMots::frmMots(BoardServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowIcon(QIcon(QPixmap::fromImage(readPng(u":/board/face.png"_s))));
    setBackground(this, QColor(0, 0, 0));

    // The picture viewer must exist before the model, which loads pictures through it.
    m_GifPic = new GifPic(this);
    m_model = std::make_unique<BoardModel>(services, *m_GifPic, static_cast<MessageBox&>(*this));

    const QScreen* screen = QGuiApplication::primaryScreen();
    m_scale = screen ? fittingScale(screen->availableGeometry().size(), {}) : 1.0;
    buildControls();
    applyScale();

    m_model->Form_Load();
    sync();
}

frmMots::~frmMots() = default;

double frmMots::fittingScale(QSize available, QSize frameExtra)
{
    const QSize content = clientSize(1.0);
    const double byWidth = static_cast<double>(available.width() - frameExtra.width()) / content.width();
    const double byHeight = static_cast<double>(available.height() - frameExtra.height()) / content.height();
    return std::clamp(std::min(byWidth, byHeight), 0.25, 1.0);
}

QSize frmMots::clientSize(double scale)
{
    return { twipsToPixels(kContentWidth, scale), twipsToPixels(kContentHeight, scale) };
}

void frmMots::buildControls()
{
    // Created back to front, so that the drawn elements stack as the design lists them; the
    // buttons, the check box and the picture come last and lie in front of all of them.
    m_Image1 = new QLabel(this);
    m_Image1->setPixmap(QPixmap::fromImage(readPng(u":/board/board-background.png"_s)));
    m_Image1->setScaledContents(true);

    m_Label1.push_back(makeTile());

    m_Label2 = new QLabel(this);
    m_Label2->setAttribute(Qt::WA_TranslucentBackground);
    m_Label2->setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextColour(m_Label2, QColor(255, 0, 0));

    m_Shape1 = new Outline(this);

    for (int i = 0; i < BoardModel::kSlotCount; ++i) {
        auto* slot = new ClickableLabel(this);
        slot->setAlignment(Qt::AlignCenter);
        setBackground(slot, QColor(192, 192, 255));
        slot->setAccessibleDescription(u"Case %1"_s.arg(i + 1));
        connect(slot, &ClickableLabel::clicked, this, [this, i] {
            run([i](BoardModel& model) { model.Label3_Click(i); });
        });
        m_Label3[i] = slot;
    }
    // Slot 11 lies in front of the picture frame, the other slots behind it.
    m_Image2 = new QWidget(this);
    m_Image2->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_Image2->stackUnder(m_Label3[11]);
    for (int i = 10; i >= 0; --i)
        m_Label3[i]->stackUnder(m_Image2);

    m_Label4 = new QLabel(
        u"Décor réalisé avec \"Dessinez, c'est Disney\" et gifs animés récupérés sur Internet."_s, this);
    m_Label4->setAttribute(Qt::WA_TranslucentBackground);
    setTextColour(m_Label4, QColor(192, 255, 255));

    m_cmdJouer[0] = makeGraphicalButton(this, u":/board/tiger.png"_s, QColor(255, 0, 0));
    m_cmdJouer[1] = makeGraphicalButton(this, u":/board/dove.png"_s, QColor(0, 255, 0));
    for (int index = 0; index < 2; ++index) {
        connect(m_cmdJouer[index], &QToolButton::clicked, this, [this, index] {
            run([index](BoardModel& model) { model.cmdJouer_Click(index); });
        });
    }

    m_GifPic->raise();

    m_Check1 = new QCheckBox(this);
    setBackground(m_Check1, QApplication::palette().color(QPalette::ToolTipBase));
    connect(m_Check1, &QCheckBox::clicked, this, [this] {
        const int value = m_Check1->isChecked() ? 1 : 0;
        run([value](BoardModel& model) { model.Check1_Click(value); });
    });

    setTabOrder(m_cmdJouer[0], m_cmdJouer[1]);
    setTabOrder(m_cmdJouer[1], m_Check1);

    m_Timer1 = new QTimer(this);
    m_Timer2 = new QTimer(this);
    m_Timer3 = new QTimer(this);
    m_Timer1->setInterval(kTimer1Interval);
    m_Timer2->setInterval(kTimer2Interval);
    m_Timer3->setInterval(kTimer3Interval);
    // A tile moves 500 twips a tick; coarse timers would make it crawl at an uneven pace.
    m_Timer1->setTimerType(Qt::PreciseTimer);
    m_Timer2->setTimerType(Qt::PreciseTimer);
    m_Timer3->setTimerType(Qt::PreciseTimer);
    connect(m_Timer1, &QTimer::timeout, this, [this] { run([](BoardModel& model) { model.Timer1_Timer(); }); });
    connect(m_Timer2, &QTimer::timeout, this, [this] { run([](BoardModel& model) { model.Timer2_Timer(); }); });
    connect(m_Timer3, &QTimer::timeout, this, [this] { run([](BoardModel& model) { model.Timer3_Timer(); }); });
}

ClickableLabel* frmMots::makeTile()
{
    auto* tile = new ClickableLabel(this);
    tile->setAlignment(Qt::AlignCenter);
    tile->setFrameShape(QFrame::Box);
    tile->setLineWidth(1);
    setBackground(tile, QColor(255, 224, 192));
    setTextColour(tile, QApplication::palette().color(QPalette::WindowText));
    tile->setFont(boardFont(27.75, true, m_scale));
    tile->hide();
    const int index = static_cast<int>(m_Label1.size());
    connect(tile, &ClickableLabel::clicked, this, [this, index] {
        run([index](BoardModel& model) { model.Label1_Click(index); });
    });
    return tile;
}

// Fonts, the outline and the client size follow the scale; positions follow it in place().
void frmMots::applyScale()
{
    setFixedSize(clientSize(m_scale));
    m_Image1->setGeometry(twipsRect(0, 0, 12105, 8730, m_scale));
    for (ClickableLabel* tile : m_Label1)
        tile->setFont(boardFont(27.75, true, m_scale));
    m_Label2->setFont(boardFont(48, true, m_scale));
    for (ClickableLabel* slot : m_Label3)
        slot->setFont(boardFont(36, true, m_scale));
    static_cast<Outline*>(m_Shape1)->setPenWidth(std::max(1, static_cast<int>(std::lround(5 * m_scale))));
    m_Label4->setGeometry(twipsRect(6240, 8520, 5895, 255, m_scale));
    fitFontToWidth(m_Label4);
    const QFont buttonFont = boardFont(9.75, true, m_scale);
    const int icon = std::max(8, static_cast<int>(std::lround(32 * m_scale)));
    for (QToolButton* button : m_cmdJouer) {
        button->setFont(buttonFont);
        button->setIconSize({icon, icon});
    }
    m_Check1->setFont(boardFont(12, true, m_scale));
    if (m_model)
        sync();
}

void frmMots::place(QWidget* widget, const Control& control) const
{
    widget->setGeometry(twipsRect(control.Left, control.Top, control.Width, control.Height, m_scale));
}

ClickableLabel* frmMots::tile(int index) const
{
    return index >= 0 && index < tileCount() ? m_Label1[static_cast<std::size_t>(index)] : nullptr;
}

QTimer* frmMots::timer(int number) const
{
    switch (number) {
    case 1:
        return m_Timer1;
    case 2:
        return m_Timer2;
    case 3:
        return m_Timer3;
    default:
        return nullptr;
    }
}

void frmMots::sync()
{
    const BoardModel& model = *m_model;
    setWindowTitle(model.Caption);

    for (int index = 0; index < 2; ++index) {
        m_cmdJouer[index]->setText(model.cmdJouer[index].Caption);
        place(m_cmdJouer[index], model.cmdJouer[index]);
    }
    m_cmdJouer[0]->setEnabled(model.cmdJouer0Enabled);
    m_Check1->setText(model.Check1.Caption);
    place(m_Check1, model.Check1);

    // The hint sizes itself to its caption from its top left corner.
    m_Label2->setText(model.Label2.Caption);
    m_Label2->move(twipsToPixels(model.Label2.Left, m_scale), twipsToPixels(model.Label2.Top, m_scale));
    m_Label2->adjustSize();
    m_Label2->setVisible(model.Label2.Visible);

    place(m_Shape1, model.Shape1);
    place(m_Image2, model.Image2);
    for (int i = 0; i < BoardModel::kSlotCount; ++i) {
        const Control& control = model.Label3[i];
        place(m_Label3[i], control);
        m_Label3[i]->setText(control.Caption);
        m_Label3[i]->setAccessibleName(control.Caption);
        m_Label3[i]->setVisible(control.Visible);
    }
    syncTiles();

    place(m_GifPic, model.GifPic);
    m_GifPic->setVisible(model.GifPic.Visible && m_GifPic->hasPicture());

    syncTimer(model.Timer1, m_Timer1, m_timer1Started);
    syncTimer(model.Timer2, m_Timer2, m_timer2Started);
    syncTimer(model.Timer3, m_Timer3, m_timer3Started);
}

void frmMots::syncTiles()
{
    const std::vector<Control>& tiles = m_model->Label1;
    bool loaded = false;
    while (m_Label1.size() > tiles.size()) {
        delete m_Label1.back();
        m_Label1.pop_back();
    }
    while (m_Label1.size() < tiles.size()) {
        ClickableLabel* tile = makeTile();
        // A new tile is brought to the front of the drawing order, as each tile of the row is
        // laid over the one before it.
        tile->raise();
        m_Label1.push_back(tile);
        loaded = true;
    }
    if (loaded)
        keepChildWindowsInFront();
    for (std::size_t m = 0; m < tiles.size(); ++m) {
        place(m_Label1[m], tiles[m]);
        m_Label1[m]->setText(tiles[m].Caption);
        m_Label1[m]->setAccessibleName(tiles[m].Caption);
        m_Label1[m]->setVisible(tiles[m].Visible);
    }
}

void frmMots::keepChildWindowsInFront()
{
    m_cmdJouer[0]->raise();
    m_cmdJouer[1]->raise();
    m_GifPic->raise();
    m_Check1->raise();
}

void frmMots::syncTimer(const TimerState& state, QTimer* timer, unsigned& lastStarted)
{
    if (!state.Enabled || m_model->unloaded()) {
        timer->stop();
    } else if (!timer->isActive() || state.started != lastStarted) {
        timer->start();
    }
    lastStarted = state.started;
}

void frmMots::showMessage(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

void frmMots::showCentred()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}

void frmMots::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_watchingPlacement) {
        m_watchingPlacement = true;
        if (QScreen* shown = screen())
            connect(shown, &QScreen::availableGeometryChanged, this, &frmMots::keepWhollyOnScreen);
        QTimer::singleShot(0, this, &frmMots::keepWhollyOnScreen);
    }
}

void frmMots::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // A window manager frames and places the window some moments after it is shown, and may
    // place the frame where it does not fit; each move it makes is checked where it lands.
    if (m_watchingPlacement)
        keepWhollyOnScreen();
}

void frmMots::keepWhollyOnScreen()
{
    const QScreen* shown = screen();
    if (shown == nullptr || m_placementCorrections >= kMaxPlacementCorrections)
        return;
    const QRect available = shown->availableGeometry();
    const QSize extra = frameGeometry().size() - geometry().size();
    const double fitted = fittingScale(available.size(), extra);
    const bool shrink = fitted < m_scale - 1e-6;
    QRect frame(frameGeometry().topLeft(), size() + extra);
    if (shrink) {
        m_scale = fitted;
        applyScale();
        frame.setSize(size() + extra);
    }
    if (!shrink && available.contains(frame))
        return;
    ++m_placementCorrections;
    frame.moveCenter(available.center());
    move(frame.topLeft());
}

void frmMots::closeEvent(QCloseEvent* event)
{
    // Closing the window always goes through: the board unloads and the process ends.
    if (!m_model->unloaded())
        run([](BoardModel& model) { model.Form_Unload(); });
    event->accept();
}

} // namespace trouvimo
