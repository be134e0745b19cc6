#include "device/DevicePresence.h"

#include "device/Identification.h"

namespace krm {

namespace {
constexpr int kReadingPairs = 5;
constexpr int kStablePairsNeeded = 2;
constexpr int kSettleTicks = 21;
constexpr int kRestartDelayMs = 500;
constexpr int kRestartWaitSteps = 51;
constexpr int kRestartStepMs = 100;
} // namespace

std::string DevicePresence::text(const char* id, const char* language1) const {
    return texts ? texts->text(id) : std::string(language1);
}

void DevicePresence::DevTimerTimer() {
    if (pollGuard_) return;
    pollGuard_ = true;
    DeviceLink& link = commands_.link();

    int count = 0, stable = 0;
    for (int i = 0; i < kReadingPairs; ++i) {
        count = link.CountHidInterfaces();
        if (link.CountHidInterfaces() == count) ++stable;
    }
    if (count == storedCount_ || stable < kStablePairsNeeded) {
        pollGuard_ = false;
        return;
    }
    if (count < storedCount_) {
        deviceLost();
        link.reset();
    } else {
        for (int i = 0; i < kSettleTicks; ++i) {
            clock_.sleepMs(1);
            ui_.processEvents();
        }
        openOrLose();
    }
    storedCount_ = count;
    pollGuard_ = false;
}

void DevicePresence::openOrLose() {
    if (commands_.link().openFromTable(deviceIdTable) >= 0)
        ReadDevInfo();
    else
        deviceLost();
}

void DevicePresence::ReFindDev() {
    commands_.link().reset();
    openOrLose();
}

void DevicePresence::ReadDevInfo() {
    DeviceCommands::Reply reply{};
    if (!commands_.Identify(&reply)) return;
    const IdentifyVerdict verdict = judgeIdentifyReply(reply, IC_Config_Type);
    if (verdict == IdentifyVerdict::NoColon) {
        ui_.showMessage(Str100());
        RefreshErrorAP();
        return;
    }
    const auto variant = variantOf(verdict);
    if (!variant) {
        ui_.showMessage(Str100());
        ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
        ui_.setTimerEnabled(UiTimer::DevTimer, true);
        return;
    }
    chipCode_ = reply[0];
    chipModel_ = std::string(variantName(*variant));
    layout_ = ImageLayout::forVariant(*variant);
    if (hooks.layoutChanged) hooks.layoutChanged(layout_);
    imageReadStarted_ = true;
    if (hooks.Btn_Read) hooks.Btn_Read();
}

void DevicePresence::RefreshErrorAP() {
    noDevice_ = true;
    if (hooks.RefreshErrorAP) hooks.RefreshErrorAP();
}

void DevicePresence::deviceLost() {
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::LabelRun, false);
    ui_.processEvents();
    RefreshErrorAP();
    if (hooks.clearMacroLists) hooks.clearMacroLists();
    chipModel_.clear();
    chipCode_ = 0;
    if (hooks.clearDeviceStrings) hooks.clearDeviceStrings();
    ui_.setPagesCovered(true);
    ui_.showMessage(Str100() + "\n" + Str101());
}

void DevicePresence::RestartDevice() {
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    clock_.sleepMs(kRestartDelayMs);
    commands_.SendCommand(0x0E, 0x00, 0x00, 0x00, 0x00);
    // The mouse is gone now; nothing may talk to its old handles while the message is up.
    commands_.link().reset();
    deviceLost();
    ui_.processEvents();
    for (int i = 0; i < kRestartWaitSteps; ++i) {
        clock_.sleepMs(kRestartStepMs);
        ui_.processEvents();
    }
    imageReadStarted_ = false;
    ReFindDev();
    if (!imageReadStarted_) {
        // The mouse did not come back as a mouse we read: watch for it again from the present count,
        // so its return counts as a rise and its absence is not reported a second time.
        storedCount_ = commands_.link().CountHidInterfaces();
        ui_.setTimerEnabled(UiTimer::DevTimer, true);
    }
}

} // namespace krm
