#include "macros/MacroRecorder.h"

#include "buttons/KeyboardTables.h"

#include <algorithm>

namespace krm {

namespace {

// Modifier bit of a Shift, Ctrl, Alt or Win virtual key (either form), 0 for other keys.
std::uint8_t modifierBit(unsigned v) {
    switch (v) {
    case vk::kControl:
    case vk::kLControl:
    case vk::kRControl:
        return 0x01;
    case vk::kShift:
    case vk::kLShift:
    case vk::kRShift:
        return 0x02;
    case vk::kMenu:
    case vk::kLMenu:
    case vk::kRMenu:
        return 0x04;
    case vk::kLWin:
        return 0x08;
    case vk::kRWin:
        return 0x80;
    default:
        return 0;
    }
}

// The mouse-button event byte (pressed) of a button; bit 0x08 is Forward, 0x10 Backward.
std::uint8_t buttonByte(InputEvent::Button b) {
    switch (b) {
    case InputEvent::Button::Left:
        return 0xA1;
    case InputEvent::Button::Right:
        return 0xA2;
    case InputEvent::Button::Middle:
        return 0xA4;
    case InputEvent::Button::Forward:
        return 0xA8;
    case InputEvent::Button::Backward:
        return 0xB0;
    }
    return 0xA1;
}

} // namespace

void MacroRecorder::start(DelayMode mode, std::uint16_t fixedDelayMs, std::size_t existingBytes) {
    mode_ = mode;
    fixedDelay_ = std::max<std::uint16_t>(fixedDelayMs, 1);
    existing_ = bytes_ = existingBytes;
    lastTime_.reset();
    heldKeys_.clear();
    heldButtons_.clear();
    rows_.clear();
    stop_ = false;
}

bool MacroRecorder::add(const MacroRow& row, std::uint64_t timeMs) {
    std::vector<std::uint8_t> bytes;
    row.appendBytes(bytes);
    const bool delay = lastTime_ && mode_ != DelayMode::None;
    if (bytes_ + bytes.size() + (delay ? 3 : 0) > kByteLimit) {
        stop_ = true;
        return false;
    }
    if (delay) {
        const std::uint64_t elapsed = timeMs > *lastTime_ ? timeMs - *lastTime_ : 0;
        const auto ms =
            mode_ == DelayMode::Fixed
                ? fixedDelay_
                : static_cast<std::uint16_t>(std::min<std::uint64_t>(elapsed, macro::kMaxDelayMs));
        rows_.push_back(MacroRow::delay(ms));
        bytes_ += 3;
    }
    if (mode_ != DelayMode::None || !lastTime_) lastTime_ = timeMs;
    rows_.push_back(row);
    bytes_ += bytes.size();
    return true;
}

bool MacroRecorder::feed(const InputEvent& e) {
    if (stop_) return true;
    if (e.isKey()) {
        const unsigned v = e.virtualKey;
        if (v == 0 || v == vk::k255) return false;
        const std::uint8_t bit = modifierBit(v);
        const std::uint8_t usage = bit ? 0 : hookKeyToUsage(virtualKeyToHookKey(v));
        if (!bit && usage == 0) return false; // a key the tables have no byte for
        // Either side of a modifier is one key to the macro.
        const unsigned key = bit ? 0x100u + bit : v;
        if (e.isDown()) {
            if (e.autoRepeat || heldKeys_.count(key)) return false;
            const MacroRow row = bit ? MacroRow::keyEvent(macro::kModifierDown, bit)
                                     : MacroRow::keyEvent(macro::kKeyDown, usage);
            if (add(row, e.timeMs)) heldKeys_.insert(key);
        } else {
            if (!heldKeys_.erase(key)) return false;
            add(bit ? MacroRow::keyEvent(macro::kModifierUp, bit) : MacroRow::keyEvent(macro::kKeyUp, usage),
                e.timeMs);
        }
        return stop_;
    }
    if (e.onOwnControls && e.button == InputEvent::Button::Left) return false;
    const int b = static_cast<int>(e.button);
    const std::uint8_t pressed = buttonByte(e.button);
    if (e.isDown()) {
        if (heldButtons_.count(b)) return false;
        if (add(MacroRow::mouseButton(pressed), e.timeMs)) heldButtons_.insert(b);
    } else {
        if (!heldButtons_.erase(b)) return false;
        add(MacroRow::mouseButton(static_cast<std::uint8_t>(pressed & 0x7F)), e.timeMs);
    }
    return stop_;
}

} // namespace krm
