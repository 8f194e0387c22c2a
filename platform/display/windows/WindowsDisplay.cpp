#include "platform/display/windows/WindowsDisplay.h"

#include <cstdlib>
#include <optional>

#include <windows.h>

namespace trouvimo {

namespace {

std::wstring primaryMonitorDevice()
{
    MONITORINFOEXW info {};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromPoint(POINT {0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (monitor == nullptr || GetMonitorInfoW(monitor, &info) == FALSE)
        return {};
    return info.szDevice;
}

std::optional<DEVMODEW> currentMode(const std::wstring& device)
{
    DEVMODEW mode {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsExW(device.c_str(), ENUM_CURRENT_SETTINGS, &mode, 0) == FALSE)
        return std::nullopt;
    return mode;
}

// The monitor's mode of that size nearest the refresh rate it runs at now, in its current
// colour depth.
std::optional<DEVMODEW> modeOfSize(const std::wstring& device, QSize size, const DEVMODEW& now)
{
    std::optional<DEVMODEW> best;
    DEVMODEW mode {};
    mode.dmSize = sizeof mode;
    for (DWORD index = 0; EnumDisplaySettingsExW(device.c_str(), index, &mode, 0) != FALSE;
         ++index) {
        if (static_cast<int>(mode.dmPelsWidth) != size.width()
            || static_cast<int>(mode.dmPelsHeight) != size.height()
            || mode.dmBitsPerPel != now.dmBitsPerPel)
            continue;
        const auto distance = [&now](const DEVMODEW& candidate) {
            return std::abs(static_cast<long>(candidate.dmDisplayFrequency)
                            - static_cast<long>(now.dmDisplayFrequency));
        };
        if (!best || distance(mode) < distance(*best))
            best = mode;
    }
    return best;
}

} // namespace

WindowsDisplay::WindowsDisplay()
    : m_device(primaryMonitorDevice())
{
}

WindowsDisplay::~WindowsDisplay()
{
    restore();
}

QSize WindowsDisplay::monitorSize() const
{
    const std::optional<DEVMODEW> mode = m_device.empty() ? std::nullopt : currentMode(m_device);
    if (!mode)
        return {};
    return {static_cast<int>(mode->dmPelsWidth), static_cast<int>(mode->dmPelsHeight)};
}

bool WindowsDisplay::switchTo(QSize size)
{
    if (m_device.empty() || size.isEmpty())
        return false;
    const std::optional<DEVMODEW> now = currentMode(m_device);
    if (!now)
        return false;
    std::optional<DEVMODEW> wanted = modeOfSize(m_device, size, *now);
    if (!wanted)
        return false;
    wanted->dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL | DM_DISPLAYFREQUENCY;
    if (ChangeDisplaySettingsExW(m_device.c_str(), &*wanted, nullptr, CDS_FULLSCREEN, nullptr)
        != DISP_CHANGE_SUCCESSFUL)
        return false;
    m_switched = true;
    return true;
}

void WindowsDisplay::restore()
{
    if (!m_switched)
        return;
    // No mode at all returns the monitor to the one kept in the registry, which a switch made
    // for the game alone never changed.
    ChangeDisplaySettingsExW(m_device.c_str(), nullptr, nullptr, 0, nullptr);
    m_switched = false;
}

} // namespace trouvimo
