#include "startup/StartWindow.h"

#include "platform/display/Display.h"
#include "platform/display/DisplayFactory.h"
#include "platform/files/DataPaths.h"
#include "platform/process/GameExit.h"
#include "platform/sound/SoundPlayer.h"
#include "startup/ScreenMeasure.h"
#include "widgets/FocusFrame.h"
#include "widgets/GraphicalButton.h"
#include "widgets/HeldPress.h"
#include "widgets/ResourcePng.h"
#include "widgets/ScreenPlacement.h"
#include "widgets/Twips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

// The design, in twips.
constexpr int kClientWidth = 8700;
constexpr int kClientHeight = 3915;
constexpr QSize kSwitchedSize(800, 600);

QLabel* makeWhiteLabel(QWidget* parent, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255));
    label->setPalette(palette);
    return label;
}

// A button that draws nothing but the focus frame: the child sees the start screen as designed,
// and a grown-up finds it with the keyboard, a screen reader or its tooltip.
class QuietButton final : public QAbstractButton {
public:
    explicit QuietButton(QWidget* parent)
        : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        if (!hasFocus())
            return;
        QPainter painter(this);
        drawFocusFrame(painter, rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

StartWindow::StartWindow(const DataPaths& paths, Display& display, SoundPlayer& sound,
                         GameExit& gameExit, const ComputerSettings& settings, QWidget* parent)
    : AccessibleWindow(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_paths(paths)
    , m_display(display)
    , m_sound(sound)
    , m_gameExit(gameExit)
{
    // The start screen goes for good when the board is launched.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Trouvimo"_s);
    buildControls(settings.holdToQuit);
    applyScale();
}

void StartWindow::buildControls(bool holdToQuit)
{
    // Created back to front, so that the stacking matches the design's front-to-back list.
    m_authorLine = makeWhiteLabel(this, u"Jeu réalisé par Orvanel"_s);
    m_design.push_back({m_authorLine, QRect(120, 0, 2655, 255)});
    m_yearLine = makeWhiteLabel(this, u"© 2026"_s);
    m_design.push_back({m_yearLine, QRect(7320, 0, 1335, 255)});

    m_englishButton = makeGraphicalButton(this, u":/startup/flag-uk.png"_s, QColor(192, 0, 0));
    m_design.push_back({m_englishButton, QRect(3120, 3240, 2535, 495)});
    m_englishButton->setAccessibleName(u"English"_s);
    m_englishButton->setToolTip(u"English"_s);
    m_frenchButton = makeGraphicalButton(this, u":/startup/flag-fr.png"_s, QColor(0, 0, 128));
    m_design.push_back({m_frenchButton, QRect(3120, 2640, 2535, 495)});
    m_frenchButton->setAccessibleName(u"Français"_s);
    m_frenchButton->setToolTip(u"Français"_s);
    for (QToolButton* option : {m_frenchButton, m_englishButton}) {
        option->setCheckable(true);
        option->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }

    // In the order the flags stand, from the top: the arrows go down the group in that order.
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(m_frenchButton);
    group->addButton(m_englishButton);
    m_frenchButton->setChecked(true);
    connect(m_frenchButton, &QToolButton::clicked, this, &StartWindow::chooseFrench);
    connect(m_englishButton, &QToolButton::clicked, this, &StartWindow::chooseEnglish);

    m_launchButton = makeGraphicalButton(this, u":/startup/tiger.png"_s, QColor(0, 128, 0));
    m_launchButton->setText(u"&Lancer"_s);
    m_design.push_back({m_launchButton, QRect(6960, 2640, 1575, 1095)});
    m_quitButton = makeGraphicalButton(this, u":/startup/dove.png"_s, QColor(255, 128, 0));
    m_quitButton->setText(u"&Quitter"_s);
    m_design.push_back({m_quitButton, QRect(240, 2640, 1575, 1095)});
    connect(m_launchButton, &QToolButton::clicked, this, [this] { launch(); });
    if (holdToQuit) {
        m_heldQuit = new HeldPress(m_quitButton, kGrownUpsHold,
                                   languageData(Language::French).holdToQuitHint);
        connect(m_heldQuit, &HeldPress::held, this, &StartWindow::quit);
    } else {
        connect(m_quitButton, &QToolButton::clicked, this, &StartWindow::quit);
    }

    // Tab goes as the controls stand, from the left; the flags are one stop, the chosen one.
    setTabOrder(m_quitButton, m_frenchButton);
    setTabOrder(m_frenchButton, m_englishButton);
    setTabOrder(m_englishButton, m_launchButton);
    m_frenchButton->setFocus();
}

QList<QWidget*> StartWindow::readingOrder() const
{
    QList<QWidget*> order {m_frenchButton, m_englishButton, m_launchButton, m_quitButton};
    if (m_myWords != nullptr)
        order.append(m_myWords);
    order << m_authorLine << m_yearLine;
    return order;
}

void StartWindow::applyScale()
{
    setFixedSize(twipsToPixels(kClientWidth, m_scale), twipsToPixels(kClientHeight, m_scale));
    for (const auto& [control, place] : m_design) {
        control->setGeometry(
            twipsRect(place.left(), place.top(), place.width(), place.height(), m_scale));
    }
    // At the design's own size the controls keep the desktop's font and their pictures as
    // they are, which costs the start nothing.
    if (m_scale == 1.0)
        return;
    QFont font = QApplication::font();
    font.setPixelSize(std::max(1, roundToPixels(QFontInfo(font).pixelSize() * m_scale)));
    for (const auto& [control, place] : m_design)
        control->setFont(font);
    for (GraphicalButton* button : {m_launchButton, m_quitButton, m_frenchButton, m_englishButton})
        button->setPictureSize(roundToPixels(GraphicalButton::kPictureSize * m_scale));
}

bool StartWindow::fillsTheMonitor() const
{
    return needsModeSwitch(m_measuredSize) && !m_switched;
}

void StartWindow::setScale(double scale)
{
    m_scale = scale;
    applyScale();
}

void StartWindow::open(DisplayChoice choice)
{
    m_language = Language::French;

    m_measuredSize = m_display.monitorSize();
    if (choice == DisplayChoice::SwitchWhereNeeded && needsModeSwitch(m_measuredSize))
        m_switched = m_display.switchTo(kSwitchedSize);

    playCue(Cue::Greeting, m_paths, m_sound);
}

void StartWindow::chooseFrench()
{
    m_language = Language::French;
    nameMyWords();
}

void StartWindow::chooseEnglish()
{
    m_language = Language::English;
    nameMyWords();
}

void StartWindow::offerMyWords()
{
    if (m_myWords != nullptr)
        return;
    m_myWords = new QuietButton(this);
    m_design.push_back({m_myWords, QRect(7320, 0, 1335, 255)});
    m_myWords->setShortcut(QKeySequence(Qt::ALT | Qt::Key_M));
    connect(m_myWords, &QAbstractButton::clicked, this, &StartWindow::openMyWords);
    // It stands above the others, at the top right: Tab meets it before Quitter, after Lancer.
    setTabOrder(m_launchButton, m_myWords);
    nameMyWords();
    applyScale();
    m_myWords->show();
}

void StartWindow::openMyWords()
{
    emit myWordsRequested(m_language);
}

void StartWindow::nameMyWords()
{
    if (m_myWords == nullptr)
        return;
    const QString name = m_language == Language::French ? u"Mes mots"_s : u"My words"_s;
    m_myWords->setAccessibleName(name);
    m_myWords->setToolTip(name + u" (Alt+M)"_s);
}

void StartWindow::launch()
{
    m_launching = true;
    close();
    emit launchRequested(m_language);
}

void StartWindow::quit()
{
    m_gameExit.exitGame();
}

void StartWindow::centreOnScreen()
{
    if (m_switched)
        waitForScreenSize(kSwitchedSize, 2000);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr)
        centreWindow(this, screen->geometry());
}

void StartWindow::closeEvent(QCloseEvent* event)
{
    // A close asked by the window manager (Alt+F4, a taskbar) is a quit: the start screen only
    // ever closes by itself to hand over to the board. Where Quitter must be held, so must this.
    if (!m_launching && m_heldQuit != nullptr) {
        event->ignore();
        m_heldQuit->tell();
        return;
    }
    event->accept();
    if (!m_launching)
        quit();
}

void StartWindow::paintEvent(QPaintEvent* /*event*/)
{
    // The picture is drawn for the window scaled up on a large monitor, and is reduced (or, on a
    // larger one still, enlarged) to the window's pixels in one smooth pass, which averages its
    // pixels where a painter's scaling would only sample them. It is decoded for the paint alone:
    // the window is shown again from Qt's own copy of what was painted, and the graphical buttons
    // paint every pixel of their own, so the window's picture is seldom painted again, and its
    // 2.4 MB decoded would only sit in memory while the child plays.
    const qreal pixelRatio = devicePixelRatioF();
    QImage picture =
        readPng(u":/startup/start-background.png"_s)
            .scaled(size() * pixelRatio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(pixelRatio);
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
    if (!m_painted) {
        m_painted = true;
        emit onScreen();
    }
}

} // namespace trouvimo
