#pragma once

#include "base/TextSource.h"
#include "companion/ProfileWatcher.h"
#include "performance/DpiEditor.h"
#include "session/Session.h"

#include <optional>
#include <string>

namespace krm {

// The session's mouse as the watcher sees it: its current profile, switched as the window's profile
// buttons switch it (Session::clickPage: their writes, refused while the copies are not trusted).
class SessionProfileSwitch final : public ProfileSwitch {
public:
    explicit SessionProfileSwitch(Session& session) : session_(session) {}

    std::optional<int> current() const override;
    bool select(int profile) override;
    // True while select() runs: the session's profileSelected event it causes is not the user's.
    bool selecting() const { return selecting_; }

private:
    Session& session_;
    bool selecting_ = false;
};

// Tells the watcher what happens on the session: a profile the user chose (a profile button of the
// window, the tray, the mouse's own button; not the watcher's own switch) and a mouse read.
class WatcherSessionLink final : public SessionObserver {
public:
    WatcherSessionLink(Session& session, ProfileWatcher& watcher, const SessionProfileSwitch& mouse);
    ~WatcherSessionLink() override;
    WatcherSessionLink(const WatcherSessionLink&) = delete;
    WatcherSessionLink& operator=(const WatcherSessionLink&) = delete;

    void profileSelected(int profile) override;
    void profileChangedByMouse(int profile) override;
    void imageRead() override;

private:
    Session& session_;
    ProfileWatcher& watcher_;
    const SessionProfileSwitch& mouse_;
};

// The profile's name in the session's language, as its profile button shows it ("Game Mode").
std::string profileName(const TextSource& texts, int profile);
// The mouse's current DPI level as its notice says it: "DPI 1600 (level 2 of 6)".
std::string dpiNotice(const DpiEditor& dpi);

} // namespace krm
