// Our pointer values in Windows' units and back. The SystemParametersInfo calls themselves are built on
// Windows only; everything they are given and give back is checked here.

#include "performance/DesktopPointerSettings.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

using Mouse = std::array<int, 3>;

TEST(WindowsPointerValues, WrittenInWindowsUnits) {
    const struct {
        const char* name;
        PointerValues values;
        WindowsPointerValues expected;
    } cases[] = {
        {"defaults, precision on is Windows' own 6, 10, 1",
         {10, kPrecisionOn, 480, 3},
         {10, Mouse{6, 10, 1}, 480U, 3U}},
        {"precision off, slowest and longest steps",
         {1, kPrecisionOff, 900, 11},
         {1, Mouse{0, 0, 0}, 900U, 11U}},
        {"one screen per notch",
         {20, kPrecisionOn, 200, kOneScreen},
         {20, Mouse{6, 10, 1}, 200U, kWindowsPageScroll}},
        // Windows refuses a speed outside 1..20, takes 0 ms as its default of 500 ms and 0 lines as no
        // scrolling, and reads any other negative as a huge unsigned count.
        {"outside Windows' ranges", {0, {7, 6, 10}, 0, 0}, {1, Mouse{6, 10, 2}, 1U, 1U}},
        {"far outside", {25, {1, -3, 10}, 9000, -7}, {20, Mouse{0, 10, 1}, 5000U, 1U}},
        {"more lines than Windows offers", {10, kPrecisionOn, -5, 500}, {10, Mouse{6, 10, 1}, 1U, 100U}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WindowsPointerValues w = toWindowsPointer(c.values);
        EXPECT_EQ(w.mouseSpeed, c.expected.mouseSpeed);
        EXPECT_EQ(w.mouse, c.expected.mouse);
        EXPECT_EQ(w.doubleClickMs, c.expected.doubleClickMs);
        EXPECT_EQ(w.wheelLines, c.expected.wheelLines);
    }
}

TEST(WindowsPointerValues, ReadFromWindowsUnits) {
    const struct {
        const char* name;
        WindowsPointerValues windows;
        PointerReading expected;
    } cases[] = {
        {"Windows' defaults", {10, Mouse{6, 10, 1}, 500U, 3U}, {10, kPrecisionOn, 500, 3}},
        {"precision off", {1, Mouse{0, 0, 0}, 900U, 11U}, {1, kPrecisionOff, 900, 11}},
        // Thresholds without a level: Windows does not accelerate, so the switch must show off.
        {"thresholds kept, level 0", {20, Mouse{6, 10, 0}, 200U, 1U}, {20, kPrecisionOff, 200, 1}},
        {"level 2 with the user's thresholds",
         {4, Mouse{4, 12, 2}, 480U, 0U},
         {4, AccelTriple{2, 4, 12}, 480, 0}},
        {"one screen per notch",
         {10, Mouse{6, 10, 1}, 500U, kWindowsPageScroll},
         {10, kPrecisionOn, 500, kOneScreen}},
        // Counts beyond an int must not come back negative (or as one screen per notch).
        {"huge counts", {10, Mouse{6, 10, 1}, 0xFFFFFFF0U, 0xFFFFFFFEU}, {10, kPrecisionOn, 5000, 100}},
        {"nothing Windows would give", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PointerReading r = fromWindowsPointer(c.windows);
        EXPECT_EQ(r.speed, c.expected.speed);
        EXPECT_EQ(r.accel, c.expected.accel);
        EXPECT_EQ(r.doubleClickMs, c.expected.doubleClickMs);
        EXPECT_EQ(r.scrollLines, c.expected.scrollLines);
    }
}

// Windows held in memory: what the system calls would store and give back, through the same conversion.
class WindowsInMemory final : public PointerSettings {
public:
    std::string name() const override { return "Windows in memory"; }
    std::string unsupported(PointerItem) const override { return {}; }
    std::optional<PointerReading> read() override { return fromWindowsPointer(system); }
    void apply(const PointerValues& values) override { system = toWindowsPointer(values); }

    WindowsPointerValues system;
};

TEST(WindowsPointerValues, EveryStepComesBackFromWindows) {
    WindowsInMemory windows;
    windows.system = {10, Mouse{6, 10, 1}, 500U, kWindowsPageScroll};
    PointerPanel panel(windows);
    ASSERT_TRUE(panel.load());
    EXPECT_EQ(panel.speedStep(), 6);
    EXPECT_EQ(panel.doubleClickStep(), 7);
    EXPECT_TRUE(panel.oneScreen());
    panel.setDoubleClickStep(7);
    EXPECT_EQ(windows.system, (WindowsPointerValues{10, Mouse{6, 10, 1}, 480U, kWindowsPageScroll}));
    panel.toggleOneScreen();
    EXPECT_EQ(windows.system.wheelLines, 1U);

    for (int step = 1; step <= 11; ++step) {
        SCOPED_TRACE(step);
        panel.setSpeedStep(step);
        panel.setDoubleClickStep(step);
        panel.setScrollStep(step);
        PointerPanel again(windows);
        ASSERT_TRUE(again.load());
        EXPECT_EQ(again.speedStep(), step);
        EXPECT_EQ(again.doubleClickStep(), step);
        EXPECT_EQ(again.scrollStep(), step);
    }
    panel.togglePrecision();
    EXPECT_EQ(windows.system.mouse, (Mouse{0, 0, 0}));
    PointerPanel off(windows);
    ASSERT_TRUE(off.load());
    EXPECT_FALSE(off.precision());
}

} // namespace
} // namespace krm
