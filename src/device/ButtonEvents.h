#pragma once

#include "device/Clock.h"
#include "device/DeviceCommands.h"
#include "device/UiPort.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace krm {

// The check boxes that show a CPI or profile button being pressed.
enum class Indicator { CpiTest, CpiUpTest, CpiDownTest, ProfileTest };
const char* indicatorName(Indicator indicator);

// What the input reader does with the mouse's own reports. A button event report (0x42, event code
// in byte 3) latches a pressed CPI, CPI+, CPI- or profile button and ticks its indicator; the release
// (0x00) handles each latch in that order: 200 ms later it re-reads the current CPI level (image
// byte 0xA6) or the current profile (0xA4), hands it to the window and unticks the indicator. Every
// 0x42 report is followed by two 0x06 exchanges whose replies are not used. Other reports are ignored.
//
// Runs on the reader thread; the hooks run on the UI thread (through UiPort::runOnUiThread).
class ButtonEvents {
public:
    ButtonEvents(DeviceCommands& commands, Clock& clock, UiPort& ui)
        : commands_(commands), clock_(clock), ui_(ui) {}

    void onInputReport(std::span<const std::uint8_t> report);

    std::function<void(Indicator, bool ticked)> setIndicator;
    // Every button event report's code (byte 3), before it is handled.
    std::function<void(std::uint8_t code)> eventArrived;
    // The re-read current CPI level (image byte 0xA6).
    std::function<void(std::uint8_t level)> dpiLevelChanged;
    // The re-read current profile (image byte 0xA4).
    std::function<void(std::uint8_t profile)> profileChanged;
    // After a release: the re-read of the current profile (ProfileTest) or DPI level failed, so
    // neither of the two above is called.
    std::function<void(Indicator)> rereadFailed;

private:
    void tick(Indicator indicator, bool ticked);

    DeviceCommands& commands_;
    Clock& clock_;
    UiPort& ui_;
    std::array<bool, 4> latches_{}; // in the order of Indicator
};

} // namespace krm
