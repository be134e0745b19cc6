#include "device/DevicePresence.h"

#include "device/Identification.h"

#include <cctype>
#include <string_view>

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

namespace {
// Whether UTF-8 text holds a letter or digit: ASCII ones, Latin-1 letters, or any character past them
// (other scripts), rather than only spaces and marks such as "·".
bool holdsWords(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t cp = lead < 0x80 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        if ((cp < 0x80 && std::isalnum(static_cast<int>(cp))) || (cp >= 0xC0 && cp != 0xD7 && cp != 0xF7))
            return true;
        i += static_cast<std::size_t>(length);
    }
    return false;
}
} // namespace

std::string DevicePresence::reconnectMessage(const std::string& first, const std::string& second) {
    // A second line of only marks (the "·" of some tables) would stand alone as a stray line.
    return holdsWords(second) ? first + "\n" + second : first;
}

void DevicePresence::poll() {
    if (pollGuard_) return;
    pollGuard_ = true;
    DeviceLink& link = commands_.link();

    int count = 0, stable = 0;
    for (int i = 0; i < kReadingPairs; ++i) {
        count = link.countHidInterfaces();
        if (link.countHidInterfaces() == count) ++stable;
    }
    if (heldBy_ && count == storedCount_ && stable >= kStablePairsNeeded) {
        // Another process has the mouse: each tick asks again whether it let go.
        openOrLose();
        pollGuard_ = false;
        return;
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
    DeviceLink& link = commands_.link();
    if (link.openFromTable(deviceIdTable) >= 0) {
        heldBy_.reset();
        identifyAndRead();
    } else if (link.heldBy()) {
        heldElsewhere(*link.heldBy());
    } else {
        heldBy_.reset();
        deviceLost();
    }
}

void DevicePresence::heldElsewhere(const LockHolder& holder) {
    const bool news = !heldBy_ || heldBy_->pid != holder.pid;
    heldBy_ = holder;
    if (!news) return;
    resetToStart();
    chipModel_.clear();
    chipCode_ = 0;
    if (hooks.deviceForgotten) hooks.deviceForgotten();
    ui_.setPagesCovered(true);
    if (hooks.heldElsewhere) hooks.heldElsewhere(holder);
}

void DevicePresence::refind() {
    commands_.link().reset();
    openOrLose();
}

void DevicePresence::identifyAndRead() {
    DeviceCommands::Reply reply{};
    if (!commands_.identify(&reply)) return;
    const IdentifyVerdict verdict = judgeIdentifyReply(reply, acceptedVariants);
    if (verdict == IdentifyVerdict::NoColon) {
        ui_.showMessage(reconnectText());
        resetToStart();
        return;
    }
    const auto variant = variantOf(verdict);
    if (!variant) {
        ui_.showMessage(reconnectText());
        ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
        ui_.setTimerEnabled(UiTimer::DevTimer, true);
        return;
    }
    chipCode_ = reply[0];
    chipModel_ = std::string(variantName(*variant));
    layout_ = ImageLayout::forVariant(*variant);
    if (hooks.layoutChanged) hooks.layoutChanged(layout_);
    imageReadStarted_ = true;
    if (hooks.readImage) hooks.readImage();
}

void DevicePresence::resetToStart() {
    noDevice_ = true;
    if (hooks.resetToStart) hooks.resetToStart();
}

void DevicePresence::deviceLost() {
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::LabelRun, false);
    ui_.processEvents();
    resetToStart();
    chipModel_.clear();
    chipCode_ = 0;
    if (hooks.deviceForgotten) hooks.deviceForgotten();
    ui_.setPagesCovered(true);
    ui_.showMessage(reconnectMessage(reconnectText(), reconnectSecondLine()));
}

bool DevicePresence::restartDevice() {
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    clock_.sleepMs(kRestartDelayMs);
    const bool sent = commands_.sendCommand(0x0E, 0x00, 0x00, 0x00, 0x00);
    // The mouse is gone now; nothing may talk to its old handles while the message is up.
    commands_.link().reset();
    deviceLost();
    ui_.processEvents();
    for (int i = 0; i < kRestartWaitSteps; ++i) {
        clock_.sleepMs(kRestartStepMs);
        ui_.processEvents();
    }
    imageReadStarted_ = false;
    refind();
    if (!imageReadStarted_) {
        // The mouse did not come back as a mouse we read: watch for it again from the present count,
        // so its return counts as a rise and its absence is not reported a second time.
        storedCount_ = commands_.link().countHidInterfaces();
        ui_.setTimerEnabled(UiTimer::DevTimer, true);
    }
    return sent;
}

} // namespace krm
