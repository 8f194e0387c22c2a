#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QToolButton;

namespace trouvimo {

class DataPaths;
class Display;
class ProcessEnd;
class SoundPlayer;
struct SharedValues;

// The start screen: the child picks a language with a flag and launches the board, or quits.
// Loading it measures the display, switches it to 800 x 600 when needed and plays the greeting.
class frmChoix : public QWidget {
    Q_OBJECT

public:
    frmChoix(SharedValues& shared, const DataPaths& paths, Display& display, SoundPlayer& sound,
             ProcessEnd& processEnd, QWidget* parent = nullptr);

    // Runs once, before the window first appears (the constructor calls it).
    void Form_Load();
    void Option1_Click();
    void Option2_Click();
    // 0 launches the board, 1 quits; any other index does nothing.
    void Command1_Click(int Index);

    // Places the window in the middle of the screen, once the screen has taken the mode that
    // Form_Load may have asked for.
    void centreOnScreen();

    // The primary monitor's size measured at load, in device pixels.
    [[nodiscard]] QSize measuredSize() const { return m_measuredSize; }
    [[nodiscard]] bool switchedDisplay() const { return m_switched; }

signals:
    // The start screen has gone; the board takes over from here.
    void launchRequested();
    // The start screen has painted its first frame: it is on the screen.
    void onScreen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();

    SharedValues& m_shared;
    const DataPaths& m_paths;
    Display& m_display;
    SoundPlayer& m_sound;
    ProcessEnd& m_processEnd;

    QSize m_measuredSize;
    bool m_switched = false;
    bool m_launching = false;

    // Decoding the picture takes about as long as building the rest of the window, so it waits for
    // the first paint, when the window has already gone to the display.
    std::optional<QImage> m_background;
    bool m_painted = false;
    std::array<QToolButton*, 2> m_Command1 {};
    QToolButton* m_Option1 = nullptr;
    QToolButton* m_Option2 = nullptr;
    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
};

} // namespace trouvimo
