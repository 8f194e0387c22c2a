#include "BoardRig.h"
#include "board/AnimatedPicture.h"
#include "board/BoardWindow.h"
#include "widgets/ClickableLabel.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QMovie>
#include <QPushButton>
#include <QRawFont>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;
using namespace trouvimo;

Q_DECLARE_METATYPE(trouvimo::Language)

namespace {

// A one-pixel GIF; its screen and image sizes can be patched to claim any size.
QByteArray tinyGif(quint16 width = 1, quint16 height = 1)
{
    QByteArray gif = QByteArray::fromHex("47494638396101000100800000000000ffffff21f904"
                                         "01000000002c00000000010001000002024401003b");
    auto put = [&gif](int at, quint16 value) {
        gif[at] = static_cast<char>(value & 0xff);
        gif[at + 1] = static_cast<char>(value >> 8);
    };
    put(6, width);
    put(8, height);
    put(32, width);
    put(34, height);
    return gif;
}

// A GIF that loops for ever through two one-pixel frames, a black and a white one, a tenth of a
// second each, on a screen of the given size.
QByteArray animatedGif(quint16 width, quint16 height)
{
    QByteArray gif = tinyGif(width, height).first(19);
    gif += QByteArray::fromHex("21ff0b4e45545343415045322e300301000000");
    for (const char* pixel : {"4401", "4c01"}) {
        gif += QByteArray::fromHex("21f904000a0000002c0000000001000100000202");
        gif += QByteArray::fromHex(pixel) + '\0';
    }
    return gif + ';';
}

// A flat picture of one colour, stored in the given pixel format (a PNG of Indexed8 is a palette
// PNG, of Mono a two-colour one); with `transparentEdge`, its left column is transparent.
QByteArray photo(int width, int height, const char* format,
                 QImage::Format pixels = QImage::Format_RGB32, bool transparentEdge = false)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    if (transparentEdge) {
        for (int y = 0; y < height; ++y)
            image.setPixel(0, y, qRgba(0, 0, 0, 0));
    }
    const bool paletted = pixels == QImage::Format_Indexed8 || pixels == QImage::Format_Mono;
    image = paletted
        ? image.convertToFormat(pixels, {QColor(Qt::darkGreen).rgb(), qRgba(0, 0, 0, 0)})
        : image.convertToFormat(pixels);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A GIF of two frames that fill its screen, each with a palette of its own and no global one,
// in which the same colour (dark green) stands at another index. Each code is a byte: with 7-bit
// pixels, a clear code every 125 pixels keeps the codes 8 bits wide.
QByteArray localPaletteGif(quint16 width, quint16 height)
{
    QByteArray gif = tinyGif(width, height).first(10);
    gif += QByteArray::fromHex("000000"); // no global palette
    gif += QByteArray::fromHex("21ff0b4e45545343415045322e300301000000");
    for (const int index : {0, 5}) {
        gif += QByteArray::fromHex("21f904000a000000");
        gif += '\x2c' + QByteArray(4, '\0') + gif.mid(6, 4) + '\x86'; // local palette of 128
        for (int entry = 0; entry < 128; ++entry)
            gif += entry == index ? QByteArray::fromHex("008000") : QByteArray::fromHex("ff00ff");
        QByteArray codes;
        for (int pixel = 0; pixel < width * height; ++pixel) {
            if (pixel % 125 == 0)
                codes += '\x80';
            codes += static_cast<char>(index);
        }
        codes += '\x81';
        gif += '\x07';
        for (qsizetype at = 0; at < codes.size(); at += 255) {
            const QByteArray block = codes.mid(at, 255);
            gif += static_cast<char>(block.size()) + block;
        }
        gif += '\0';
    }
    return gif + ';';
}

constexpr float kTilePitch = design::kFirstTile.width + design::kTileGap;

// The board window over a rig whose fakes stand in for the platform.
struct WindowRig : BoardRig {
    std::unique_ptr<BoardWindow> window;

    explicit WindowRig(const QStringList& list, Language chosen = Language::French,
                       BoardWindow::Placement placement = BoardWindow::Placement::Window)
        : BoardRig(chosen)
    {
        writeList(list);
        window = std::make_unique<BoardWindow>(services(), language, placement);
        window->open();
    }

    [[nodiscard]] const Board& board() const { return window->board(); }
    // A control's design rectangle in the window's pixels, moved right by `right` twips.
    [[nodiscard]] QRect design(const design::TwipsRect& rect, float right = 0.0F) const
    {
        return twipsRect(rect.left + right, rect.top, rect.width, rect.height, window->scale());
    }
};

} // namespace

class TestBoardWindow : public QObject {
    Q_OBJECT

private slots:
    void fullScreenScaleFillsTheMonitor_data();
    void fullScreenScaleFillsTheMonitor();
    void fullScreenBoardIsCentredOnItsMonitor();
    void scaleFitsTheScreen_data();
    void scaleFitsTheScreen();
    void controlsSitAtTheirDesignPlaces();
    void captionsFollowTheLanguage_data();
    void captionsFollowTheLanguage();
    void missingListShowsAMessageBoxBeforeTheBoard();
    void playLaysOutTileWidgets();
    void aClickIsAPressAndAReleaseInside();
    void tileClickStartsTheTimersAndTheyMoveIt();
    void lettersStayWhole_data();
    void lettersStayWhole();
    void keysReachTheBoardAfterAnyClick();
    void enterPressesTheFocusedControl_data();
    void enterPressesTheFocusedControl();
    void focusShowsFromTheStartAndStaysWhereTheChildPutIt();
    void hintTimerRestartsForEachRound();
    void endMessageDisablesPlay();
    void closeBoxEndsTheProcessAndStopsTheTimers();
    void pictureViewerLoadsAndRefuses();
    void solvedWordShowsItsPictureWithinTheFrame_data();
    void solvedWordShowsItsPictureWithinTheFrame();
};

void TestBoardWindow::fullScreenScaleFillsTheMonitor_data()
{
    QTest::addColumn<QSize>("monitor");
    QTest::newRow("1920x1080") << QSize(1920, 1080);
    QTest::newRow("1024x768") << QSize(1024, 768);
    QTest::newRow("2560x1600") << QSize(2560, 1600);
    QTest::newRow("portrait 1080x1920") << QSize(1080, 1920);
    QTest::newRow("3840x2160") << QSize(3840, 2160);
}

void TestBoardWindow::fullScreenScaleFillsTheMonitor()
{
    QFETCH(QSize, monitor);
    const double scale = BoardWindow::fullScreenScale(monitor);
    const QSize client = BoardWindow::clientSize(scale);
    // The design keeps its proportions, lies whole on the monitor and reaches two of its edges.
    QVERIFY(client.width() <= monitor.width() && client.height() <= monitor.height());
    QVERIFY(monitor.width() - client.width() <= 1 || monitor.height() - client.height() <= 1);
    const QSize design = BoardWindow::clientSize(1.0);
    QVERIFY(
        qAbs(double(client.width()) / client.height() - double(design.width()) / design.height())
        < 0.01);
}

void TestBoardWindow::fullScreenBoardIsCentredOnItsMonitor()
{
    WindowRig rig({u"chat"_s}, Language::French, BoardWindow::Placement::FullScreen);
    BoardWindow& window = *rig.window;
    const QSize monitor = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(window.size(), monitor);
    const double scale = BoardWindow::fullScreenScale(monitor);
    QCOMPARE(window.scale(), scale);
    const QSize margins = monitor - BoardWindow::clientSize(scale);
    const QPoint origin(margins.width() / 2, margins.height() / 2);
    QCOMPARE(window.playButton()->geometry(),
             twipsRect(design::kPlayButton, scale).translated(origin));
    window.run([](Board& board) { board.playNextWord(); });
    QCOMPARE(window.hint()->pos(), twipsRect(design::kHint, scale).translated(origin).topLeft());
}

void TestBoardWindow::scaleFitsTheScreen_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<double>("expected");
    QTest::newRow("1024x768 fits at 1:1") << QSize(1024, 768) << QSize(8, 30) << 1.0;
    QTest::newRow("800x600 without a frame") << QSize(800, 600) << QSize(0, 0) << 800.0 / 809.0;
    QTest::newRow("800x600 with a frame") << QSize(800, 600) << QSize(8, 30) << 792.0 / 809.0;
    QTest::newRow("800x600 with a panel") << QSize(800, 570) << QSize(4, 24) << 546.0 / 582.0;
}

void TestBoardWindow::scaleFitsTheScreen()
{
    QFETCH(QSize, available);
    QFETCH(QSize, frame);
    const QSize extra = frame;
    const double scale = BoardWindow::fittingScale(available - extra);
    QFETCH(double, expected);
    QCOMPARE(scale, expected);
    // The window with its frame lies inside the available area, and nothing of the content is cut.
    const QSize client = BoardWindow::clientSize(scale);
    QVERIFY(client.width() + extra.width() <= available.width());
    QVERIFY(client.height() + extra.height() <= available.height());
    QCOMPARE(twipsRect(0, 0, 12105, 8730, scale).bottomRight().y() < client.height(), true);
}

void TestBoardWindow::controlsSitAtTheirDesignPlaces()
{
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s});
    const BoardWindow& window = *rig.window;
    QCOMPARE(window.size(), BoardWindow::clientSize(window.scale()));
    QCOMPARE(window.playButton()->geometry(), rig.design(design::kPlayButton));
    QCOMPARE(window.quitButton()->geometry(), rig.design(design::kQuitButton));
    QCOMPARE(window.difficultBox()->geometry(), rig.design(design::kDifficultBox));
    QCOMPARE(window.tile(0)->geometry(), rig.design(design::kFirstTile));
    QVERIFY(window.tile(0)->isHidden());
    for (int i = 0; i < Board::kSlotCount; ++i) {
        QCOMPARE(window.slot(i)->geometry(),
                 rig.design(design::kFirstSlot, design::kSlotPitch * static_cast<float>(i)));
        QVERIFY(window.slot(i)->isHidden());
    }
    // The hint's top edge lies 240 twips above the client area.
    QCOMPARE(window.hint()->y(), twipsToPixels(-240, window.scale()));
    QCOMPARE(window.hint()->x(), twipsToPixels(120, window.scale()));
    for (int number = 1; number <= 3; ++number)
        QVERIFY(!window.timer(number)->isActive());
    QCOMPARE(window.timer(1)->interval(), 10);
    QCOMPARE(window.timer(3)->interval(), 4000);
    QCOMPARE(window.timer(1)->timerType(), Qt::PreciseTimer);
    // The buttons and the check box lie in front of every drawn element.
    const auto children = window.children();
    QVERIFY(children.indexOf(window.playButton()) > children.indexOf(window.slot(11)));
}

void TestBoardWindow::captionsFollowTheLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("play");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("slot");
    QTest::newRow("French") << Language::French << u"TROUVIMO ..."_s << u"&Jouer"_s
                            << u"Niveau difficile"_s << u"Case 12"_s;
    QTest::newRow("English") << Language::English << u"Trouvimo ..."_s << u"&Play"_s
                             << u"Difficult Level"_s << u"Box 12"_s;
}

void TestBoardWindow::captionsFollowTheLanguage()
{
    QFETCH(Language, language);
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s}, language);
    QFETCH(QString, title);
    QCOMPARE(rig.window->windowTitle(), title);
    QFETCH(QString, play);
    QCOMPARE(rig.window->playButton()->text(), play);
    QFETCH(QString, check);
    QCOMPARE(rig.window->difficultBox()->text(), check);
    QFETCH(QString, slot);
    QCOMPARE(rig.window->slot(11)->accessibleDescription(), slot);
    QVERIFY(!rig.window->playButton()->icon().isNull());
    QVERIFY(!rig.window->quitButton()->icon().isNull());
}

void TestBoardWindow::missingListShowsAMessageBoxBeforeTheBoard()
{
    BoardRig rig;
    QString title;
    QString text;
    int buttons = -1;
    bool boardShown = true;
    // The box is answered once it is up, which takes the event loop a turn or a few.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        answer.stop();
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        boardShown = false;
        for (QWidget* widget : QApplication::topLevelWidgets())
            boardShown = boardShown || (qobject_cast<BoardWindow*>(widget) && widget->isVisible());
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    BoardWindow window(rig.services(), rig.language);
    window.open();
    QCOMPARE(title, u"Trouvimo"_s);
    QVERIFY(text.startsWith(u"Le fichier ListeMots.txt doit se trouver"_s));
    QCOMPARE(buttons, 1);
    QVERIFY(!boardShown);
    QCOMPARE(rig.gameExit.calls, 1);
}

void TestBoardWindow::playLaysOutTileWidgets()
{
    WindowRig rig({u"éléphant"_s, u"papillon"_s, u"ours"_s});
    BoardWindow& window = *rig.window;
    window.show();
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QCOMPARE(window.tileCount(), 8);
    QCOMPARE(window.hint()->text(), u"éléphant"_s);
    QString shown;
    for (int m = 0; m < window.tileCount(); ++m) {
        QVERIFY(window.tile(m)->isVisible());
        QCOMPARE(window.tile(m)->geometry(),
                 rig.design(design::kFirstTile, kTilePitch * static_cast<float>(m)));
        QCOMPARE(QAccessible::queryAccessibleInterface(window.tile(m))->text(QAccessible::Name),
                 window.tile(m)->text());
        shown += window.tile(m)->text();
    }
    QCOMPARE(shown, u"ÉLÉPHANT"_s);
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QCOMPARE(window.tileCount(), 4);
}

void TestBoardWindow::aClickIsAPressAndAReleaseInside()
{
    ClickableLabel label;
    label.setText(u"A"_s);
    label.resize(40, 40);
    label.show();
    int clicks = 0;
    QObject::connect(&label, &ClickableLabel::clicked, [&clicks] { ++clicks; });
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(clicks, 1);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(60, 20));
    QCOMPARE(clicks, 1);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(20, 20));
    QCOMPARE(clicks, 1);
    // A screen reader's or a switch device's press is a click.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&label);
    QVERIFY(accessible != nullptr && accessible->actionInterface() != nullptr);
    QVERIFY(accessible->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks, 2);
}

void TestBoardWindow::tileClickStartsTheTimersAndTheyMoveIt()
{
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s});
    BoardWindow& window = *rig.window;
    window.show();
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QTest::mouseClick(window.tile(3), Qt::LeftButton);
    QVERIFY(window.timer(1)->isActive());
    QVERIFY(window.timer(2)->isActive());
    // The real timers carry the tile into the first slot.
    QTRY_VERIFY(!window.timer(2)->isActive());
    QVERIFY(window.tile(3)->isHidden());
    QVERIFY(window.slot(0)->isVisible());
    QCOMPARE(window.slot(0)->text(), u"T"_s);
    QTRY_VERIFY(!window.timer(1)->isActive());
    QTest::mouseClick(window.slot(0), Qt::LeftButton);
    QTRY_VERIFY(window.slot(0)->isHidden());
    QVERIFY(window.tile(3)->isVisible());
    QCOMPARE(window.tile(3)->geometry(), rig.design(design::kFirstTile, kTilePitch * 3));
}

void TestBoardWindow::lettersStayWhole_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("wide");
    QTest::addColumn<bool>("inSlots");
    QTest::newRow("DŽ in the tiles") << u"ǆem\r\nlit\r\n"_s << u"Ǆ"_s << false;
    QTest::newRow("Œ in the slots") << u"cœur\r\nlit\r\n"_s << u"Œ"_s << true;
}

// A letter wider than its tile, or its slot, brings its word's letters there down to one size that
// keeps each inside; the next word gets its size back.
void TestBoardWindow::lettersStayWhole()
{
    QFETCH(QString, list);
    QFETCH(QString, wide);
    QFETCH(bool, inSlots);
    // A letter no font draws is drawn as a box the size of any other letter.
    const QStringList families = QFontDatabase::families();
    if (std::none_of(families.cbegin(), families.cend(), [&wide](const QString& family) {
            return QRawFont::fromFont(QFont(family)).supportsCharacter(wide.toUcs4().front());
        }))
        QSKIP(qPrintable(u"no font here draws the letter "_s + wide));
    BoardRig rig;
    rig.writeListBytes(list.toUtf8());
    BoardWindow window(rig.services(), rig.language);
    window.open();
    window.show();
    QList<int> sizes;
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(window.playButton(), Qt::LeftButton);
        std::vector<ClickableLabel*> shown;
        if (inSlots) {
            // All letters but the last, so that the word stays unsolved in the slots; "œ" comes
            // as a keyboard without it sends it, from an input method.
            const QString typed = window.hint()->text().chopped(1);
            for (const QChar letter : typed) {
                QInputMethodEvent composed;
                composed.setCommitString(letter);
                QApplication::sendEvent(&window, &composed);
            }
            for (int i = 0; i < typed.size(); ++i) {
                QTRY_VERIFY(window.slot(i)->isVisible());
                shown.push_back(window.slot(i));
            }
        } else {
            for (int m = 0; m < window.tileCount(); ++m)
                shown.push_back(window.tile(m));
        }
        for (ClickableLabel* label : shown) {
            QCOMPARE(label->font(), shown.front()->font());
            // The columns just inside the edges show nothing but the label's colour.
            const QImage drawn = label->grab().toImage();
            const QRect inside = label->contentsRect();
            const QRgb paper = label->palette().color(QPalette::Window).rgb();
            for (int y = inside.top(); y <= inside.bottom(); ++y) {
                QCOMPARE(drawn.pixel(inside.left(), y), paper);
                QCOMPARE(drawn.pixel(inside.right(), y), paper);
            }
        }
        sizes.append(shown.front()->font().pixelSize());
    }
    QVERIFY2(sizes[0] < sizes[1], qPrintable(u"%1 then %2"_s.arg(sizes[0]).arg(sizes[1])));
}

// Keys go where the platform sends them: to the widget that has the keyboard.
void TestBoardWindow::keysReachTheBoardAfterAnyClick()
{
    WindowRig rig({u"bébé"_s, u"de"_s});
    BoardWindow& window = *rig.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), &window);
    QTest::mouseClick(window.difficultBox(), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(rig.board().round(), 1);
    // Control+B is no letter: only one B leaves.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), u"b"_s);
    // A dead key and its letter reach the window as the text an input method composed.
    QInputMethodEvent composed;
    composed.setCommitString(u"é"_s);
    QApplication::sendEvent(QApplication::focusWidget(), &composed);
    QTRY_COMPARE(window.slot(1)->text(), u"É"_s);
    QCOMPARE(window.slot(0)->text(), u"B"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTRY_VERIFY(window.slot(0)->isHidden());
}

void TestBoardWindow::enterPressesTheFocusedControl_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("round");
    QTest::addColumn<bool>("quits");
    QTest::addColumn<bool>("difficult");
    QTest::newRow("Enter on the board") << u"board"_s << int(Qt::Key_Return) << 2 << false << false;
    QTest::newRow("Space on the board") << u"board"_s << int(Qt::Key_Space) << 2 << false << false;
    QTest::newRow("Enter on Jouer") << u"play"_s << int(Qt::Key_Enter) << 2 << false << false;
    QTest::newRow("Enter on Quitter") << u"quit"_s << int(Qt::Key_Return) << 1 << true << false;
    QTest::newRow("Space on Quitter") << u"quit"_s << int(Qt::Key_Space) << 1 << true << false;
    QTest::newRow("Enter on the check box")
        << u"difficult"_s << int(Qt::Key_Return) << 1 << false << true;
}

// Enter and Space press the control that has the keyboard; only on the board itself do they play
// the next word, and never throw away the word in play from a button.
void TestBoardWindow::enterPressesTheFocusedControl()
{
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(int, round);
    QFETCH(bool, quits);
    QFETCH(bool, difficult);
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s});
    BoardWindow& window = *rig.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.run([](Board& board) { board.playNextWord(); });
    const std::map<QString, QWidget*> controls {{u"board"_s, &window},
                                                {u"play"_s, window.playButton()},
                                                {u"quit"_s, window.quitButton()},
                                                {u"difficult"_s, window.difficultBox()}};
    controls.at(focused)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    // A button pressed from the keyboard springs back a moment later.
    QTRY_COMPARE(rig.board().round() + rig.gameExit.calls + int(rig.board().difficult()),
                 round + int(quits) + int(difficult));
    QCOMPARE(rig.board().round(), round);
    QCOMPARE(rig.gameExit.calls, quits ? 1 : 0);
    QCOMPARE(rig.board().difficult(), difficult);
}

// The board itself has the keyboard from its first show, and shows it; the keyboard stays where
// the child put it with Tab when a tile is clicked, and Tab comes back to the board.
void TestBoardWindow::focusShowsFromTheStartAndStaysWhereTheChildPutIt()
{
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s});
    BoardWindow& window = *rig.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), &window);
    const QRect answerArea = rig.design(design::kSlotFrame);
    const QImage focused = window.grab(answerArea).toImage();

    QTest::keyClick(&window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.playButton());
    QVERIFY(window.grab(answerArea).toImage() != focused);
    QTest::keyClick(window.playButton(), Qt::Key_Space);
    QCOMPARE(rig.board().round(), 1);
    QTest::mouseClick(window.tile(0), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), window.playButton());

    const QList<QWidget*> tabs {window.quitButton(),    window.difficultBox(),
                                window.voiceBox(),      &window,
                                window.speakerButton(), window.playButton()};
    for (QWidget* next : tabs) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), &window);
    QCOMPARE(window.grab(answerArea).toImage(), focused);
}

void TestBoardWindow::hintTimerRestartsForEachRound()
{
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s});
    BoardWindow& window = *rig.window;
    window.show();
    QTest::mouseClick(window.difficultBox(), Qt::LeftButton);
    QVERIFY(rig.board().difficult());
    QVERIFY(!window.timer(3)->isActive());
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QVERIFY(window.timer(3)->isActive());
    // A new round gives its hint the full four seconds: the running countdown starts again. Half
    // of it gone first, so that a busy machine's delays cannot pass for a restart.
    QTRY_VERIFY_WITH_TIMEOUT(window.timer(3)->remainingTime() < 2000, 30000);
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QVERIFY(window.timer(3)->isActive());
    QVERIFY(window.timer(3)->remainingTime() > 2000);
    window.run([](Board& model) { model.hideHint(); });
    QVERIFY(window.hint()->text().isEmpty());
    QVERIFY(!window.timer(3)->isActive());
}

void TestBoardWindow::endMessageDisablesPlay()
{
    WindowRig rig({u"chat"_s}, Language::English);
    BoardWindow& window = *rig.window;
    window.show();
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QVERIFY(!window.playButton()->isEnabled());
    QString message;
    for (int i = 0; i < Board::kSlotCount; ++i) {
        QCOMPARE(window.slot(i)->isVisible(), i < 10);
        message += window.slot(i)->text();
    }
    QCOMPARE(message, u"THE END"_s);
}

void TestBoardWindow::closeBoxEndsTheProcessAndStopsTheTimers()
{
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s});
    BoardWindow& window = *rig.window;
    window.show();
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    QTest::mouseClick(window.tile(0), Qt::LeftButton);
    QVERIFY(window.timer(2)->isActive());
    window.close();
    QCOMPARE(rig.gameExit.calls, 1);
    QCOMPARE(rig.playedName(), u"Chimes.wav"_s);
    for (int number = 1; number <= 3; ++number)
        QVERIFY(!window.timer(number)->isActive());
}

void TestBoardWindow::pictureViewerLoadsAndRefuses()
{
    QTemporaryDir directory;
    const auto write = [&directory](const QString& name, const QByteArray& bytes) {
        QFile file(directory.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return file.fileName();
    };
    AnimatedPicture picture;
    const auto size = picture.load(write(u"ONE.gif"_s, tinyGif()));
    QVERIFY(size.has_value());
    QCOMPARE(*size, QSizeF(15, 15));
    QVERIFY(picture.hasPicture());

    const QStringList refused {
        write(u"HUGE.gif"_s, tinyGif(30000, 30000)),  write(u"EMPTY.gif"_s, {}),
        write(u"TEXT.gif"_s, "not a picture at all"), write(u"CUT.gif"_s, tinyGif().left(12)),
        directory.filePath(u"MISSING.gif"_s),         directory.path(),
    };
    for (const QString& file : refused) {
        QVERIFY2(!picture.load(file).has_value(), qPrintable(file));
        QVERIFY(!picture.hasPicture());
    }
}

void TestBoardWindow::solvedWordShowsItsPictureWithinTheFrame_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("animated");
    QTest::addColumn<bool>("flat"); // one colour, dark green, whatever its pixel format

    QTest::newRow("small GIF") << u"CHAT.gif"_s << tinyGif(145, 121) << false << false;
    QTest::newRow("oversized animated GIF")
        << u"chat.GIF"_s << animatedGif(400, 300) << true << false;
    QTest::newRow("GIF frames with palettes of their own")
        << u"CHAT.gif"_s << localPaletteGif(300, 250) << true << true;
    QTest::newRow("PNG photo") << u"CHAT.png"_s << photo(640, 480, "PNG") << false << true;
    QTest::newRow("JPEG photo") << u"Chat.jpeg"_s << photo(3000, 4000, "JPEG") << false << true;
    QTest::newRow("WebP photo") << u"CHAT.webp"_s << photo(1024, 200, "WEBP") << false << true;
    const QList<std::pair<const char*, QImage::Format>> drawings {
        {"palette", QImage::Format_Indexed8},     {"two-colour", QImage::Format_Mono},
        {"grey", QImage::Format_Grayscale8},      {"16-bit grey", QImage::Format_Grayscale16},
        {"16-bit colour", QImage::Format_RGBX64}, {"16-bit with alpha", QImage::Format_RGBA64},
    };
    for (const auto& [name, pixels] : drawings) {
        for (const bool transparentEdge : {false, true}) {
            for (const QSize size : {QSize(145, 121), QSize(400, 300)}) {
                QTest::addRow("%s PNG%s, %d wide", name, transparentEdge ? " with alpha" : "",
                              size.width())
                    << u"CHAT.png"_s
                    << photo(size.width(), size.height(), "PNG", pixels, transparentEdge) << false
                    << true;
            }
        }
    }
}

void TestBoardWindow::solvedWordShowsItsPictureWithinTheFrame()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, animated);
    QFETCH(bool, flat);
    WindowRig rig({u"chat"_s, u"de"_s, u"fg"_s});
    QDir(rig.directory.path()).mkpath(u"Images/Mots"_s);
    QFile picture(rig.directory.filePath(u"Images/Mots/"_s + file));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.write(bytes);
    picture.close();
    const QSize natural = QImage::fromData(bytes).size();
    BoardWindow& window = *rig.window;
    window.show();
    QTest::mouseClick(window.playButton(), Qt::LeftButton);
    for (int m = 0; m < 4; ++m) {
        window.run([m](Board& model) { model.tileClicked(m); });
        while (rig.board().slideTimer().running)
            window.slideTick();
    }

    const AnimatedPicture& shown = *window.picture();
    QVERIFY(shown.isVisible());
    QCOMPARE(QFileInfo(shown.file()).fileName(), file);
    const QRect frame = rig.design(design::kPictureFrame);
    const QRect place = shown.geometry();
    if (natural.width() <= frame.width() && natural.height() <= frame.height()) {
        QCOMPARE(place, rig.design(design::kPicture));
    } else {
        // Shrunk to the frame's width or height, its proportions kept to the pixel.
        QVERIFY(place.width() == frame.width() || place.height() == frame.height());
        QVERIFY(place.width() <= frame.width() && place.height() <= frame.height());
        QVERIFY(std::abs(place.width() * natural.height() - place.height() * natural.width())
                <= std::max(natural.width(), natural.height()));
        QVERIFY(place.top() >= frame.top() && place.bottom() <= frame.bottom());
    }
    // Shrunk to the size it is shown, in its own colours (grey stays grey), and an animation
    // goes on playing.
    QTRY_COMPARE(shown.frame().size(), shown.size());
    const QImage source = QImage::fromData(bytes);
    const QColor expected = source.pixelColor(source.width() / 2, source.height() / 2);
    const auto centre = [&shown] {
        return shown.frame().pixelColor(shown.width() / 2, shown.height() / 2);
    };
    const auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3
            && std::abs(a.blue() - b.blue()) <= 3 && a.alpha() == b.alpha();
    };
    if (flat)
        QVERIFY2(near(centre(), expected),
                 qPrintable(centre().name() + u" for "_s + expected.name()));
    if (animated) {
        const int first = shown.movie()->currentFrameNumber();
        QTRY_VERIFY(shown.movie()->currentFrameNumber() != first);
        QCOMPARE(shown.frame().size(), shown.size());
        if (flat)
            QVERIFY2(near(centre(), expected), qPrintable(centre().name()));
    }
}

QTEST_MAIN(TestBoardWindow)
#include "tst_boardwindow.moc"
