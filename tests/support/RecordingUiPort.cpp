#include "support/RecordingUiPort.h"

namespace krm::test {

const char* timerName(UiTimer timer) {
    switch (timer) {
    case UiTimer::DevTimer:
        return "DevTimer";
    case UiTimer::DevTimerFirst:
        return "DevTimerFirst";
    case UiTimer::LabelRun:
        return "LabelRun";
    }
    return "?";
}

void RecordingUiPort::setTimerEnabled(UiTimer timer, bool enabled) {
    {
        std::lock_guard lock(mutex_);
        timers_[static_cast<int>(timer)] = enabled;
    }
    record(std::string("timer:") + timerName(timer) + (enabled ? "+" : "-"));
}

void RecordingUiPort::runOnUiThread(std::function<void()> fn) {
    std::lock_guard lock(mutex_);
    queued_.push_back(std::move(fn));
}

void RecordingUiPort::runQueued() {
    for (;;) {
        std::vector<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(queued_);
        }
        if (batch.empty()) return;
        for (auto& fn : batch) fn();
    }
}

std::vector<std::string> RecordingUiPort::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingUiPort::messages() const {
    std::vector<std::string> out;
    for (const auto& c : calls())
        if (c.starts_with("message:")) out.push_back(c.substr(8));
    return out;
}

bool RecordingUiPort::timerEnabled(UiTimer timer) const {
    std::lock_guard lock(mutex_);
    return timers_[static_cast<int>(timer)];
}

void RecordingUiPort::clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void RecordingUiPort::record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
}

} // namespace krm::test
