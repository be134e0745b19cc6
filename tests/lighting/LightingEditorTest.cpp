#include "lighting/LightingEditor.h"

#include "image/ImageFixtures.h"
#include "shell/LanguageTables.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace krm {
namespace {

using test::factoryImages;
using Requests = std::vector<EditRequest>;

EditRequest wt(std::size_t address, std::initializer_list<std::uint8_t> b) {
    return EditRequest::writeThrough(address, b);
}

// A user-section byte 165 for a type byte of one's choosing, on top of a factory image.
SectionCopies copiesOf(Variant v, std::optional<std::uint8_t> typeByte = std::nullopt) {
    SectionCopies c = SectionCopies::forVariant(v);
    unpackImage(factoryImages().image(v, 1), c, {});
    if (typeByte) c.user[user::kLedType] = *typeByte;
    return c;
}

class LightingEditorTest : public ::testing::Test {
protected:
    LightingEditorTest() { texts_.setLanguage(1); }
    void load(const SectionCopies& c) { editor_.loadFromCopies(c); }

    LanguageTables texts_;
    EditorState state_;
    bool guard_ = false;
    LightingEditor editor_{state_, texts_, [this] { return guard_; }};
};

// What each factory image holds, as the editor reads it.
TEST_F(LightingEditorTest, ReadsTypeModesSpeedAndMcuSectionFromTheImage) {
    load(copiesOf(Variant::R210B)); // 165 = 0x82, mask FE, step time 8, MCU bytes 01 83 .. DE
    EXPECT_EQ(editor_.ledType(), "MCULED");
    EXPECT_EQ(editor_.currentListIndex(), 1);
    const auto mcu = editor_.modes();
    ASSERT_EQ(mcu.size(), 7u);
    EXPECT_EQ(mcu[0].name, "DPI Mode");
    EXPECT_EQ(mcu[6].name, "Off");
    EXPECT_TRUE(mcu[6].enabled);
    EXPECT_EQ(editor_.speedLevel(), 9);
    EXPECT_EQ(editor_.mcuStepIndex(), 6);
    EXPECT_EQ(editor_.mcuStepSegment(), 7);
    EXPECT_TRUE(editor_.mcuFullBright());
    EXPECT_EQ(editor_.mcuCountIndex(), 6); // code 3 = 10 LEDs
    EXPECT_TRUE(editor_.mcuChecksumGood());
    EXPECT_EQ(editor_.defaultInputs().packageIndex, 0);

    load(copiesOf(Variant::R230B)); // 165 = 0x04, mask 3F
    EXPECT_EQ(editor_.ledType(), "RGB");
    EXPECT_EQ(editor_.currentListIndex(), 4);
    const auto rgb = editor_.modes();
    ASSERT_EQ(rgb.size(), 7u);
    EXPECT_EQ(rgb[3].name, "Fixed Color");
    EXPECT_FALSE(rgb[6].enabled);
    EXPECT_FALSE(editor_.userItemShown(7));
    EXPECT_EQ(editor_.tableColour(1), (Rgb{0xFF, 0, 0}));
    EXPECT_EQ(editor_.dpiColour(8), (Rgb{0, 0, 8}));
    EXPECT_FALSE(editor_.mcuChecksumGood()); // the R230B images carry FF there

    auto nt = copiesOf(Variant::R230B, 0xB4); // NT, four LEDs, mode 4
    nt.vendor[vendor::kStepTime] = 3;
    load(nt);
    EXPECT_EQ(editor_.ledType(), "NT");
    EXPECT_EQ(editor_.ntLedCount(), 4);
    EXPECT_EQ(editor_.currentListIndex(), 3);
    EXPECT_EQ(editor_.speedLevel(), 10);
    EXPECT_TRUE(editor_.userItemShown(5));
    EXPECT_FALSE(editor_.userItemShown(4));

    editor_.deviceLost();
    EXPECT_EQ(editor_.ledType(), "");
}

struct ActionCase {
    const char* what;
    Variant image;
    std::optional<std::uint8_t> typeByte;
    std::function<EditOutcome(LightingEditor&)> action;
    Requests expected;
};

TEST_F(LightingEditorTest, EachActionAsksForTheWritesOfItsControl) {
    const std::vector<ActionCase> cases = {
        {"speed image 10: step time 5, and the step time field sends it again",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.chooseSpeedLevel(10); },
         {wt(56, {5}), wt(56, {5})}},
        {"speed image 1",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.chooseSpeedLevel(1); },
         {wt(56, {50}), wt(56, {50})}},
        {"speed level 11 is no level",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.chooseSpeedLevel(11); },
         {}},
        {"RGB item 3 is mode 2",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.chooseUserMode(3); },
         {wt(165, {0x02})}},
        {"RGB item 7 is never offered",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.chooseUserMode(7); },
         {}},
        {"MCULED item 7 is mode 7",
         Variant::R210B,
         {},
         [](LightingEditor& e) { return e.chooseUserMode(7); },
         {wt(165, {0x87})}},
        {"Sync item 2 keeps the type bits",
         Variant::R230B,
         0x40,
         [](LightingEditor& e) {
             e.setModeEnabled(1, true);
             return e.chooseUserMode(2);
         },
         {wt(165, {0x41})}},
        {"NT item 6 is mode 5, with the LED count",
         Variant::R230B,
         0xF0,
         [](LightingEditor& e) { return e.chooseUserMode(6); },
         {wt(165, {0xF5})}},
        {"NT with one LED is written as 0x80 + mode",
         Variant::R230B,
         0xF2,
         [](LightingEditor& e) { return e.setNtLedCount(1); },
         {wt(165, {0x82})}},
        {"engineering list entry 3 of NT is mode 4",
         Variant::R230B,
         0xA0,
         [](LightingEditor& e) { return e.chooseListMode(3); },
         {wt(165, {0xA4})}},
        {"a disabled list entry is never sent",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.chooseListMode(6); },
         {}},
        {"70000 in the lower brightness gives 65535",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.setBreathing(BreathField::LowerBrightness, 70000); },
         {wt(48, {0xFF, 0xFF})}},
        {"5000 in the lower hold time gives 4094",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.setBreathing(BreathField::LowerHold, 5000); },
         {wt(52, {0x0F, 0xFE})}},
        {"upper hold time, big-endian",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.setBreathing(BreathField::UpperHold, 0x1234); },
         {wt(54, {0x12, 0x34})}},
        {"step time above 255 gives 255",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.setStepTime(300); },
         {wt(56, {255})}},
        {"colour 2 green above 255",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.setTableComponent(2, 1, 999); },
         {wt(61, {255})}},
        {"a picked colour goes byte by byte, then as three bytes",
         Variant::R230B,
         {},
         [](LightingEditor& e) {
             return e.pickTableColour(3, {0x12, 0x34, 0x56});
         },
         {wt(63, {0x12}), wt(64, {0x34}), wt(65, {0x56}), wt(63, {0x12, 0x34, 0x56})}},
        {"DPI level 8's colour",
         Variant::R230B,
         {},
         [](LightingEditor& e) {
             return e.pickDpiColour(8, {1, 2, 3});
         },
         {wt(108, {1}), wt(109, {2}), wt(110, {3}), wt(108, {1, 2, 3})}},
        {"DPI level 9 does not exist",
         Variant::R230B,
         {},
         [](LightingEditor& e) {
             return e.pickDpiColour(9, {1, 2, 3});
         },
         {}},
        {"MCU LED settings are ignored for other types",
         Variant::R230B,
         {},
         [](LightingEditor& e) { return e.setMcuCountIndex(9); },
         {}},
    };
    for (const auto& c : cases) {
        load(copiesOf(c.image, c.typeByte));
        EXPECT_EQ(c.action(editor_).requests, c.expected) << c.what;
    }
}

// The MCU LED section goes whole with the patch descriptor, then both bytes to the running firmware.
TEST_F(LightingEditorTest, McuLedCountStepAndBrightnessCodes) {
    struct Case {
        const char* what;
        std::function<EditOutcome(LightingEditor&)> action;
        std::uint8_t speed, control, checksum;
    };
    // R210B: step 1 (list index 6), full brightness, count code 3.
    const Case cases[] = {
        {"count item \"13\" gives code 0", [](LightingEditor& e) { return e.setMcuCountIndex(9); }, 0x01,
         0x80, 0xDB},
        {"count item \"4\" gives code 9", [](LightingEditor& e) { return e.setMcuCountIndex(0); }, 0x01, 0x89,
         0xD0},
        {"step item \"0\" gives 7", [](LightingEditor& e) { return e.setMcuStepIndex(0); }, 0x07, 0x83, 0xD0},
        {"step segment 8 gives 0", [](LightingEditor& e) { return e.chooseMcuStepSegment(8); }, 0x00, 0x83,
         0xD9},
        {"half brightness", [](LightingEditor& e) { return e.setMcuFullBright(false); }, 0x01, 0x03, 0x5E},
    };
    for (const auto& c : cases) {
        load(copiesOf(Variant::R210B));
        const std::vector<std::uint8_t> block = {
            0x04, 0x00, 0x02, 0xE0, 0x00, 0x1A, 0x5F, 0x63, c.speed, c.control, 0, 0, 0, 0, 0, c.checksum};
        EXPECT_EQ(c.action(editor_).requests,
                  (Requests{EditRequest::blockWrite(1008, block), EditRequest::xdataWrite(0x07C4, c.speed),
                            EditRequest::xdataWrite(0x07C5, c.control)}))
            << c.what;
    }

    // A stored step above 7 has no list item: it stays as stored while other settings change, and the
    // user page shows it as step 0.
    auto c = copiesOf(Variant::R210B);
    c.patchBlock[8] = 9;
    LightingEditor fresh{state_, texts_, [] { return false; }};
    fresh.loadFromCopies(c);
    EXPECT_EQ(fresh.mcuStepIndex(), std::nullopt);
    EXPECT_EQ(fresh.mcuStepSegment(), 8);
    EXPECT_EQ(fresh.setMcuFullBright(false).requests.at(1), EditRequest::xdataWrite(0x07C4, 9));
}

TEST_F(LightingEditorTest, UntickingTheSelectedModeSelectsAndSendsTheFirstEnabledOne) {
    load(copiesOf(Variant::R230B)); // RGB mode 4, modes 0..5 enabled
    EXPECT_EQ(editor_.setModeEnabled(2, false).requests, (Requests{wt(42, {0x3B})}));
    EXPECT_EQ(editor_.setModeEnabled(4, false).requests, (Requests{wt(42, {0x2B}), wt(165, {0x00})}));
    EXPECT_EQ(editor_.currentListIndex(), 0);
    EXPECT_EQ(editor_.setModeEnabled(0, false).requests, (Requests{wt(42, {0x2A}), wt(165, {0x01})}));
    EXPECT_EQ(editor_.setModeEnabled(6, true).requests, Requests{}) << "RGB shows no seventh checkbox";

    // With nothing left to select, only the mask goes.
    load(copiesOf(Variant::R230B, 0x41));
    editor_.setModeEnabled(0, false);
    editor_.setModeEnabled(2, false);
    EXPECT_EQ(editor_.setModeEnabled(1, false).requests, (Requests{wt(42, {0x38})}));

    // MCULED checkbox k stands for mode k + 1.
    load(copiesOf(Variant::R210B)); // mode 2, mask FE
    EXPECT_EQ(editor_.setModeEnabled(1, false).requests, (Requests{wt(42, {0xFA}), wt(165, {0x81})}));
}

TEST_F(LightingEditorTest, ChangingTheTypeTicksItsModesSendsItsDefaultModeAndRegenerates) {
    const struct {
        LedType type;
        std::uint8_t mask, typeByte;
    } cases[] = {{LedType::RGB, 0x3F, 0x05},
                 {LedType::Sync, 0x07, 0x42},
                 {LedType::NT, 0x37, 0x84},
                 {LedType::MCULED, 0xFE, 0x85}};
    for (const auto& c : cases) {
        load(copiesOf(Variant::R230B));
        const auto out = editor_.changeLedType(c.type);
        EXPECT_EQ(out.requests,
                  (Requests{wt(42, {c.mask}), wt(165, {c.typeByte}), EditRequest::regenerateForLedType()}))
            << ledTypeText(c.type);
        EXPECT_EQ(editor_.ledType(), ledTypeText(c.type));
        EXPECT_EQ(editor_.defaultInputs().packageIndex, c.type == LedType::RGB ? 1 : 0);
        EXPECT_EQ(state_.ledTypeSync, c.type == LedType::Sync);
    }
}

TEST_F(LightingEditorTest, UnderTheRefreshGuardOnlyTheCopiesFollow) {
    load(copiesOf(Variant::R210B));
    guard_ = true;
    EXPECT_EQ(editor_.chooseSpeedLevel(10).requests,
              (Requests{EditRequest::store(56, {5}), EditRequest::store(56, {5})}));
    const auto mcu = editor_.setMcuCountIndex(9).requests;
    ASSERT_EQ(mcu.size(), 1u);
    EXPECT_EQ(mcu[0].kind, EditRequest::Kind::Store);
    EXPECT_EQ(editor_.changeLedType(LedType::RGB).requests, Requests{});
    EXPECT_EQ(editor_.ledType(), "RGB");
}

TEST_F(LightingEditorTest, ProfileColourComesFromTheImageAndTheUserOnly) {
    auto c = copiesOf(Variant::R230B);
    c.user[user::kProfileAndColour] = 0x31; // colour 4, profile 2
    load(c);
    EXPECT_EQ(editor_.currentProfileColourItem(), 3);
    c.user[user::kProfileAndColour] = 0xB1; // nibble 11 names no colour: the item stays
    load(c);
    EXPECT_EQ(editor_.currentProfileColourItem(), 3);
    c.user[user::kProfileAndColour] = 0xF0;
    load(c);
    EXPECT_EQ(editor_.currentProfileColourItem(), kUserColourItem);
    editor_.setCurrentProfileColourItem(2);
    EXPECT_EQ(editor_.currentProfileColourItem(), 2);
}

} // namespace
} // namespace krm
