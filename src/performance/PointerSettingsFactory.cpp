#include "performance/DesktopPointerSettings.h"

#include <cstdlib>
#include <string>

namespace krm {

#ifndef _WIN32
namespace {
bool desktopNamed(const std::string& desktops, const std::string& name) {
    // XDG_CURRENT_DESKTOP is a colon-separated list, e.g. "ubuntu:GNOME".
    std::size_t start = 0;
    while (start <= desktops.size()) {
        const auto end = desktops.find(':', start);
        if (desktops.substr(start, end == std::string::npos ? std::string::npos : end - start) == name)
            return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

std::unique_ptr<PointerSettings> nothingReachable() {
    auto memory = std::make_unique<MemoryPointerSettings>();
    memory->reading.reset();
    memory->reasons.fill("This desktop's pointer settings cannot be reached from here");
    return memory;
}
} // namespace
#endif

std::unique_ptr<PointerSettings> makeDesktopPointerSettings() {
    // KRM_POINTER_SETTINGS=memory keeps tests and screenshots away from the desktop they run on;
    // gnome, kde and x11 choose an implementation whatever the desktop says.
    const char* forced = std::getenv("KRM_POINTER_SETTINGS");
    const std::string force = forced ? forced : "";
    if (force == "memory") {
        auto memory = std::make_unique<MemoryPointerSettings>();
        memory->reading = PointerReading{10, kPrecisionOn, 500, 3};
        return memory;
    }
#ifdef _WIN32
    // Windows' own settings are always there; the Linux desktops' choices below do not apply.
    return std::make_unique<WindowsPointerSettings>();
#else
    if (force == "gnome")
        if (auto gnome = GnomePointerSettings::open()) return gnome;
    if (force == "kde") return std::make_unique<KdePointerSettings>();
    if (force == "x11")
        if (auto x11 = X11PointerSettings::open()) return x11;
    const char* env = std::getenv("XDG_CURRENT_DESKTOP");
    const std::string desktops = env ? env : "";
    if (desktopNamed(desktops, "GNOME") || desktopNamed(desktops, "Unity") ||
        desktopNamed(desktops, "Budgie"))
        if (auto gnome = GnomePointerSettings::open()) return gnome;
    if (desktopNamed(desktops, "KDE")) return std::make_unique<KdePointerSettings>();
    if (const char* display = std::getenv("DISPLAY"); display && *display)
        if (auto x11 = X11PointerSettings::open()) return x11;
    return nothingReachable();
#endif
}

} // namespace krm
