#include "macros/MacroRecorder.h"

#include "buttons/KeyboardTables.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

using K = InputEvent::Kind;
using B = InputEvent::Button;
using Bytes = std::vector<std::uint8_t>;

InputEvent key(K kind, unsigned v, std::uint64_t t, bool repeat = false) {
    InputEvent e;
    e.kind = kind;
    e.virtualKey = v;
    e.timeMs = t;
    e.autoRepeat = repeat;
    return e;
}
InputEvent click(K kind, B b, std::uint64_t t, bool own = false) {
    InputEvent e;
    e.kind = kind;
    e.button = b;
    e.timeMs = t;
    e.onOwnControls = own;
    return e;
}

Bytes record(DelayMode mode, std::uint16_t fixed, const std::vector<InputEvent>& events) {
    MacroRecorder r;
    r.start(mode, fixed);
    for (const auto& e : events) r.feed(e);
    return *compileMacroRows(r.rows(), {});
}

TEST(MacroRecorder, DelayModesShapeTheSameInput) {
    // A down at 1000, a held-key repeat, A up 120 ms later, then the right button 70 000 ms later.
    const std::vector<InputEvent> input = {
        key(K::KeyDown, vk::kA, 1000),         key(K::KeyDown, vk::kA, 1030, true),
        key(K::KeyDown, vk::kA, 1060),         key(K::KeyUp, vk::kA, 1120),
        click(K::ButtonDown, B::Right, 71120), click(K::ButtonUp, B::Right, 71130),
    };
    EXPECT_EQ(record(DelayMode::None, 1, input), (Bytes{0x82, 0x04, 0x02, 0x04, 0xA2, 0x22, 0x00}));
    EXPECT_EQ(record(DelayMode::Fixed, 20, input),
              (Bytes{0x82, 0x04, 0xFE, 0, 20, 0x02, 0x04, 0xFE, 0, 20, 0xA2, 0xFE, 0, 20, 0x22, 0x00}));
    EXPECT_EQ(record(DelayMode::Recorded, 1, input),
              (Bytes{0x82, 0x04, 0xFE, 0, 120, 0x02, 0x04, 0xFE, 0xFF, 0xFF, 0xA2, 0xFE, 0, 10, 0x22, 0x00}));
}

TEST(MacroRecorder, ModifiersOwnClicksAndStrayReleases) {
    const std::vector<InputEvent> input = {
        key(K::KeyUp, vk::kReturn, 0),     // pressed before recording began
        key(K::KeyDown, vk::kLControl, 5), // either Ctrl is Ctrl
        key(K::KeyDown, vk::kControl, 6),  // the same key again: held
        key(K::KeyDown, vk::kA + 1, 7),        key(K::KeyUp, vk::kA + 1, 8),
        key(K::KeyUp, vk::kRControl, 9),       click(K::ButtonDown, B::Left, 10, true), // the click on Stop
        click(K::ButtonDown, B::Forward, 11),  click(K::ButtonUp, B::Forward, 12),
        click(K::ButtonDown, B::Backward, 13), click(K::ButtonUp, B::Backward, 14),
    };
    EXPECT_EQ(record(DelayMode::None, 1, input),
              (Bytes{0x81, 0x01, 0x82, 0x05, 0x02, 0x05, 0x01, 0x01, 0xA8, 0x28, 0xB0, 0x30, 0x00}));
}

TEST(MacroRecorder, StopsBeforeTheBufferOverflows) {
    MacroRecorder r;
    r.start(DelayMode::Fixed, 5);
    bool stopped = false;
    std::uint64_t t = 0;
    for (int k = 0; k < 200 && !stopped; ++k) {
        stopped = r.feed(click(K::ButtonDown, B::Middle, ++t)) || r.feed(click(K::ButtonUp, B::Middle, ++t));
    }
    EXPECT_TRUE(stopped);
    EXPECT_LE(r.recordedBytes(), MacroRecorder::kByteLimit);
    // The rows still take a repeat section.
    EXPECT_TRUE(compileMacroRows(r.rows(), {RepeatOption::Kind::Cycles, 254}));
}

} // namespace
} // namespace krm
