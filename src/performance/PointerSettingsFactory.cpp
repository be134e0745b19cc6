#include "performance/DesktopPointerSettings.h"

#include <cstdlib>
#include <string>

namespace krm {

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

std::unique_ptr<PointerSettings> makeDesktopPointerSettings() {
    const char* env = std::getenv("XDG_CURRENT_DESKTOP");
    const std::string desktops = env ? env : "";
    if (desktopNamed(desktops, "GNOME") || desktopNamed(desktops, "Unity") ||
        desktopNamed(desktops, "Budgie"))
        if (auto gnome = GnomePointerSettings::open()) return gnome;
    if (desktopNamed(desktops, "KDE")) return std::make_unique<KdePointerSettings>();
    if (const char* display = std::getenv("DISPLAY"); display && *display)
        if (auto x11 = X11PointerSettings::open()) return x11;
    return nothingReachable();
}

} // namespace krm
