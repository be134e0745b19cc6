// The performance editors through the session against the simulated mouse: the reports on the wire.

#include "support/SessionRig.h"

#include "buttons/FunctionCatalogue.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

using test::SessionRig;
using Lines = std::vector<std::string>;

Lines writes(const SessionRig& rig) {
    return test::writesOf(test::commandSummary(rig.lines()));
}

class PerformanceSession : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig_.session.connectNow()); }
    void apply(const EditOutcome& out) {
        rig_.session.apply(out);
        rig_.ui.runQueued();
    }

    SessionRig rig_;
    Session& s_ = rig_.session;
};

TEST_F(PerformanceSession, ALevelValueGoesOutWithItsPartnerThenTheCurrentLevelIsSteppedAround) {
    // The factory image: level 1 step 3, level 2 current. Level 2 is given step 7 first.
    apply(s_.dpi().setStep(2, 7));
    rig_.clearTrace();
    apply(s_.dpi().setStep(1, 5));
    EXPECT_EQ(writes(rig_), (Lines{"set 40 05 00 2c 75 00 00 01", "set 40 05 00 a6 00 00 00 01",
                                   "set 40 05 00 a6 01 00 00 01"}));
    EXPECT_EQ(rig_.mouse.image()[44], 0x75);
    EXPECT_EQ(s_.image().copies.vendor[44], 0x75);
}

TEST_F(PerformanceSession, TheLevelTheMouseButtonChoseIsReSent) {
    // The mouse's own DPI button moves it to level 4: press, let go, the level is read back.
    auto image = rig_.mouse.image();
    image[166] = 3;
    rig_.mouse.setImage(image);
    s_.buttonEvents().onInputReport(std::vector<std::uint8_t>{0x42, 0, 0, 0x01, 0, 0, 0, 0});
    s_.buttonEvents().onInputReport(std::vector<std::uint8_t>{0x42, 0, 0, 0x00, 0, 0, 0, 0});
    rig_.ui.runQueued();
    EXPECT_EQ(s_.dpi().currentLevel(), 4);
    rig_.clearTrace();
    apply(s_.dpi().setStep(3, 0));
    EXPECT_EQ(writes(rig_), (Lines{"set 40 05 00 2d 90 00 00 01", "set 40 05 00 a6 02 00 00 01",
                                   "set 40 05 00 a6 03 00 00 01"}));
}

TEST_F(PerformanceSession, TheRateAlreadySetIsSentWithoutARestartAnotherOneRestarts) {
    ASSERT_EQ(s_.dpi().reportRate(), 1000); // factory byte 4 = BF
    rig_.clearTrace();
    apply(s_.dpi().setReportRate(1000));
    EXPECT_EQ(writes(rig_), (Lines{"set 40 05 00 04 bf 00 00 01"}));
    EXPECT_EQ(rig_.mouse.restarts(), 0);

    rig_.clearTrace();
    apply(s_.dpi().setReportRate(500));
    const Lines w = writes(rig_);
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w[0], "set 40 05 00 04 af 00 00 01");
    EXPECT_EQ(w[1], "set 40 0e 00 00 00 00 00 00");
    EXPECT_EQ(rig_.mouse.restarts(), 1);
    // Found again and read anew: the editor has the mouse's rate.
    EXPECT_EQ(s_.dpi().reportRate(), 500);
    EXPECT_EQ(rig_.mouse.image()[4] & 0x30, 0x20);
}

TEST_F(PerformanceSession, ASniperChangeRewritesEverySniperButton) {
    auto& a = s_.assignments();
    a.openFromProfileTable(1, 5);
    apply(a.chooseFunction(tags::kAim));
    a.openFromProfileTable(3, 11);
    apply(a.chooseFunction(tags::kAim));
    rig_.clearTrace();
    apply(s_.sniper().setStep(9));
    const Lines w = writes(rig_);
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.front(), "set 40 07 00 c0 00 93 00 00 +21");
    const auto image = rig_.mouse.image();
    for (std::size_t offset : {codes::buttonOffset(1, 5), codes::buttonOffset(3, 11)})
        EXPECT_EQ((std::vector<std::uint8_t>(image.begin() + static_cast<long>(offset),
                                             image.begin() + static_cast<long>(offset) + 4)),
                  (std::vector<std::uint8_t>{0x05, 9, 0, 0}));
}

} // namespace
} // namespace krm
