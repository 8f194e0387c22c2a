#include "DataPaths.h"
#include "DisplayConnection.h"
#include "DisplayFactory.h"
#include "EventLoopPause.h"
#include "ImmediateExit.h"
#include "Loterie.h"
#include "QtSoundPlayer.h"
#include "SharedValues.h"
#include "SignalWatcher.h"
#include "SystemClock.h"
#include "frmChoix.h"
#include "frmMots.h"

#include <QApplication>
#include <QPointer>

#include <memory>

using namespace trouvimo;

int main(int argc, char* argv[])
{
    drawInDevicePixels();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trouvimo"));
    endAtOnceWhenTheDisplayConnectionBreaks();

    SharedValues shared;
    const DataPaths paths(QCoreApplication::applicationDirPath());
    const std::unique_ptr<trouvimo::Display> display
        = makeDisplay(paths.applicationDirectory() + u'/' + displayGuardFileName());
    QtSoundPlayer sound(QtSoundPlayer::moduleIn(paths.applicationDirectory()));
    SystemClock clock;
    EventLoopPause pause(clock);
    ImmediateExit processEnd(sound, *display);
    Loterie loterie;
    std::unique_ptr<frmMots> board;

    // The start screen deletes itself when the board is launched.
    QPointer<frmChoix> choix = new frmChoix(shared, paths, *display, sound, processEnd);
    QObject::connect(choix, &frmChoix::launchRequested, &app, [&] {
        board = std::make_unique<frmMots>(
            BoardServices { shared, paths, sound, pause, processEnd, loterie });
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
        processEnd.endProcess();
    });

    // What the game does in the background (the sound module and the sound server) starts once
    // the start screen is on the screen, after its first frame has gone to the display.
    QObject::connect(choix, &frmChoix::onScreen, &app, [&sound] { sound.start(); },
                     Qt::QueuedConnection);

    choix->centreOnScreen();
    choix->show();
    return QApplication::exec();
}
