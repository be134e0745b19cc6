#include "performance/DesktopPointerSettings.h"

#include <windows.h>

#include <cstdint>

namespace krm {

namespace {
// Store in the user's registry and broadcast WM_SETTINGCHANGE, so the setting outlives the session and
// running programs take it at once.
constexpr UINT kPersist = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
static_assert(kWindowsPageScroll == WHEEL_PAGESCROLL);
} // namespace

std::optional<PointerReading> WindowsPointerSettings::read() {
    WindowsPointerValues w;
    if (int speed = 0; SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &speed, 0)) w.mouseSpeed = speed;
    if (std::array<int, 3> mouse{}; SystemParametersInfoW(SPI_GETMOUSE, 0, mouse.data(), 0)) w.mouse = mouse;
    w.doubleClickMs = GetDoubleClickTime();
    if (UINT lines = 0; SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) w.wheelLines = lines;
    return fromWindowsPointer(w);
}

void WindowsPointerSettings::apply(const PointerValues& values) {
    lastError_.clear();
    auto set = [this](const char* what, UINT action, UINT number, void* data) {
        if (SystemParametersInfoW(action, number, data, kPersist)) return;
        if (!lastError_.empty()) lastError_ += "; ";
        lastError_ += std::string(what) + ": Windows error " + std::to_string(GetLastError());
    };
    WindowsPointerValues w = toWindowsPointer(values);
    // Windows reads the speed from the pointer argument, Wine from the number: both carry it.
    const int speed = *w.mouseSpeed;
    set("pointer speed", SPI_SETMOUSESPEED, static_cast<UINT>(speed),
        reinterpret_cast<void*>(static_cast<std::intptr_t>(speed)));
    set("pointer precision", SPI_SETMOUSE, 0, w.mouse->data());
    // Through SystemParametersInfo rather than SetDoubleClickTime, to be stored and announced like the rest.
    set("double-click time", SPI_SETDOUBLECLICKTIME, *w.doubleClickMs, nullptr);
    set("wheel scroll lines", SPI_SETWHEELSCROLLLINES, *w.wheelLines, nullptr);
}

} // namespace krm
