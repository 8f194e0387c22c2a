#include "frmChoix.h"

#include "DataPaths.h"
#include "DisplayFactory.h"
#include "JouerSon.h"
#include "Display.h"
#include "ProcessEnd.h"
#include "ResourcePng.h"
#include "ScreenMeasure.h"
#include "SharedValues.h"
#include "Sound.h"
#include "GraphicalButton.h"
#include "Twips.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

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

} // namespace

frmChoix::frmChoix(SharedValues& shared, const DataPaths& paths, Display& display,
                   SoundPlayer& sound, ProcessEnd& processEnd, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_shared(shared)
    , m_paths(paths)
    , m_display(display)
    , m_sound(sound)
    , m_processEnd(processEnd)
{
    // The start screen goes for good when the board is launched.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Form1"_s);
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    buildControls();
    Form_Load();
}

void frmChoix::buildControls()
{
    // Created back to front, so that the stacking matches the design's front-to-back list.
    m_Label1 = makeWhiteLabel(this, u"Jeu réalisé par Orvanel"_s);
    m_Label1->setGeometry(twipsRect(120, 0, 2655, 255));
    m_Label2 = makeWhiteLabel(this, u"© 2026"_s);
    m_Label2->setGeometry(twipsRect(7320, 0, 1335, 255));

    m_Option2 = makeGraphicalButton(this, u":/startup/flag-uk.png"_s, QColor(192, 0, 0));
    m_Option2->setGeometry(twipsRect(3120, 3240, 2535, 495));
    m_Option2->setAccessibleName(u"English"_s);
    m_Option2->setToolTip(u"English"_s);
    m_Option1 = makeGraphicalButton(this, u":/startup/flag-fr.png"_s, QColor(0, 0, 128));
    m_Option1->setGeometry(twipsRect(3120, 2640, 2535, 495));
    m_Option1->setAccessibleName(u"Français"_s);
    m_Option1->setToolTip(u"Français"_s);
    for (QToolButton* option : {m_Option1, m_Option2}) {
        option->setCheckable(true);
        option->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    m_Option1->setChecked(true);

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(m_Option1);
    group->addButton(m_Option2);
    connect(m_Option1, &QToolButton::clicked, this, &frmChoix::Option1_Click);
    connect(m_Option2, &QToolButton::clicked, this, &frmChoix::Option2_Click);

    m_Command1[0] = makeGraphicalButton(this, u":/startup/tiger.png"_s, QColor(0, 128, 0));
    m_Command1[0]->setText(u"&Lancer"_s);
    m_Command1[0]->setGeometry(twipsRect(6960, 2640, 1575, 1095));
    m_Command1[1] = makeGraphicalButton(this, u":/startup/dove.png"_s, QColor(255, 128, 0));
    m_Command1[1]->setText(u"&Quitter"_s);
    m_Command1[1]->setGeometry(twipsRect(240, 2640, 1575, 1095));
    connect(m_Command1[0], &QToolButton::clicked, this, [this] { Command1_Click(0); });
    connect(m_Command1[1], &QToolButton::clicked, this, [this] { Command1_Click(1); });

    setTabOrder(m_Option2, m_Option1);
    setTabOrder(m_Option1, m_Command1[0]);
    setTabOrder(m_Command1[0], m_Command1[1]);
    m_Option1->setFocus();
}

void frmChoix::Form_Load()
{
    m_shared.Francais = true;

    m_measuredSize = m_display.monitorSize();
    if (needsModeSwitch(m_measuredSize))
        m_switched = m_display.switchTo(kSwitchedSize);

    m_shared.CheminSon = m_paths.join(u"\\sons\\Logoff.wav");
    JouerSon(m_shared, m_paths, m_sound);
}

void frmChoix::Option1_Click()
{
    m_shared.Francais = true;
}

void frmChoix::Option2_Click()
{
    m_shared.Francais = false;
}

void frmChoix::Command1_Click(int Index)
{
    switch (Index) {
    case 0:
        m_launching = true;
        close();
        emit launchRequested();
        break;
    case 1:
        // The end of the game puts the display back as it was found.
        m_processEnd.endProcess();
        break;
    default:
        break;
    }
}

void frmChoix::centreOnScreen()
{
    if (m_switched)
        waitForScreenSize(kSwitchedSize, 2000);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void frmChoix::closeEvent(QCloseEvent* event)
{
    // A close asked by the window manager (Alt+F4, a taskbar) is a quit: the start screen only
    // ever closes by itself to hand over to the board.
    event->accept();
    if (!m_launching)
        Command1_Click(1);
}

void frmChoix::paintEvent(QPaintEvent* /*event*/)
{
    // The picture is a little larger than the window and is drawn from the top left, so its
    // right and bottom edges fall outside.
    if (!m_background)
        m_background = readPng(u":/startup/start-background.png"_s);
    QPainter painter(this);
    painter.drawImage(0, 0, *m_background);
    if (!m_painted) {
        m_painted = true;
        emit onScreen();
    }
}

} // namespace trouvimo
