#include "board/BoardWindow.h"
#include "board/WordVoice.h"
#include "check/DataCheck.h"
#include "mywords/FamilyWords.h"
#include "mywords/MyWordsAccess.h"
#include "mywords/MyWordsWindow.h"
#include "platform/display/DisplayConnection.h"
#include "platform/display/DisplayFactory.h"
#include "platform/files/DataPaths.h"
#include "platform/files/GameFolders.h"
#include "platform/microphone/MicrophoneThread.h"
#include "platform/process/Console.h"
#include "platform/process/EventLoopPause.h"
#include "platform/process/ImmediateExit.h"
#include "platform/process/SignalWatcher.h"
#include "platform/process/SystemClock.h"
#include "platform/sound/SoundThread.h"
#include "platform/speech/SpeechThread.h"
#include "settings/ComputerSettings.h"
#include "startup/StartWindow.h"
#include "words/Draw.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QTextStream>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;
using namespace trouvimo;

namespace {

// What the "My words" window needs beyond the game's own services, made when it first opens, so
// that neither the microphone nor the family's folder are any part of the game's start.
struct MyWordsPlace {
    MyWordsPlace(const GameFolders& folders, const MyWordsAccess& access)
        : paths(folders.data, access.lending)
        , words(access.folder, newTextLineEnd())
        , set(access.set)
        , microphone(MicrophoneThread::moduleIn(folders.programs))
        , probe(SoundThread::recordingProberIn(SoundThread::moduleIn(folders.programs)))
    {
    }

    DataPaths paths;
    FamilyWords words;
    WordSet set;
    MicrophoneThread microphone;
    RecordingProber probe;
    QPointer<MyWordsWindow> window;
};

void openMyWords(std::unique_ptr<MyWordsPlace>& place, const GameFolders& folders,
                 const MyWordsAccess& access, SoundPlayer& sound, Language captions)
{
    if (!place)
        place = std::make_unique<MyWordsPlace>(folders, access);
    if (!place->window) {
        place->window = new MyWordsWindow(MyWordsServices {place->paths, place->words, place->set,
                                                           sound, place->microphone, place->probe},
                                          captions);
    }
    place->window->show();
    place->window->raise();
    place->window->activateWindow();
}

} // namespace

int main(int argc, char* argv[])
{
    // The check runs where there may be no display at all, and starts neither sound nor windows.
    const bool summary = argc == 3 && std::strcmp(argv[2], "--summary") == 0;
    if ((argc == 2 || summary) && std::strcmp(argv[1], "--check") == 0) {
        QCoreApplication app(argc, argv);
        printToTheCallersConsole();
        const GameFolders folders = findGameFolders(QCoreApplication::applicationDirPath());
        const SettingsFile settings {folders.settings, loadComputerSettings(folders.settings)};
        return runDataCheck(
            DataPaths(folders.data, folders.lendingFolders(settings.read.settings.familyWords)),
            SoundThread::recordingProberIn(SoundThread::moduleIn(folders.programs)), settings,
            summary ? CheckDetail::Summary : CheckDetail::Full);
    }
    // The installer hands the settings it was given over to the game, which writes them for every
    // user of the computer.
    if (argc >= 2 && std::strcmp(argv[1], "--install-settings") == 0) {
        QCoreApplication app(argc, argv);
        const QString settingsFile =
            findGameFolders(QCoreApplication::applicationDirPath()).settings;
        // Made, or taken back, for the administrators to write in alone on every install, so
        // that no pupil can add a class list or settings of their own there.
        const bool kept = keepComputerFolder(QFileInfo(settingsFile).absolutePath());
        const InstallOutcome outcome =
            installSettings(settingsFile, givenSettings(QCoreApplication::arguments().mid(2)));
        return !kept || outcome == InstallOutcome::NotWritten ? 1 : 0;
    }

    drawInDevicePixels();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trouvimo"));
    endAtOnceWhenTheDisplayConnectionBreaks();

    const GameFolders folders = findGameFolders(QCoreApplication::applicationDirPath());
    const ComputerSettings settings = loadComputerSettings(folders.settings).settings;
    const DataPaths paths(folders.data, folders.lendingFolders(settings.familyWords));
    loadCarriedFonts(folders.data);
    const MyWordsAccess myWords = myWordsAccess(folders, settings, canWriteFolder);
    std::unique_ptr<MyWordsPlace> myWordsPlace;

    // The "My words" window alone: no start screen, no display switched, no greeting.
    if (QCoreApplication::arguments().contains(u"--words"_s)) {
        const Language captions = reportLanguage(QLocale::system());
        if (!myWords.offered) {
            printToTheCallersConsole();
            const bool french = captions == Language::French;
            QTextStream(stderr)
                << (!settings.wordsWindow
                        ? (french
                               ? u"Trouvimo : « Mes mots » n'est pas proposé sur cet ordinateur.\n"_s
                               : u"Trouvimo: \"My words\" is not offered on this computer.\n"_s)
                        : (french ? u"Trouvimo : aucun dossier où garder vos mots.\n"_s
                                  : u"Trouvimo: no folder to keep your words in.\n"_s));
            return 1;
        }
        SoundThread sound(SoundThread::moduleIn(folders.programs));
        sound.start();
        openMyWords(myWordsPlace, folders, myWords, sound, captions);
        const int status = QApplication::exec();
        myWordsPlace.reset();
        return status;
    }
    const std::unique_ptr<trouvimo::Display> display = makeDisplay(folders.programs);
    SoundThread sound(SoundThread::moduleIn(folders.programs));
    SpeechThread speech(SpeechThread::moduleIn(folders.programs));
    WordVoice voice(paths, sound, speech);
    EventLoopPause pause(systemClock());
    ImmediateExit gameExit(sound, *display);
    Draw draw;
    std::unique_ptr<BoardWindow> board;
    BoardWindow::Placement placement = BoardWindow::Placement::Window;

    // The start screen deletes itself when the board is launched.
    QPointer<StartWindow> start = new StartWindow(paths, *display, sound, gameExit, settings);
    QObject::connect(start, &StartWindow::launchRequested, &app, [&](Language language) {
        // Speech synthesis starts with the board, whose words it says: connecting to the speech
        // server and listing its voices takes the processor for a second and some megabytes,
        // which the start screen, where nothing is said, does without.
        speech.start();
        board = std::make_unique<BoardWindow>(
            BoardServices {paths, sound, pause, gameExit, draw, voice}, language, placement,
            settings);
        board->open();
        board->showCentred();
    });

    if (myWords.offered) {
        start->offerMyWords();
        QObject::connect(start, &StartWindow::myWordsRequested, &app, [&](Language language) {
            openMyWords(myWordsPlace, folders, myWords, sound, language);
        });
    }

    // A signal ends the game the way the child would: through the board's closing when it is
    // open, otherwise straight away; either way the display goes back to what was found.
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app, [&] {
        if (board) {
            board->run([](Board& rules) { rules.quit(); });
            return;
        }
        gameExit.exitGame();
    });

    // What the game does in the background (the sound module and the sound server) starts once
    // the start screen is on the screen, after its first frame has gone to the display.
    QObject::connect(
        start, &StartWindow::onScreen, &app, [&sound] { sound.start(); }, Qt::QueuedConnection);

    // The family, or the computer's settings, may keep the display as it is; the game then fills
    // the monitor with its design scaled up, as it does wherever the display cannot be switched.
    const bool keepDisplay =
        QCoreApplication::arguments().contains(u"--keep-display"_s) || !settings.switchDisplay;
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
