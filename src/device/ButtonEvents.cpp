#include "device/ButtonEvents.h"

namespace krm {

namespace {
constexpr std::uint8_t kEventReport = 0x42;
constexpr std::uint8_t kRelease = 0x00;
constexpr std::uint8_t kEventCodes[] = {0x01, 0x02, 0x04, 0x08}; // in the order of Indicator
constexpr int kReleaseDelayMs = 200;
constexpr std::uint16_t kCurrentDpiLevel = 0xA6;
constexpr std::uint16_t kCurrentProfile = 0xA4;
} // namespace

const char* indicatorName(Indicator indicator) {
    switch (indicator) {
    case Indicator::CpiTest:
        return "cb_CPITest";
    case Indicator::CpiUpTest:
        return "cb_CPIITest";
    case Indicator::CpiDownTest:
        return "cb_CPIDTest";
    case Indicator::ProfileTest:
        return "cb_ProfileTest";
    }
    return "?";
}

void ButtonEvents::tick(Indicator indicator, bool ticked) {
    ui_.runOnUiThread([this, indicator, ticked] {
        if (setIndicator) setIndicator(indicator, ticked);
    });
}

void ButtonEvents::onInputReport(std::span<const std::uint8_t> report) {
    if (report.size() < 4 || report[0] != kEventReport) return;
    const std::uint8_t code = report[3];
    if (eventArrived) ui_.runOnUiThread([this, code] { eventArrived(code); });

    if (code == kRelease) {
        for (std::size_t i = 0; i < latches_.size(); ++i) {
            if (!latches_[i]) continue;
            clock_.sleepMs(kReleaseDelayMs);
            const bool profile = i == static_cast<std::size_t>(Indicator::ProfileTest);
            std::uint8_t value = 0xFF;
            // A re-read that failed brought no value: the 0xFF fill is not a profile or a level.
            const bool read = commands_.blockRead(profile ? kCurrentProfile : kCurrentDpiLevel, 1,
                                                  std::span(&value, 1), false);
            if (!read) {
                if (rereadFailed) ui_.runOnUiThread([this, i] { rereadFailed(static_cast<Indicator>(i)); });
            } else if (profile) {
                ui_.runOnUiThread([this, value] {
                    if (profileChanged) profileChanged(value);
                });
            } else {
                ui_.runOnUiThread([this, value] {
                    if (dpiLevelChanged) dpiLevelChanged(value);
                });
            }
            latches_[i] = false;
            tick(static_cast<Indicator>(i), false);
        }
    } else {
        for (std::size_t i = 0; i < latches_.size(); ++i) {
            if (code != kEventCodes[i]) continue;
            latches_[i] = true;
            tick(static_cast<Indicator>(i), true);
        }
    }

    // Whatever the event, two short reads follow; their replies are not used.
    for (std::uint8_t address : {std::uint8_t{0x16}, std::uint8_t{0x18}}) {
        auto lock = commands_.link().exchange();
        commands_.sendCommand(0x06, 0x00, address, 0x01, 0x00);
        commands_.readReply();
    }
}

} // namespace krm
