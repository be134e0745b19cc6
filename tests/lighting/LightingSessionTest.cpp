#include "image/ImageFixtures.h"
#include "support/SessionRig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace krm {
namespace {

using test::commandSummary;
using test::SessionRig;
using test::writesOf;
using Lines = std::vector<std::string>;

Lines writesSince(SessionRig& rig) {
    auto w = writesOf(commandSummary(rig.lines()));
    rig.clearTrace();
    return w;
}

// The lighting editor's requests as the mouse receives them.
TEST(LightingSession, EditsReachTheMouseAsTheirWrites) {
    SessionRig rig(Variant::R210B); // MCULED, mode 2
    Session& s = rig.session;
    ASSERT_TRUE(s.connectNow());
    LightingEditor& e = s.lighting();
    ASSERT_EQ(e.ledType(), "MCULED");
    rig.clearTrace();

    s.apply(e.chooseSpeedLevel(10));
    EXPECT_EQ(writesSince(rig), (Lines{"set 40 05 00 38 05 00 00 01", "set 40 05 00 38 05 00 00 01"}));

    s.apply(e.pickTableColour(1, {0x12, 0x34, 0x56}));
    EXPECT_EQ(writesSince(rig), (Lines{"set 40 05 00 39 12 00 00 01", "set 40 05 00 3a 34 00 00 01",
                                       "set 40 05 00 3b 56 00 00 01", "set 40 05 00 39 12 34 56 03"}));

    s.apply(e.setMcuCountIndex(9)); // "13" LEDs: count code 0
    EXPECT_EQ(writesSince(rig), (Lines{"set 40 07 03 f0 00 10 00 00 +3", "set 40 01 07 c4 01 00 00 00",
                                       "set 40 01 07 c5 80 00 00 00"}));
    const auto image = rig.mouse.image();
    EXPECT_EQ(image[1017], 0x80);
    EXPECT_EQ(image[1023], 0xDB);
    EXPECT_EQ(image[56], 5);
    EXPECT_EQ(image[59], 0x56);

    // A step time of 3 read from the mouse is speed level 10.
    s.apply(e.setStepTime(3));
    ASSERT_TRUE(s.connectNow());
    EXPECT_EQ(s.lighting().speedLevel(), 10);
}

// A new type: byte 42 and 165, the whole regenerated image, the restart; an NT type with one LED then
// comes back from the mouse as MCULED.
TEST(LightingSession, TypeChangeRegeneratesAndOneNtLedReadsBackAsMcuLed) {
    SessionRig rig(Variant::R230B); // RGB
    Session& s = rig.session;
    ASSERT_TRUE(s.connectNow());
    rig.clearTrace();

    s.apply(s.lighting().changeLedType(LedType::NT));
    const auto w = writesSince(rig);
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(w[0], "set 40 05 00 2a 37 00 00 01");
    EXPECT_EQ(w[1], "set 40 05 00 a5 84 00 00 01");
    EXPECT_TRUE(w[2].starts_with("set 40 07 00 00 08 00")) << w[2];
    EXPECT_TRUE(
        std::any_of(w.begin() + 3, w.end(), [](const std::string& l) { return l.starts_with("set 40 0e"); }));
    EXPECT_EQ(rig.mouse.image()[165], 0xF5);

    ASSERT_TRUE(s.connectNow());
    ASSERT_EQ(s.lighting().ledType(), "NT");
    EXPECT_EQ(s.lighting().ntLedCount(), 8);
    rig.clearTrace();
    s.apply(s.lighting().setNtLedCount(1));
    EXPECT_EQ(writesSince(rig), (Lines{"set 40 05 00 a5 85 00 00 01"}));
    ASSERT_TRUE(s.connectNow());
    EXPECT_EQ(s.lighting().ledType(), "MCULED");
    EXPECT_EQ(s.lighting().currentMode(), 5);
}

// The key page's "right key + back" toggle: combo key 2 and every Backward button, written with the
// vendor section and the profiles.
TEST(LightingSession, LedModeCombinationWritesComboKeyAndBackwardButtons) {
    SessionRig rig(Variant::R210B);
    Session& s = rig.session;
    ASSERT_TRUE(s.connectNow());
    s.setLanguage(1);
    s.assignments().setCurrentProfile(1);
    // The factory images already switch the LED mode with right + back: the toggle clears it.
    ASSERT_EQ(s.lighting().ledModeCombination(), 1);
    rig.clearTrace();

    const EditOutcome toggled = s.apply(s.assignments().toggleModeSwitch(1));
    ASSERT_EQ(toggled.followup, Followup::ApplyLedModeCombination);
    s.apply(s.lighting().applyLedModeCombination(s.assignments()));
    const auto w = writesSince(rig);
    ASSERT_FALSE(w.empty());
    EXPECT_TRUE(w[0].starts_with("set 40 05 00 00 ")) << "the vendor section in range writes: " << w[0];
    EXPECT_TRUE(std::find(w.begin(), w.end(), "set 40 07 00 c0 00 93 00 00 +21") != w.end());
    const auto image = rig.mouse.image();
    EXPECT_EQ(test::slice(image, 131, 4), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(test::slice(image, codes::buttonOffset(p, 2), 4), (std::vector<std::uint8_t>{1, 8, 0, 0}));
    EXPECT_EQ(s.assignments().code(1, 2), "01080000");
    EXPECT_EQ(s.assignments().comboCode(2), "00000000");

    ASSERT_TRUE(s.connectNow());
    EXPECT_EQ(s.lighting().ledModeCombination(), 0);
}

} // namespace
} // namespace krm
