#include "lighting/LightingPreview.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

// The R230B factory breathing: lower 0x0100, upper 0x8000, lower hold 100 ms, upper hold 300 ms, step
// time 8 ms: a ramp of 128 × 8 = 1024 ms, one breath 2 × 1024 + 300 + 100 = 2448 ms.
PreviewInput factoryBreathing(LedType type, int mode) {
    PreviewInput in;
    in.type = type;
    in.mode = mode;
    in.breathing = {0x0100, 0x8000, 100, 300, 8};
    for (int n = 0; n < 10; ++n)
        in.table[static_cast<std::size_t>(n)] = {static_cast<std::uint8_t>(20 * n), 0, 200};
    in.dpi[2] = {0, 255, 0};
    in.dpiLevel = 2;
    return in;
}

TEST(LightingPreview, DpiBreathFollowsTheBreathingCurve) {
    const LightingPreview p(factoryBreathing(LedType::NT, 5));
    ASSERT_EQ(p.effect(), LightEffect::DpiBreath);
    EXPECT_EQ(p.cycleMs(), 2448);
    // Green of the DPI colour = 255 × brightness; upper 0x8000 is half bright.
    const struct {
        std::int64_t ms;
        std::uint8_t green;
    } points[] = {
        {0, 1},                        // the lower brightness, 256/65535
        {512, 64},                     // half way up
        {1024, 128},                   // the top, held ...
        {1323, 128},                   // ... for 300 ms
        {1836, 64},                    // half way down
        {2348, 1},                     // the lower hold
        {2447, 1},   {2448 + 512, 64}, // the next breath is the same
    };
    for (const auto& pt : points) EXPECT_EQ(p.colourAt(pt.ms), (Rgb{0, pt.green, 0})) << pt.ms << " ms";
    EXPECT_TRUE(p.animated());
}

TEST(LightingPreview, SpeedHoldTimesAndColourCyclingChangeTheCurve) {
    auto in = factoryBreathing(LedType::RGB, 2); // breath in turn
    in.breathing.stepTime = 5;                   // speed level 10
    in.breathing.upperHold = 0;
    const LightingPreview fast(in);
    EXPECT_EQ(fast.cycleMs(), 2 * 640 + 100);
    EXPECT_NEAR(fast.brightnessAt(640), 0x8000 / 65535.0, 1e-9) << "the top with no hold";
    EXPECT_LT(fast.brightnessAt(641), fast.brightnessAt(640));
    // Each breath takes the next table colour.
    EXPECT_EQ(fast.colourAt(640), (Rgb{0, 0, 100}));
    EXPECT_EQ(fast.colourAt(fast.cycleMs() + 640), (Rgb{10, 0, 100}));
    EXPECT_EQ(fast.colourAt(9 * fast.cycleMs() + 640), (Rgb{90, 0, 100}));
    EXPECT_EQ(fast.colourAt(10 * fast.cycleMs() + 640), (Rgb{0, 0, 100})) << "after colour 10, colour 1";
}

TEST(LightingPreview, SteadyModesNeedNoTimer) {
    const struct {
        LedType type;
        int mode;
        Rgb colour;
    } cases[] = {
        {LedType::RGB, 0, {}},               // off
        {LedType::RGB, 3, {0, 0, 200}},      // fixed: colour 1
        {LedType::RGB, 5, {0, 255, 0}},      // DPI colour of the current level
        {LedType::MCULED, 1, {0, 255, 0}},   // DPI mode
        {LedType::MCULED, 7, {}},            // off
        {LedType::Sync, 2, {255, 255, 255}}, // lit, no breath
    };
    for (const auto& c : cases) {
        const LightingPreview p(factoryBreathing(c.type, c.mode));
        EXPECT_FALSE(p.animated()) << ledTypeText(c.type) << " " << c.mode;
        EXPECT_EQ(p.colourAt(0), c.colour);
        EXPECT_EQ(p.colourAt(12345), c.colour);
    }
}

} // namespace
} // namespace krm
