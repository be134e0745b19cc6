#include "companion/SessionProfiles.h"

#include <algorithm>

namespace krm {

std::optional<int> SessionProfileSwitch::current() const {
    if (!session_.mouseOpen() || !session_.identified() || session_.presence().noDevice())
        return std::nullopt;
    return session_.mouseProfile();
}

bool SessionProfileSwitch::select(int profile) {
    if (!current()) return false;
    // The profile button's click: it refuses while the copies come from a read that was not whole.
    selecting_ = true;
    const bool taken = session_.clickPage(static_cast<Page>(profile)) == Session::PageClick::Shown;
    selecting_ = false;
    return taken;
}

WatcherSessionLink::WatcherSessionLink(Session& session, ProfileWatcher& watcher,
                                       const SessionProfileSwitch& mouse)
    : session_(session), watcher_(watcher), mouse_(mouse) {
    session_.addObserver(this);
}

WatcherSessionLink::~WatcherSessionLink() {
    session_.removeObserver(this);
}

void WatcherSessionLink::profileSelected(int profile) {
    if (!mouse_.selecting()) watcher_.chosenByHand(profile);
}

void WatcherSessionLink::profileChangedByMouse(int profile) {
    watcher_.chosenByHand(profile);
}

void WatcherSessionLink::imageRead() {
    watcher_.mouseFound();
}

std::string profileName(const TextSource& texts, int profile) {
    static constexpr const char* kIds[] = {"Str004", "Str005", "Str006"};
    const std::string name = texts.text(kIds[std::clamp(profile, 1, 3) - 1]);
    return name.empty() ? "Profile " + std::to_string(profile) : name;
}

std::string dpiNotice(const DpiEditor& dpi) {
    const auto level = dpi.currentLevel();
    if (!level) return "DPI level unknown (the mouse reported none)";
    const std::string value = dpi.valueText(*level);
    const std::string where = "level " + std::to_string(*level) + " of " + std::to_string(dpi.count());
    return value.empty() ? "DPI " + where : "DPI " + value + " (" + where + ")";
}

} // namespace krm
