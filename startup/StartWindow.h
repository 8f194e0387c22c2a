#pragma once

#include "gamedata/GameData.h"

#include <QWidget>

class QLabel;
class QToolButton;

namespace trouvimo {

class DataPaths;
class Display;
class GameExit;
class SoundPlayer;

// The start screen: the child picks a language with a flag and launches the board, or quits.
class StartWindow : public QWidget {
    Q_OBJECT

public:
    StartWindow(const DataPaths& paths, Display& display, SoundPlayer& sound, GameExit& gameExit,
                QWidget* parent = nullptr);

    // Runs once, before the window first appears: French is chosen, the display is measured
    // and switched to 800 x 600 when needed, and the greeting plays.
    void open();
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
    [[nodiscard]] Language language() const { return m_language; }

signals:
    // The start screen has gone; the board takes over from here in the chosen language.
    void launchRequested(trouvimo::Language language);
    // The start screen has painted its first frame: it is on the screen.
    void onScreen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();

    const DataPaths& m_paths;
    Display& m_display;
    SoundPlayer& m_sound;
    GameExit& m_gameExit;

    Language m_language = Language::French;
    QSize m_measuredSize;
    bool m_switched = false;
    bool m_launching = false;

    bool m_painted = false;
    QToolButton* m_launchButton = nullptr;
    QToolButton* m_quitButton = nullptr;
    QToolButton* m_frenchButton = nullptr;
    QToolButton* m_englishButton = nullptr;
    QLabel* m_authorLine = nullptr;
    QLabel* m_yearLine = nullptr;
};

} // namespace trouvimo
