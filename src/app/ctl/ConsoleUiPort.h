#pragma once

#include "app/ctl/Output.h"
#include "device/UiPort.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace krm::ctl {

// krmctl has no window: messages go to err(), there is no busy window or timer, and work meant for
// the UI thread runs at once on the calling thread (one at a time).
class ConsoleUiPort final : public UiPort {
public:
    void showBusy() override {}
    void hideBusy() override {}
    void processEvents() override {}
    void showMessage(const std::string& text) override {
        std::lock_guard lock(mutex_);
        if (muted_.count(text)) return;
        err("krmctl: %s\n", text.c_str());
    }
    void setPagesCovered(bool) override {}
    void setTimerEnabled(UiTimer, bool) override {}
    void closeMenus() override {}
    void runOnUiThread(std::function<void()> fn) override {
        std::lock_guard lock(mutex_);
        fn();
    }

    // A message the window shows that krmctl reports in its own words (the reconnect message of a
    // restart, which krmctl waits through).
    void mute(std::string text) {
        std::lock_guard lock(mutex_);
        muted_.insert(std::move(text));
    }

private:
    std::recursive_mutex mutex_;
    std::set<std::string> muted_;
};

} // namespace krm::ctl
