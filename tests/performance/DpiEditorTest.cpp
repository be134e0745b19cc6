#include "performance/DpiEditor.h"
#include "performance/StepSlider.h"

#include "MapTexts.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace krm {
namespace {

using Requests = std::vector<EditRequest>;

EditRequest wt(std::size_t address, std::uint8_t value) {
    return EditRequest::writeThrough(address, {value});
}

// Six levels (steps 3, 6, 8, 9, 10, 11, levels 7 and 8 without a value), level 2 current, 1000 Hz.
SectionCopies sixLevels() {
    SectionCopies c = SectionCopies::forVariant(Variant::R210B);
    c.vendor[4] = 0xBF;
    c.vendor[43] = 5;
    c.vendor[44] = 0x63;
    c.vendor[45] = 0x98;
    c.vendor[46] = 0xBA;
    c.vendor[47] = 0xFF;
    c.user[2] = 1;
    return c;
}

class DpiEditorTest : public ::testing::Test {
protected:
    void SetUp() override { load(sixLevels()); }
    void load(const SectionCopies& c) {
        copies_ = c;
        editor_.loadFromCopies(copies_);
    }

    test::MapTexts texts_ = test::MapTexts::dpiSteps();
    SectionCopies copies_;
    bool guard_ = false;
    DpiEditor editor_{copies_, [this] { return guard_; }};
};

TEST_F(DpiEditorTest, LoadsLevelsCountCurrentAndRate) {
    editor_.setTexts(texts_);
    EXPECT_EQ(editor_.count(), 6);
    EXPECT_EQ(editor_.countItem(), 5);
    EXPECT_EQ(editor_.currentLevel(), 2);
    EXPECT_EQ(editor_.reportRate(), 1000);
    EXPECT_EQ(editor_.step(1), 3);
    EXPECT_EQ(editor_.step(6), 11);
    EXPECT_EQ(editor_.step(7), std::nullopt);
    EXPECT_EQ(editor_.valueText(2), "1600");
    EXPECT_EQ(editor_.valueText(8), "");
    EXPECT_TRUE(editor_.enabled(6));
    EXPECT_FALSE(editor_.enabled(7));
}

// Each action from the six-level image, with the exact writes it asks for.
TEST_F(DpiEditorTest, ActionsAskForTheseWrites) {
    struct Case {
        const char* what;
        std::function<EditOutcome(DpiEditor&)> action;
        Requests expected;
        int countAfter;
        std::optional<int> currentAfter;
    };
    const Case cases[] = {
        // The nibble pair from the editor's values, then level 2 (byte 1) re-sent as 0 then 1.
        {"level 1 to step 5",
         [](DpiEditor& e) { return e.setStep(1, 5); },
         {wt(44, 0x65), wt(166, 0), wt(166, 1)},
         6,
         2},
        {"level 6 to step 0",
         [](DpiEditor& e) { return e.setStep(6, 0); },
         {wt(46, 0x0A), wt(166, 0), wt(166, 1)},
         6,
         2},
        // A level without a value keeps its 15 when its partner is written.
        {"level 7 to step 2",
         [](DpiEditor& e) { return e.setStep(7, 2); },
         {wt(47, 0xF2), wt(166, 0), wt(166, 1)},
         6,
         2},
        {"step 12 names no value", [](DpiEditor& e) { return e.setStep(1, 12); }, {}, 6, 2},
        {"level 9 does not exist", [](DpiEditor& e) { return e.setStep(9, 1); }, {}, 6, 2},
        {"current level again", [](DpiEditor& e) { return e.makeCurrent(2); }, {wt(166, 1)}, 6, 2},
        {"level 5 current", [](DpiEditor& e) { return e.makeCurrent(5); }, {wt(166, 4)}, 6, 5},
        {"switched-off level 7 is no current level", [](DpiEditor& e) { return e.makeCurrent(7); }, {}, 6, 2},
        // The count list: the mouse keeps its level 2 while it is on; switched off, the last enabled
        // level is made current.
        {"count 3 from the list", [](DpiEditor& e) { return e.setCount(3); }, {wt(43, 2)}, 3, 2},
        {"count 8 from the list", [](DpiEditor& e) { return e.setCount(8); }, {wt(43, 7)}, 8, 2},
        {"count 1 switches the current level off",
         [](DpiEditor& e) { return e.setCount(1); },
         {wt(43, 0), wt(166, 0)},
         1,
         1},
        {"count 0", [](DpiEditor& e) { return e.setCount(0); }, {}, 6, 2},
        // Level labels: the one after the last enabled switches on, the last enabled one off; the count
        // goes out twice and the mouse stays on its level 2.
        {"label 7 switches on",
         [](DpiEditor& e) { return e.clickLevelLabel(7); },
         {wt(43, 6), wt(43, 6)},
         7,
         2},
        {"label 6 switches off",
         [](DpiEditor& e) { return e.clickLevelLabel(6); },
         {wt(43, 4), wt(43, 4)},
         5,
         2},
        {"label 6 switches the current level off",
         [](DpiEditor& e) {
             e.makeCurrent(6);
             return e.clickLevelLabel(6);
         },
         {wt(43, 4), wt(43, 4), wt(166, 4)},
         5,
         5},
        {"label 3 is not the last", [](DpiEditor& e) { return e.clickLevelLabel(3); }, {}, 6, 2},
        {"label 8 does not follow", [](DpiEditor& e) { return e.clickLevelLabel(8); }, {}, 6, 2},
        // The rate already set goes out without a restart; another one restarts the mouse.
        {"rate 1000 again", [](DpiEditor& e) { return e.setReportRate(1000); }, {wt(4, 0xBF)}, 6, 2},
        {"rate 125",
         [](DpiEditor& e) { return e.setReportRate(125); },
         {wt(4, 0x8F), EditRequest::restart()},
         6,
         2},
        {"rate 300", [](DpiEditor& e) { return e.setReportRate(300); }, {}, 6, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(sixLevels());
        const EditOutcome out = c.action(editor_);
        EXPECT_FALSE(out.refused);
        EXPECT_EQ(out.requests, c.expected);
        EXPECT_EQ(editor_.count(), c.countAfter);
        EXPECT_EQ(editor_.currentLevel(), c.currentAfter);
    }
}

TEST_F(DpiEditorTest, ChangingLevelOneFrom3To5BesideA7SendsSeventyFiveThenTheCurrentLevelAroundIt) {
    for (const auto& [current, away] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{7, 6}}) {
        SCOPED_TRACE(current);
        SectionCopies c = sixLevels();
        c.vendor[44] = 0x73;
        c.user[2] = static_cast<std::uint8_t>(current);
        load(c);
        EXPECT_EQ(editor_.setStep(1, 5).requests,
                  (Requests{wt(44, 0x75), wt(166, static_cast<std::uint8_t>(away)),
                            wt(166, static_cast<std::uint8_t>(current))}));
    }
}

TEST_F(DpiEditorTest, TheLevelTheMouseReportedIsTheOneReSent) {
    editor_.makeCurrent(5);
    editor_.currentChangedByMouse(3);
    EXPECT_EQ(editor_.currentLevel(), 4);
    EXPECT_EQ(editor_.setStep(2, 0).requests, (Requests{wt(44, 0x03), wt(166, 2), wt(166, 3)}));
}

TEST_F(DpiEditorTest, LevelOneIsNeverSwitchedOff) {
    SectionCopies c = sixLevels();
    c.vendor[43] = 0;
    load(c);
    const EditOutcome out = editor_.clickLevelLabel(1);
    EXPECT_TRUE(out.refused);
    EXPECT_TRUE(out.requests.empty());
    EXPECT_EQ(editor_.count(), 1);
    EXPECT_EQ(editor_.clickLevelLabel(2).requests, (Requests{wt(43, 1), wt(43, 1)}));
}

TEST_F(DpiEditorTest, WhileRefreshingNothingIsSent) {
    guard_ = true;
    EXPECT_EQ(editor_.setStep(1, 5).requests, (Requests{EditRequest::store(44, {0x65})}));
    EXPECT_EQ(editor_.setReportRate(250).requests, (Requests{EditRequest::store(4, {0x9F})}));
    EXPECT_EQ(editor_.makeCurrent(3).requests, (Requests{EditRequest::store(166, {2})}));
}

// Bytes a damaged image may hold: nothing outside the twelve segments, no count item for a count byte
// above 7 (the enabled levels stay), and a current-level byte above 7 lights nothing.
TEST_F(DpiEditorTest, ValuesOutsideTheirRangesAreShownSafely) {
    editor_.setTexts(texts_);
    SectionCopies c = sixLevels();
    c.vendor[43] = 9;
    c.vendor[44] = 0xD3; // level 2: nibble 13
    c.user[2] = 0xFF;
    load(c);
    EXPECT_EQ(editor_.countItem(), std::nullopt);
    EXPECT_EQ(editor_.count(), 6);
    EXPECT_EQ(editor_.step(2), std::nullopt);
    EXPECT_EQ(editor_.valueText(2), "");
    EXPECT_EQ(editor_.currentLevel(), std::nullopt);
    // Level 2's nibble goes back as read; the mouse is moved to a level it can hold.
    EXPECT_EQ(editor_.setStep(1, 5).requests, (Requests{wt(44, 0xD5), wt(166, 1), wt(166, 0)}));
    EXPECT_EQ(editor_.currentLevel(), 1);
}

TEST_F(DpiEditorTest, ValueTextsComeFromTheLanguage) {
    test::MapTexts other = test::MapTexts::dpiSteps();
    other.set("Str303", "800 CPI");
    editor_.setTexts(other);
    EXPECT_EQ(editor_.valueText(1), "800 CPI");
    EXPECT_EQ(editor_.setStep(1, 3).requests.front(), wt(44, 0x63));
}

TEST(SliderStop, BandsOfTheDpiSliderAndOfAClick) {
    struct Case {
        int position, extent, stop;
    };
    for (const Case& c :
         {Case{-60, 1100, 0}, Case{-50, 1100, 0}, Case{50, 1100, 0}, Case{51, 1100, 1}, Case{150, 1100, 1},
          Case{151, 1100, 2}, Case{1050, 1100, 10}, Case{1051, 1100, 11}, Case{5000, 1100, 11},
          Case{10, 220, 0}, Case{11, 220, 1}, Case{219, 220, 11}, Case{5, 5, 11}, Case{0, 5, 0}}) {
        SCOPED_TRACE(::testing::Message() << c.position << " of " << c.extent);
        EXPECT_EQ(sliderStop(c.position, c.extent, kDpiSliderStops), c.stop);
    }
}

TEST_F(DpiEditorTest, ASliderLetGoAtTheStoredStopSendsNothing) {
    // Level 1 holds step 3: dragged to 320 (stop 3) and let go there.
    EXPECT_EQ(editor_.dragSlider(1, 320), 3);
    EXPECT_TRUE(editor_.releaseSlider(1, 320, 0, 0).requests.empty());
    // Dragged to stop 4: the value is taken from the slider, not from the pointer.
    EXPECT_EQ(editor_.dragSlider(1, 420), 4);
    EXPECT_EQ(editor_.releaseSlider(1, 420, 0, 220).requests,
              (Requests{wt(44, 0x64), wt(166, 0), wt(166, 1)}));
    // A plain click takes the pointer's x on a 220-pixel slider: x = 111 is stop 6.
    EXPECT_EQ(editor_.releaseSlider(1, 400, 111, 220).requests,
              (Requests{wt(44, 0x66), wt(166, 0), wt(166, 1)}));
    EXPECT_TRUE(editor_.releaseSlider(1, 0, 111, 220).requests.empty());
}

} // namespace
} // namespace krm
