#pragma once

#include "device/UiPort.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace krm::test {

// A UiPort that writes down what the core asked of the window, one word per call:
// "busy+", "busy-", "events", "message:<text>", "cover", "uncover", "timer:<name>+"/"-", "menus-".
// Functions sent to the UI thread are queued until runQueued().
class RecordingUiPort : public UiPort {
public:
    void showBusy() override { record("busy+"); }
    void hideBusy() override { record("busy-"); }
    void processEvents() override {
        record("events");
        if (onProcessEvents) onProcessEvents();
    }
    void showMessage(const std::string& text) override {
        record("message:" + text);
        if (onMessage) onMessage(text);
    }
    void setPagesCovered(bool covered) override { record(covered ? "cover" : "uncover"); }
    void setTimerEnabled(UiTimer timer, bool enabled) override;
    void closeMenus() override { record("menus-"); }
    void runOnUiThread(std::function<void()> fn) override;

    // Runs the functions queued by runOnUiThread, in order.
    void runQueued();

    std::vector<std::string> calls() const;
    std::vector<std::string> messages() const;
    bool timerEnabled(UiTimer timer) const;
    void clear();

    // Hooks for tests that must act inside a nested event loop or a message box.
    std::function<void()> onProcessEvents;
    std::function<void(const std::string&)> onMessage;

private:
    void record(std::string call);
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::vector<std::function<void()>> queued_;
    bool timers_[3] = {false, false, false};
};

const char* timerName(UiTimer timer);

} // namespace krm::test
