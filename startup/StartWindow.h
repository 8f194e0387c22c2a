#pragma once

#include "gamedata/GameData.h"
#include "settings/ComputerSettings.h"
#include "widgets/AccessibleWindow.h"
#include "widgets/GraphicalButton.h"

#include <utility>
#include <vector>

class QAbstractButton;
class QLabel;

namespace trouvimo {

class DataPaths;
class Display;
class GameExit;
class HeldPress;
class SoundPlayer;

// The start screen: the child picks a language with a flag and launches the board, or quits.
class StartWindow : public AccessibleWindow {
    Q_OBJECT

public:
    StartWindow(const DataPaths& paths, Display& display, SoundPlayer& sound, GameExit& gameExit,
                const ComputerSettings& settings = {}, QWidget* parent = nullptr);

    // Whether the game may switch the monitor to 800 x 600, or must keep it as it is (the
    // family asked for it).
    enum class DisplayChoice { SwitchWhereNeeded, Keep };

    // Runs once, before the window first appears: French is chosen, the display is measured
    // and switched to 800 x 600 when needed and allowed, and the greeting plays.
    void open(DisplayChoice choice = DisplayChoice::SwitchWhereNeeded);
    void chooseFrench();
    void chooseEnglish();
    void launch();
    void quit();

    // Places the window in the middle of the screen, once the screen has taken the mode that
    // open() may have asked for.
    void centreOnScreen();

    // The primary monitor's size measured at load, in device pixels.
    [[nodiscard]] QSize measuredSize() const { return m_measuredSize; }
    [[nodiscard]] bool switchedDisplay() const { return m_switched; }
    // A monitor larger than the design that stayed as it was: the game then fills it, the
    // design scaled up, rather than showing small among the desktop's windows.
    [[nodiscard]] bool fillsTheMonitor() const;

    // Gives grown-ups a way into the "My words" window: a control that shows nothing to the child
    // but the focus frame when the keyboard is on it, over the year line, reached with Alt+M and
    // named for screen readers in the language chosen.
    void offerMyWords();
    void openMyWords();

    // Shows the window at `scale` times its design, as the board that fills the monitor is.
    void setScale(double scale);
    [[nodiscard]] Language language() const { return m_language; }

    // The flags, the launch and quit buttons, then the two lines of text.
    [[nodiscard]] QList<QWidget*> readingOrder() const override;

signals:
    // The start screen has gone; the board takes over from here in the chosen language.
    void launchRequested(trouvimo::Language language);
    // The start screen has painted its first frame: it is on the screen.
    void onScreen();
    // A grown-up asked for the "My words" window, in the language chosen.
    void myWordsRequested(trouvimo::Language language);

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls(bool holdToQuit);
    void applyScale();
    void nameMyWords();

    const DataPaths& m_paths;
    Display& m_display;
    SoundPlayer& m_sound;
    GameExit& m_gameExit;

    Language m_language = Language::French;
    QSize m_measuredSize;
    bool m_switched = false;
    bool m_launching = false;
    double m_scale = 1.0;

    bool m_painted = false;
    // Every control and its place in the design, in twips.
    std::vector<std::pair<QWidget*, QRect>> m_design;
    GraphicalButton* m_launchButton = nullptr;
    GraphicalButton* m_quitButton = nullptr;
    // Where Quitter must be held down: its press, which the window's close tells of too.
    HeldPress* m_heldQuit = nullptr;
    GraphicalButton* m_frenchButton = nullptr;
    GraphicalButton* m_englishButton = nullptr;
    QLabel* m_authorLine = nullptr;
    QLabel* m_yearLine = nullptr;
    QAbstractButton* m_myWords = nullptr;
};

} // namespace trouvimo
