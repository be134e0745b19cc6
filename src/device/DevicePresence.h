#pragma once

#include "base/TextSource.h"
#include "device/Clock.h"
#include "device/DeviceCommands.h"
#include "device/DeviceIdTable.h"
#include "device/UiPort.h"
#include "image/ImageLayout.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace krm {

// Finding the mouse, telling its variant, and noticing when it goes: the presence poll driven by the
// window's DevTimer and DevTimerFirst, the re-find after a restart, identification, and the
// device-lost handling. Everything runs on the UI thread.
//
// Steps that belong to the rest of the window are hooks; an empty hook is skipped.
class DevicePresence {
public:
    struct Hooks {
        // Read the whole image and bring it to the window (after a successful identification).
        std::function<void()> readImage;
        // Put the pages back to their start look (profile 1, page 1, tabs unselected).
        std::function<void()> resetToStart;
        // The mouse is gone: forget what belonged to it (its macro lists, per-device strings, a
        // pending report-rate restart).
        std::function<void()> deviceForgotten;
        // The variant is known: size the per-variant copies (patch code, fire macros).
        std::function<void(const ImageLayout&)> layoutChanged;
        // Another of our processes holds the mouse (a new holder, or the first time): the pages are
        // covered until it lets go, and every poll tries again.
        std::function<void(const LockHolder&)> heldElsewhere;
    };

    // How often the presence poll runs once the first one is over (the window's DevTimer).
    static constexpr int kPollIntervalMs = 3500;

    DevicePresence(DeviceCommands& commands, Clock& clock, UiPort& ui)
        : commands_(commands), clock_(clock), ui_(ui) {}

    Hooks hooks;
    DeviceIdTable deviceIdTable;
    // Which variants this build accepts: 1 only R210B, 2 only R230B, anything else both.
    int acceptedVariants = 0;
    // Language texts for the messages (Str100, Str101); null: the texts of language 1.
    const TextSource* texts = nullptr;

    // One presence poll (both presence timers call it).
    void poll();
    // Opens the mouse again without looking at the interface count.
    void refind();
    // Identifies the open mouse, fixes the layout and reads the image.
    void identifyAndRead();
    // Resets the window to its no-device state and tells the user.
    void deviceLost();
    // The device-lost message from its two lines (Str100, Str101); a second line without a letter, digit or
    // other script's character is left out.
    static std::string reconnectMessage(const std::string& first, const std::string& second);
    void resetToStart();
    // Restarts the mouse (command 0x0E), waits for it to come back and finds it again. False when the
    // restart command was refused (the mouse, if still there, is found and read again all the same).
    bool restartDevice();

    int storedCount() const { return storedCount_; }
    // Who holds the mouse while another process keeps it from this one.
    const std::optional<LockHolder>& heldBy() const { return heldBy_; }
    bool noDevice() const { return noDevice_; }
    // The image read clears the no-device state once it has brought an image to the window.
    void setNoDevice(bool on) { noDevice_ = on; }
    const std::string& chipModel() const { return chipModel_; }
    std::uint8_t chipCode() const { return chipCode_; }
    const ImageLayout& layout() const { return layout_; }
    bool pollRunning() const { return pollGuard_; }

private:
    std::string text(const char* id, const char* language1) const;
    std::string reconnectText() const { return text("Str100", "Waiting for the device reconnect"); }
    std::string reconnectSecondLine() const { return text("Str101", "\xC2\xB7"); }
    void heldElsewhere(const LockHolder& holder);
    void openOrLose();

    DeviceCommands& commands_;
    Clock& clock_;
    UiPort& ui_;
    int storedCount_ = 0;
    bool pollGuard_ = false;
    bool noDevice_ = true;
    bool imageReadStarted_ = false;
    std::optional<LockHolder> heldBy_;
    std::string chipModel_;
    std::uint8_t chipCode_ = 0;
    ImageLayout layout_;
};

} // namespace krm
