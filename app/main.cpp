#include "board/BoardWindow.h"
#include "board/WordVoice.h"
#include "check/DataCheck.h"
#include "platform/Console.h"
#include "platform/DataPaths.h"
#include "platform/DisplayConnection.h"
#include "platform/DisplayFactory.h"
#include "platform/EventLoopPause.h"
#include "platform/GameFolders.h"
#include "platform/ImmediateExit.h"
#include "platform/QtSoundPlayer.h"
#include "platform/QtSpeech.h"
#include "platform/SignalWatcher.h"
#include "platform/SystemClock.h"
#include "startup/StartWindow.h"
#include "words/Draw.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;
using namespace trouvimo;

int main(int argc, char* argv[])
{
    // The check runs where there may be no display at all, and starts neither sound nor windows.
    const bool summary = argc == 3 && std::strcmp(argv[2], "--summary") == 0;
    if ((argc == 2 || summary) && std::strcmp(argv[1], "--check") == 0) {
        QCoreApplication app(argc, argv);
        printToTheCallersConsole();
        const GameFolders folders = findGameFolders(QCoreApplication::applicationDirPath());
        return runDataCheck(
            DataPaths(folders.data, folders.own),
            QtSoundPlayer::recordingProberIn(QtSoundPlayer::moduleIn(folders.programs)),
            summary ? CheckDetail::Summary : CheckDetail::Full);
    }

    drawInDevicePixels();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trouvimo"));
    endAtOnceWhenTheDisplayConnectionBreaks();

    const GameFolders folders = findGameFolders(QCoreApplication::applicationDirPath());
    const DataPaths paths(folders.data, folders.own);
    loadCarriedFonts(folders.data);
    const std::unique_ptr<trouvimo::Display> display = makeDisplay(folders.programs);
    QtSoundPlayer sound(QtSoundPlayer::moduleIn(folders.programs));
    QtSpeech speech(QtSpeech::moduleIn(folders.programs));
    WordVoice voice(paths, sound, speech);
    EventLoopPause pause(systemClock());
    ImmediateExit gameExit(sound, *display);
    Draw draw;
    std::unique_ptr<BoardWindow> board;
    BoardWindow::Placement placement = BoardWindow::Placement::Window;

    // The start screen deletes itself when the board is launched.
    QPointer<StartWindow> start = new StartWindow(paths, *display, sound, gameExit);
    QObject::connect(start, &StartWindow::launchRequested, &app, [&](Language language) {
        // Speech synthesis starts with the board, whose words it says: connecting to the speech
        // server and listing its voices takes the processor for a second and some megabytes,
        // which the start screen, where nothing is said, does without.
        speech.start();
        board = std::make_unique<BoardWindow>(
            BoardServices {paths, sound, pause, gameExit, draw, voice}, language, placement);
        board->open();
        board->showCentred();
    });

    // A signal ends the game the way the child would: through the board's closing when it is
    // open, otherwise straight away; either way the display goes back to what was found.
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app, [&] {
        if (board) {
            board->close();
            return;
        }
        gameExit.exitGame();
    });

    // What the game does in the background (the sound module and the sound server) starts once
    // the start screen is on the screen, after its first frame has gone to the display.
    QObject::connect(
        start, &StartWindow::onScreen, &app, [&sound] { sound.start(); }, Qt::QueuedConnection);

    // The family may keep the display as it is; the game then fills the monitor with its design
    // scaled up, as it does wherever the display cannot be switched.
    const bool keepDisplay = QCoreApplication::arguments().contains(u"--keep-display"_s);
    start->open(keepDisplay ? StartWindow::DisplayChoice::Keep
                            : StartWindow::DisplayChoice::SwitchWhereNeeded);
    if (const QScreen* screen = QGuiApplication::primaryScreen();
        screen != nullptr && start->fillsTheMonitor()) {
        placement = BoardWindow::Placement::FullScreen;
        start->setScale(BoardWindow::fullScreenScale(screen->geometry().size()));
    }
    start->centreOnScreen();
    start->show();
    // Every window of the game ends it through gameExit; should Qt end the event loop on its own
    // all the same, the game still ends that way rather than through the destructors, which wait
    // for the sound and speech threads and so for servers that may never answer.
    QApplication::exec();
    gameExit.exitGame();
}
