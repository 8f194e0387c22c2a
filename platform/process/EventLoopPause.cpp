#include "platform/process/EventLoopPause.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace trouvimo {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// Each wait is cut into slices this long at most, so a clock that jumps ahead is noticed soon.
constexpr double kLongestSliceSeconds = 0.05;
// How much longer than asked a pause may last when the time of day does not move on.
constexpr double kSteadyMarginSeconds = 1.0;

// Sleeps on a nested event loop for the given time, running every event that arrives meanwhile.
void waitOnEventLoop(double seconds)
{
    const int milliseconds = std::max(1, static_cast<int>(std::ceil(seconds * 1000.0)));
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    loop.exec();
}

} // namespace

EventLoopPause::EventLoopPause(const Clock& clock)
    : m_clock(clock)
{
}

void EventLoopPause::pause(float seconds)
{
    double start = m_clock.secondsSinceMidnight();
    QElapsedTimer steady;
    steady.start();
    const double steadyLimit = static_cast<double>(seconds) + kSteadyMarginSeconds;
    for (;;) {
        // The elapsed time is tested before any wait, so that zero or a negative duration
        // returns without running a single event.
        const float elapsed = static_cast<float>(m_clock.secondsSinceMidnight() - start);
        if (!(elapsed < seconds))
            return;
        const double steadyElapsed = static_cast<double>(steady.nsecsElapsed()) / 1e9;
        if (steadyElapsed >= steadyLimit)
            return;
        const double remaining = static_cast<double>(seconds) - static_cast<double>(elapsed);
        waitOnEventLoop(std::min({remaining, kLongestSliceSeconds, steadyLimit - steadyElapsed}));
        if (m_clock.secondsSinceMidnight() < start)
            start -= kSecondsPerDay;
    }
}

} // namespace trouvimo
