#include "FakeDisplay.h"
#include "FakeGameExit.h"
#include "FakeSoundPlayer.h"
#include "platform/files/DataPaths.h"
#include "startup/StartWindow.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;

Q_DECLARE_METATYPE(trouvimo::StartWindow::DisplayChoice)

namespace {

struct StartRig {
    QTemporaryDir directory;
    DataPaths paths {directory.path()};
    FakeDisplay display;
    FakeSoundPlayer sound;
    FakeGameExit gameExit;

    explicit StartRig(QSize monitor)
        : display(monitor)
    {
    }

    std::unique_ptr<StartWindow> open()
    {
        auto window = std::make_unique<StartWindow>(paths, display, sound, gameExit);
        window->chooseEnglish();
        window->open();
        return window;
    }
};

QToolButton* buttonNamed(const QWidget& window, const QString& name)
{
    for (auto* button : window.findChildren<QToolButton*>()) {
        QString text = button->text();
        if (text.remove(u'&') == name || button->accessibleName() == name)
            return button;
    }
    return nullptr;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void measuresAndSwitches_data();
    void measuresAndSwitches();
    void scaledUpKeepsTheDesign();
    void greetsAfterTheSwitch();
    void controlsMatchTheDesign();
    void flagsChooseTheLanguage();
    void tabPassesThroughTheChosenFlag_data();
    void tabPassesThroughTheChosenFlag();
    void launchHandsOverToTheBoard();
    void waysOutEndTheGame_data();
    void waysOutEndTheGame();
    void accessKeys_data();
    void accessKeys();
    void focusedButtonShowsIt();
};

void TestStartup::measuresAndSwitches_data()
{
    QTest::addColumn<QSize>("monitor");
    QTest::addColumn<StartWindow::DisplayChoice>("choice");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("switched");
    QTest::addColumn<bool>("fills");
    constexpr auto where = StartWindow::DisplayChoice::SwitchWhereNeeded;
    constexpr auto keep = StartWindow::DisplayChoice::Keep;
    QTest::newRow("1024x768") << QSize(1024, 768) << where << false << true << false;
    QTest::newRow("a 2x laptop's 2560x1600")
        << QSize(2560, 1600) << where << false << true << false;
    QTest::newRow("800x600") << QSize(800, 600) << where << false << false << false;
    QTest::newRow("800x480") << QSize(800, 480) << where << false << false << false;
    QTest::newRow("1280x600") << QSize(1280, 600) << where << false << false << false;
    QTest::newRow("unmeasured") << QSize() << where << false << false << false;
    QTest::newRow("1024x768 kept") << QSize(1024, 768) << keep << false << false << true;
    QTest::newRow("800x600 kept") << QSize(800, 600) << keep << false << false << false;
    QTest::newRow("1920x1080 that cannot switch")
        << QSize(1920, 1080) << where << true << false << true;
}

void TestStartup::measuresAndSwitches()
{
    QFETCH(QSize, monitor);
    QFETCH(StartWindow::DisplayChoice, choice);
    QFETCH(bool, refused);
    QFETCH(bool, switched);
    QFETCH(bool, fills);
    StartRig rig(monitor);
    rig.display.refuses = refused;
    auto window = std::make_unique<StartWindow>(rig.paths, rig.display, rig.sound, rig.gameExit);
    window->open(choice);
    QCOMPARE(window->measuredSize(), monitor);
    QCOMPARE(window->switchedDisplay(), switched);
    QCOMPARE(window->fillsTheMonitor(), fills);
    QCOMPARE(rig.display.current, switched ? QSize(800, 600) : monitor);
    QCOMPARE(window->language(), Language::French);
}

void TestStartup::scaledUpKeepsTheDesign()
{
    StartRig rig(QSize(1920, 1080));
    const auto window = rig.open();
    const QRect launch = buttonNamed(*window, u"Lancer"_s)->geometry();
    const QSize design = window->size();
    window->setScale(2.0);
    QCOMPARE(window->size(), design * 2);
    QCOMPARE(buttonNamed(*window, u"Lancer"_s)->geometry(),
             QRect(launch.topLeft() * 2, launch.size() * 2));
    QCOMPARE(buttonNamed(*window, u"Lancer"_s)->iconSize(), QSize(64, 64));
}

void TestStartup::greetsAfterTheSwitch()
{
    StartRig rig(QSize(1024, 768));
    const auto window = rig.open();
    QCOMPARE(rig.sound.played.size(), 1);
    QVERIFY(rig.sound.played.front().endsWith(u"/sons/Logoff.wav"_s));
}

void TestStartup::controlsMatchTheDesign()
{
    StartRig rig(QSize(800, 600));
    const auto window = rig.open();
    QCOMPARE(window->size(), QSize(580, 261));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window->windowTitle(), u"Trouvimo"_s);
    const struct {
        QString name;
        QRect twips;
    } controls[] = {
        {u"Quitter"_s, {240, 2640, 1575, 1095}},
        {u"Lancer"_s, {6960, 2640, 1575, 1095}},
        {u"Français"_s, {3120, 2640, 2535, 495}},
        {u"English"_s, {3120, 3240, 2535, 495}},
    };
    for (const auto& control : controls) {
        const QToolButton* button = buttonNamed(*window, control.name);
        QVERIFY2(button != nullptr, qPrintable(control.name));
        QCOMPARE(button->geometry(),
                 twipsRect(control.twips.x(), control.twips.y(), control.twips.width(),
                           control.twips.height()));
        QVERIFY(!button->icon().isNull());
    }
    QStringList labels;
    for (const auto* label : window->findChildren<QLabel*>())
        labels << label->text();
    QVERIFY(labels.contains(u"Jeu réalisé par Orvanel"_s));
}

void TestStartup::tabPassesThroughTheChosenFlag_data()
{
    QTest::addColumn<QStringList>("choosing");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("French, as the screen opens") << QStringList() << u"Français"_s;
    QTest::newRow("English clicked") << QStringList {u"click English"_s} << u"English"_s;
    QTest::newRow("English clicked, then French")
        << QStringList {u"click English"_s, u"click Français"_s} << u"Français"_s;
    QTest::newRow("Down from French") << QStringList {u"Down"_s} << u"English"_s;
    QTest::newRow("Right from French") << QStringList {u"Right"_s} << u"English"_s;
    QTest::newRow("Up goes round to the last flag") << QStringList {u"Up"_s} << u"English"_s;
    QTest::newRow("Down goes round to the first flag")
        << QStringList {u"Down"_s, u"Down"_s} << u"Français"_s;
    QTest::newRow("Down then Left") << QStringList {u"Down"_s, u"Left"_s} << u"Français"_s;
}

// The flags are a choice of one, a single stop for Tab as radio buttons are: Tab goes from Quitter
// to the chosen flag, then to Lancer, as they stand from the left, and each flag is read once.
// My words, offered to grown-ups, comes first, at the top right.
void TestStartup::tabPassesThroughTheChosenFlag()
{
    QFETCH(QStringList, choosing);
    QFETCH(QString, chosen);
    StartRig rig(QSize(800, 600));
    const auto window =
        std::make_unique<StartWindow>(rig.paths, rig.display, rig.sound, rig.gameExit);
    window->open();
    window->offerMyWords();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    for (const QString& step : choosing) {
        if (step.startsWith(u"click "_s)) {
            QTest::mouseClick(buttonNamed(*window, step.mid(6)), Qt::LeftButton);
            continue;
        }
        const Qt::Key key = step == u"Down"_s ? Qt::Key_Down
            : step == u"Up"_s                 ? Qt::Key_Up
            : step == u"Left"_s               ? Qt::Key_Left
                                              : Qt::Key_Right;
        QTest::keyClick(QApplication::focusWidget(), key);
        // The arrows take the keyboard to the flag they choose.
        const auto* focused = qobject_cast<QToolButton*>(QApplication::focusWidget());
        QVERIFY(focused != nullptr && focused->isChecked());
    }
    QToolButton* flag = buttonNamed(*window, chosen);
    QVERIFY(flag->isChecked());
    QCOMPARE(window->language(), chosen == u"English"_s ? Language::English : Language::French);

    QToolButton* quit = buttonNamed(*window, u"Quitter"_s);
    quit->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(quit->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), flag);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), buttonNamed(*window, u"Lancer"_s));
    // My words, for grown-ups, stands above them all at the top right.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget()->accessibleName(),
                 chosen == u"English"_s ? u"My words"_s : u"Mes mots"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), quit);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTRY_COMPARE(QApplication::focusWidget(), buttonNamed(*window, u"Lancer"_s));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTRY_COMPARE(QApplication::focusWidget(), flag);

    for (const QString& name : {u"Français"_s, u"English"_s}) {
        QAccessibleInterface* reader =
            QAccessible::queryAccessibleInterface(buttonNamed(*window, name));
        QVERIFY(reader != nullptr);
        QCOMPARE(reader->role(), QAccessible::RadioButton);
        QCOMPARE(reader->text(QAccessible::Name), name);
        QCOMPARE(reader->text(QAccessible::Description), QString());
        QCOMPARE(reader->state().checked, name == chosen);
    }
}

void TestStartup::flagsChooseTheLanguage()
{
    StartRig rig(QSize(800, 600));
    const auto window = rig.open();
    window->show();
    QToolButton* french = buttonNamed(*window, u"Français"_s);
    QToolButton* english = buttonNamed(*window, u"English"_s);
    QVERIFY(french->isChecked() && !english->isChecked());
    QTest::mouseClick(english, Qt::LeftButton);
    QCOMPARE(window->language(), Language::English);
    QVERIFY(english->isChecked() && !french->isChecked());
    QTest::mouseClick(english, Qt::LeftButton);
    QVERIFY(english->isChecked());
    QTest::mouseClick(french, Qt::LeftButton);
    QCOMPARE(window->language(), Language::French);
    QVERIFY(!english->isChecked());
}

void TestStartup::launchHandsOverToTheBoard()
{
    StartRig rig(QSize(1024, 768));
    QPointer<StartWindow> window = rig.open().release();
    window->show();
    QSignalSpy launched(window.data(), &StartWindow::launchRequested);
    QTest::mouseClick(buttonNamed(*window, u"English"_s), Qt::LeftButton);
    QTest::mouseClick(buttonNamed(*window, u"Lancer"_s), Qt::LeftButton);
    QCOMPARE(launched.count(), 1);
    QCOMPARE(launched.front().front().value<Language>(), Language::English);
    QVERIFY(!window->isVisible());
    QTRY_VERIFY(window.isNull());
    QCOMPARE(rig.gameExit.calls, 0);
    QCOMPARE(rig.display.restores, 0);
}

void TestStartup::waysOutEndTheGame_data()
{
    QTest::addColumn<bool>("byWindowManager");
    QTest::newRow("Quitter") << false;
    QTest::newRow("closed by the window manager") << true;
}

void TestStartup::waysOutEndTheGame()
{
    QFETCH(bool, byWindowManager);
    StartRig rig(QSize(1024, 768));
    QPointer<StartWindow> window = rig.open().release();
    window->show();
    QSignalSpy launched(window.data(), &StartWindow::launchRequested);
    if (byWindowManager)
        window->close();
    else
        QTest::mouseClick(buttonNamed(*window, u"Quitter"_s), Qt::LeftButton);
    QCOMPARE(rig.gameExit.calls, 1);
    QCOMPARE(launched.count(), 0);
    delete window.data();
}

void TestStartup::accessKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<bool>("launches");
    const int alt = Qt::AltModifier;
    QTest::newRow("Alt+L launches") << int(Qt::Key_L) << alt << QString() << true;
    QTest::newRow("Alt+Q quits") << int(Qt::Key_Q) << alt << QString() << false;
    QTest::newRow("Enter on Lancer launches") << int(Qt::Key_Return) << 0 << u"Lancer"_s << true;
    QTest::newRow("Enter on Quitter quits") << int(Qt::Key_Enter) << 0 << u"Quitter"_s << false;
}

void TestStartup::accessKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focused);
    QFETCH(bool, launches);
    StartRig rig(QSize(800, 600));
    QPointer<StartWindow> window = rig.open().release();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QSignalSpy launched(window.data(), &StartWindow::launchRequested);
    if (!focused.isEmpty())
        buttonNamed(*window, focused)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key),
                    static_cast<Qt::KeyboardModifiers>(modifiers));
    // An access key presses the button as a click would, releasing it a moment later.
    QTRY_COMPARE(launched.count() + rig.gameExit.calls, 1);
    QCOMPARE(launched.count(), launches ? 1 : 0);
    QCOMPARE(rig.gameExit.calls, launches ? 0 : 1);
    delete window.data();
}

void TestStartup::focusedButtonShowsIt()
{
    // A keyboard user must see which button Enter or Space would press: the focused button is
    // drawn differently, and the focus moves with Tab through the buttons.
    StartRig rig(QSize(800, 600));
    const auto window = rig.open();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QToolButton* launch = buttonNamed(*window, u"Lancer"_s);
    QToolButton* quit = buttonNamed(*window, u"Quitter"_s);
    launch->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(launch->hasFocus());
    const QImage launchFocused = launch->grab().toImage();
    const QImage quitUnfocused = quit->grab().toImage();
    QTest::keyClick(window.get(), Qt::Key_Tab);
    QTRY_VERIFY(quit->hasFocus());
    QVERIFY(launch->grab().toImage() != launchFocused);
    QVERIFY(quit->grab().toImage() != quitUnfocused);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
