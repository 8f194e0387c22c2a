#include "widgets/HeldPress.h"

#include "widgets/GraphicalButton.h"

#include <algorithm>
#include <utility>

namespace trouvimo {

namespace {

// How often the fill moves on while the button is held, and how long the hint stays.
constexpr auto kStep = std::chrono::milliseconds(40);
constexpr auto kHintShown = std::chrono::milliseconds(2500);

} // namespace

HeldPress::HeldPress(GraphicalButton* button, std::chrono::milliseconds hold, QString hint)
    : QObject(button)
    , m_button(button)
    , m_hold(hold)
    , m_hint(std::move(hint))
{
    m_button->setAccessibleDescription(m_hint);
    m_steps.setInterval(kStep);
    m_hintShown.setSingleShot(true);
    m_hintShown.setInterval(kHintShown);
    connect(&m_steps, &QTimer::timeout, this, &HeldPress::step);
    connect(&m_hintShown, &QTimer::timeout, this, [this] { m_button->setNotice({}); });
    connect(m_button, &GraphicalButton::pressed, this, &HeldPress::pressed);
    connect(m_button, &GraphicalButton::released, this, &HeldPress::released);
    // A click that no press came before: an access key, Enter, or a screen reader's action.
    connect(m_button, &GraphicalButton::clicked, this, [this] {
        if (!m_pressing)
            tell();
    });
}

void HeldPress::tell()
{
    m_button->setNotice(m_hint);
    m_hintShown.start();
}

void HeldPress::pressed()
{
    m_pressing = true;
    m_pressedAt = std::chrono::steady_clock::now();
    m_hintShown.stop();
    m_button->setNotice({});
    m_steps.start();
}

void HeldPress::released()
{
    // The click that follows a release comes at once; it is the press's, not a click of its own.
    QTimer::singleShot(0, this, [this] { m_pressing = false; });
    if (!m_steps.isActive())
        return;
    m_steps.stop();
    m_button->setFill(0.0);
    tell();
}

void HeldPress::step()
{
    const auto heldFor = std::chrono::steady_clock::now() - m_pressedAt;
    const double done = std::chrono::duration<double>(heldFor) / m_hold;
    m_button->setFill(std::min(done, 1.0));
    if (done < 1.0)
        return;
    m_steps.stop();
    emit held();
}

} // namespace trouvimo
