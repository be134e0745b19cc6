// The fire editor through the session against the simulated mouse: codes in the copies and the
// reports on the wire.

#include "support/SessionRig.h"

#include "fire/FireFields.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace krm {
namespace {

using test::SessionRig;
using Lines = std::vector<std::string>;
using fire::StageField;

class FireSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig_.session.connectNow());
        rig_.clearTrace();
    }
    EditOutcome apply(const EditOutcome& out) {
        auto done = s_.apply(out);
        rig_.ui.runQueued();
        return done;
    }
    Lines writes() const { return test::writesOf(test::commandSummary(rig_.lines())); }
    CodeBytes code(int p, int k) const { return profileCode(s_.image().copies, p, k); }
    void give(int profile, int button, std::string_view code) {
        s_.assignments().openFromProfileTable(profile, button);
        apply(s_.assignments().applyDialogCode(code, ""));
    }

    SessionRig rig_;
    Session& s_ = rig_.session;
    FireEditor& fire_ = rig_.session.fire();
};

TEST_F(FireSession, TuningASlotRetunesItsButtonsAndWritesTheBlock) {
    s_.assignments().openFromMainPage(5);
    apply(s_.assignments().chooseFunction(2100)); // "Fire Key1"
    EXPECT_EQ(s_.assignments().keyCaption(5), "Fire Key1");
    const auto assigned = writes();
    ASSERT_FALSE(assigned.empty());
    EXPECT_TRUE(assigned.front().starts_with("set 40 07 00 c0 00 93")) << assigned.front();
    rig_.clearTrace();

    apply(fire_.setSlot(1, 15, 4094, true));
    EXPECT_EQ(code(1, 5), (CodeBytes{0x06, 0x9E, 0x0F, 0xFE}));
    EXPECT_EQ(code(1, 3), (CodeBytes{0x06, 0x9E, 0x0F, 0xFE})) << "the factory Fire Key1 button too";
    const auto& block = s_.image().copies.fireKey;
    EXPECT_EQ((std::array<std::uint8_t, 3>{block[2], block[3], block[4]}),
              (std::array<std::uint8_t, 3>{14, 0x0F, 0xFE}));
    const Lines expected{"set 40 07 00 c0 00 93 00 00 +21", "set 40 07 01 e4 00 0c 00 00 +2",
                         "set 40 05 00 a4 0f 00 00 01", "set 40 05 00 a4 00 00 00 01"};
    EXPECT_EQ(writes(), expected);
    EXPECT_EQ(s_.assignments().keyCaption(5), "Fire Key1");
    EXPECT_TRUE(fire_.slot(1).continueBox);
}

TEST_F(FireSession, IdenticalSlotsNameEveryFireKeyButtonAfterTheFirst) {
    s_.assignments().openFromProfileTable(1, 10);
    apply(s_.assignments().chooseFunction(2101)); // "Fire Key2"
    EXPECT_EQ(s_.assignments().tableCaption(1, 10), "Fire Key2");
    apply(fire_.setSlot(2, fire_.slot(1).count, fire_.slot(1).interval, false));
    EXPECT_EQ(s_.assignments().tableCaption(1, 3), "Fire Key1");
    EXPECT_EQ(s_.assignments().tableCaption(1, 10), "Fire Key1");
}

TEST_F(FireSession, BadSlotValuesAreRefusedAndNothingIsSent) {
    for (const auto& out : {fire_.setSlot(1, 17, 60, false), fire_.setSlot(4, 3, 60, false),
                            fire_.setSlot(1, 3, 70000, false)}) {
        EXPECT_TRUE(out.refused);
        EXPECT_TRUE(out.message && !out.message->empty());
        apply(out);
    }
    EXPECT_TRUE(writes().empty());
}

TEST_F(FireSession, ConfirmingAGunOnProfileTwoAssignsItAndWritesEverything) {
    give(1, 10, "0B050208"); // a gun button with combo mask 0x08: new gun codes take the mask
    rig_.clearTrace();
    fire_.openGunPage();
    fire_.chooseGun(7);
    EXPECT_EQ(fire_.stagesShown(), 3);
    fire_.setCodeStages(2);
    fire_.toggleKeepLeft();
    apply(fire_.confirmGun(5));
    EXPECT_EQ(code(2, 5), (CodeBytes{0x0B, 0x17, 0x02, 0x08}));
    EXPECT_EQ(s_.assignments().tableCaption(2, 5), "7.62 Fire");

    const auto w = test::commandSummary(rig_.lines());
    // Ten colour slots, the user section in 3-byte pieces (0xA4..0xBF); the fire-key block and the
    // fire-macro area read again (the first write since the read that carries their bytes back), the
    // profiles, the fire-key block, the fire-macro area, the user section read back, then the reload of
    // the current profile.
    ASSERT_EQ(w.size(), 28u);
    EXPECT_EQ(w[0], "set 40 05 00 39 ff 7f 00 03") << "colour slot 1 as the image holds it";
    EXPECT_TRUE(w[9].starts_with("set 40 05 00 54")) << w[9];
    EXPECT_TRUE(w[10].starts_with("set 40 05 00 a4")) << w[10];
    EXPECT_TRUE(w[19].starts_with("set 40 05 00 bf")) << w[19];
    EXPECT_TRUE(w[20].starts_with("set 40 09 01 e4 00 0c 00 00")) << "the fire-key block again: " << w[20];
    EXPECT_TRUE(w[21].starts_with("set 40 09 07 10 00 f0 00 00")) << "the fire-macro area again: " << w[21];
    EXPECT_EQ(w[22], "set 40 07 00 c0 00 93 00 00 +21") << "the profiles";
    EXPECT_EQ(w[23], "set 40 07 01 e4 00 0c 00 00 +2") << "the fire-key block";
    EXPECT_EQ(w[24], "set 40 07 07 10 00 f0 00 00 +35") << "the fire-macro area, 240 bytes";
    EXPECT_TRUE(w[25].starts_with("set 40 06 00 a4 00 1c")) << "the read-back: " << w[25];
    EXPECT_EQ(w[26], "set 40 05 00 a4 0f 00 00 01");
}

TEST_F(FireSession, ConfirmingOnProfileOneChangesNoButtonButWritesTheArea) {
    const auto before = s_.image().copies.profiles;
    fire_.openGunPage();
    fire_.chooseGun(1);
    EXPECT_EQ(fire_.editStage(0, StageField::XAdjust, "50"), "50");
    EXPECT_EQ(fire_.editStage(0, StageField::X, "100"), "77");
    EXPECT_EQ(fire_.editStage(0, StageField::Interval, "300"), "300");
    fire_.setStageColour(0, Rgb{1, 2, 3});
    apply(fire_.confirmGun(std::nullopt));
    const auto& c = s_.image().copies;
    for (int p = 0; p < 3; ++p)
        EXPECT_TRUE(std::equal(before[p].begin(), before[p].begin() + 48, c.profiles[p].begin())) << p;
    EXPECT_EQ(c.fireMacroBodies[0][7], 77) << "X of the factory body 1";
    EXPECT_EQ((std::array<std::uint8_t, 2>{c.fireMacroBodies[0][10], c.fireMacroBodies[0][11]}),
              (std::array<std::uint8_t, 2>{0x01, 0x2C}));
    EXPECT_EQ(c.user[user::kXAdjust], 50);
    EXPECT_EQ(colourTableEntry(c.vendor, 1), (Rgb{1, 2, 3}));
    EXPECT_EQ(rig_.mouse.image()[0x710 + 7], 77) << "the mouse holds the new body";
}

TEST_F(FireSession, CancelDropsTheGunPageEdits) {
    fire_.openGunPage();
    fire_.chooseGun(2);
    const auto body = fire_.body(1);
    fire_.editStage(0, StageField::Y, "9");
    EXPECT_NE(fire_.body(1), body);
    fire_.cancelGun();
    EXPECT_EQ(fire_.body(1), body);
    EXPECT_TRUE(writes().empty());
}

TEST_F(FireSession, AnAllZeroBodyShowsZerosAndStoresNothing) {
    std::vector<std::uint8_t> zeros(24, 0);
    fire_.openGunPage();
    fire_.setBody(0, zeros);
    fire_.chooseGun(1);
    EXPECT_EQ(fire_.editStage(0, StageField::Count, "7"), "7");
    EXPECT_EQ(fire_.body(0), zeros);
}

TEST_F(FireSession, EngineeringAdjustmentIsWrittenAtOnce) {
    EditOutcome out;
    EXPECT_EQ(fire_.setMacroAdjust(3, false, "200", out), "127");
    apply(out);
    EXPECT_EQ(writes(), (Lines{"set 40 05 00 ad 7f 00 00 01"}));
    EXPECT_EQ(fire_.macroAdjust(3, false), 127);
    EditOutcome typing;
    EXPECT_EQ(fire_.setMacroAdjust(3, true, "-", typing), "-");
    EXPECT_TRUE(typing.requests.empty());
}

TEST_F(FireSession, GameModeTriggerMarksItsButtonAndTheComboKey) {
    give(2, 10, "0B000100");
    fire_.setGunFireMode(true);
    rig_.clearTrace();
    apply(fire_.setGameModeTrigger(1)); // long press of the middle button
    EXPECT_EQ(code(1, 7), (CodeBytes{0x01, 0x04, 0x00, 0x08}));
    EXPECT_EQ(code(2, 10), (CodeBytes{0x0B, 0x00, 0x01, 0x08}));
    EXPECT_EQ(comboKeyCode(s_.image().copies, 4), (CodeBytes{0x07, 0xD1, 0xF0, 0x18}));
    // The vendor section whole (0x00..0xA3 in 3-byte pieces), then the profiles; no fire-key block.
    const auto w = writes();
    ASSERT_EQ(w.size(), 55u + 3u);
    EXPECT_TRUE(w[0].starts_with("set 40 05 00 00")) << w[0];
    EXPECT_TRUE(w[54].starts_with("set 40 05 00 a2")) << w[54];
    EXPECT_EQ(w[55], "set 40 07 00 c0 00 93 00 00 +21");
    EXPECT_EQ(w[56], "set 40 05 00 a4 0f 00 00 01");

    // Read back from the codes, the item and the flag are what was set.
    s_.reloadEditors();
    EXPECT_EQ(s_.editorState().gameModeTrigger, 1);
    EXPECT_TRUE(s_.editorState().gunFireMode);

    apply(fire_.setGameModeTrigger(6)); // forward + right: combo key 2
    EXPECT_EQ(code(1, 7), (CodeBytes{0x01, 0x04, 0x00, 0x00}));
    EXPECT_EQ(code(1, 5)[3], 0x02);
    EXPECT_EQ(comboKeyCode(s_.image().copies, 2), (CodeBytes{0x07, 0xD1, 0xF0, 0x18}));
    EXPECT_EQ(comboKeyCode(s_.image().copies, 4), CodeBytes{});
    EXPECT_EQ(code(2, 10)[3], 0x02);
}

TEST_F(FireSession, KeyPageTriggerToggleIsAppliedByTheFireEditor) {
    AssignmentEditor& a = s_.assignments();
    const EditOutcome toggled = apply(a.toggleModeSwitch(3)); // long press of DPI loop
    ASSERT_EQ(toggled.followup, Followup::ApplyGameModeTrigger);
    EXPECT_TRUE(writes().empty()) << "the toggle itself sends nothing";
    apply(fire_.applyGameModeTrigger());
    EXPECT_TRUE(a.toggleOn(3));
    EXPECT_EQ(code(1, 8), (CodeBytes{0x09, 0x00, 0x00, 0x08}));
    EXPECT_EQ(a.comboCaption(4), "Game Mode");
    EXPECT_FALSE(writes().empty());
}

TEST(FireSessionR230B, ConfirmWritesTheWholeAreaWithTheNamesAndAZeroTail) {
    test::SessionRig rig(Variant::R230B);
    ASSERT_TRUE(rig.session.connectNow());
    rig.clearTrace();
    FireEditor& fire = rig.session.fire();
    fire.openGunPage();
    EXPECT_EQ(fire.macroName(0), "Macro1");
    fire.chooseGun(3);
    fire.editStage(0, StageField::Y, "-7");
    rig.session.apply(fire.confirmGun(std::nullopt));
    const auto w = test::writesOf(test::commandSummary(rig.lines()));
    EXPECT_NE(std::find(w.begin(), w.end(), "set 40 07 06 00 02 00 00 00 +74"), w.end());
    const auto& mouse = rig.mouse.image();
    EXPECT_EQ(decodeName16(std::span(mouse).subspan(0x600 + 16 * 2, 16)), "Macro3");
    EXPECT_TRUE(
        std::all_of(mouse.begin() + 0x600 + 480, mouse.begin() + 0x800, [](auto b) { return b == 0; }));
    const auto& body = rig.session.image().copies.fireMacroBodies[2];
    const auto parsed = fire::parseBody(body);
    EXPECT_EQ(parsed.y, -7);
}

TEST_F(FireSession, TheLedModeSwitchKeepsComboKeyTwo) {
    s_.editorState().ledModeCombination = 1;
    const CodeBytes combo2 = comboKeyCode(s_.image().copies, 2);
    apply(fire_.setGameModeTrigger(2));
    EXPECT_EQ(comboKeyCode(s_.image().copies, 2), combo2);
}

TEST_F(FireSession, ComboMaskEditorRewritesItsGroup) {
    apply(fire_.setComboEnable(ComboGroup::DpiUp, 4)); // 0x08
    EXPECT_EQ(code(1, 6), (CodeBytes{0x09, 0x01, 0x00, 0x08}));
    EXPECT_EQ(code(1, 8), (CodeBytes{0x09, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(fire_.setComboEnable(ComboGroup::Gun, 9).refused);
}

TEST_F(FireSession, ProfileSwitchOptionsRewriteEverySwitchAndComeBackWithTheImage) {
    give(1, 7, "07810000"); // to Game Mode
    give(3, 5, "07800000"); // to Office Mode
    rig_.clearTrace();
    const ProfileSwitchOptions options{true, false, true, 0x2A};
    apply(fire_.setProfileSwitchOptions(options));
    // 07, 0x80 + profile index + 0x40 (return to zero) + 0x10 (change colour), colour 0, the offset.
    EXPECT_EQ(code(1, 7), (CodeBytes{0x07, 0xD1, 0x00, 0x2A}));
    EXPECT_EQ(code(3, 5), (CodeBytes{0x07, 0xD0, 0x00, 0x2A}));
    const Lines w = writes();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[0], "set 40 07 00 c0 00 93 00 00 +21") << "the profiles, no fire-key block";
    EXPECT_EQ(w[1], "set 40 05 00 a4 0f 00 00 01");
    EXPECT_EQ(rig_.mouse.image()[image::profileOffset(1) + 6 * 4 + 1], 0xD1) << "the mouse holds them";

    // Read again (another run of the program): the options are the ones the switches carry.
    s_.editorState().profileSwitch = {};
    rig_.clearTrace();
    ASSERT_TRUE(s_.connectNow());
    EXPECT_EQ(fire_.profileSwitchOptions(), options);

    rig_.clearTrace();
    EXPECT_TRUE(fire_.setProfileSwitchOptions({false, false, false, 0x100}).refused);
    EXPECT_EQ(fire_.profileSwitchOptions(), options);
    EXPECT_TRUE(writes().empty());
}

} // namespace
} // namespace krm
