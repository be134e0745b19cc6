#pragma once

#include "device/UiPort.h"

namespace krm {

// No window (a fuzz target, a benchmark): nothing is shown, and work for the UI thread runs at once.
class QuietUiPort final : public UiPort {
public:
    void showBusy() override {}
    void hideBusy() override {}
    void processEvents() override {}
    void showMessage(const std::string&) override {}
    void setPagesCovered(bool) override {}
    void setTimerEnabled(UiTimer, bool) override {}
    void closeMenus() override {}
    void runOnUiThread(std::function<void()> fn) override { fn(); }
};

} // namespace krm
