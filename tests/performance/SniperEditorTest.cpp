#include "performance/SniperEditor.h"

#include "MapTexts.h"

#include <gtest/gtest.h>

#include <vector>

namespace krm {
namespace {

using Requests = std::vector<EditRequest>;

void put(SectionCopies& c, int profile, int button, CodeBytes code) {
    auto& section = c.profiles[static_cast<std::size_t>(profile - 1)];
    std::copy(code.begin(), code.end(), section.begin() + 4 * (button - 1));
}

// Left click on button 1 of every profile; sniper buttons on profile 1 button 5 (step 9) and on
// profile 2 button 11 (step 4); profile 2 current.
SectionCopies twoSnipers() {
    SectionCopies c = SectionCopies::forVariant(Variant::R210B);
    for (int p = 1; p <= 3; ++p) put(c, p, 1, {0x01, 0x01, 0, 0});
    put(c, 1, 5, {0x05, 9, 0, 0});
    put(c, 2, 11, {0x05, 4, 0, 0});
    c.user[0] = 0x01;
    return c;
}

EditRequest store(int profile, int button, std::uint8_t step) {
    return EditRequest::store(codes::buttonOffset(profile, button), {0x05, step, 0x00, 0x00});
}

class SniperEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        editor_.setTexts(texts_);
        load(twoSnipers());
    }
    void load(const SectionCopies& c) {
        copies_ = c;
        assignments_.loadFromCopies(copies_);
        editor_.loadFromCopies(copies_);
    }

    test::MapTexts texts_ = test::MapTexts::dpiSteps();
    SectionCopies copies_;
    EditorState state_;
    bool guard_ = false;
    AssignmentEditor assignments_{state_, texts_, [this] { return guard_; }};
    SniperEditor editor_{copies_, state_, assignments_, [this] { return guard_; }};
};

TEST_F(SniperEditorTest, ANewStepRewritesEverySniperButtonOfEveryProfile) {
    EXPECT_EQ(editor_.step(), 4);
    const EditOutcome out = editor_.clickSegment(8);
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(out.requests, (Requests{store(1, 5, 7), store(2, 11, 7), EditRequest::profileRewrite()}));
    EXPECT_EQ(editor_.step(), 7);
    EXPECT_EQ(editor_.valueText(), "2000");
    // New sniper codes take the step, and the button table shows the codes as they now are.
    EXPECT_EQ(state_.sniperLevel, 8);
    EXPECT_EQ(assignments_.code(1, 5), "05070000");
    EXPECT_EQ(assignments_.tableCaption(1, 5), "AIM Key");
}

TEST_F(SniperEditorTest, TheCurrentProfilesSniperButtonDecidesTheStepShown) {
    struct Case {
        const char* what;
        std::uint8_t currentProfileByte;
        std::uint8_t profile2Step;
        int step;
        bool shown;
        const char* text;
    };
    for (const Case& c : {Case{"profile 2, slot 11", 0x01, 4, 4, true, "1000"},
                          Case{"profile 1 (colour bits set)", 0xF0, 4, 9, true, "3200"},
                          Case{"profile 3 has none", 0x02, 4, 0, true, "200"},
                          Case{"no step (255)", 0x01, 0xFF, 0, false, ""},
                          Case{"a byte naming no step", 0x01, 12, 0, false, ""}}) {
        SCOPED_TRACE(c.what);
        SectionCopies copies = twoSnipers();
        copies.user[0] = c.currentProfileByte;
        put(copies, 2, 11, {0x05, c.profile2Step, 0, 0});
        editor_.setStep(0);
        load(copies);
        EXPECT_EQ(editor_.step(), c.step);
        EXPECT_EQ(editor_.stepShown(), c.shown);
        EXPECT_EQ(editor_.valueText(), c.text);
    }
}

TEST_F(SniperEditorTest, WithoutASniperButtonNothingIsSentAndThePageSaysWhy) {
    SectionCopies copies = twoSnipers();
    put(copies, 1, 5, {0x01, 0x04, 0, 0});
    put(copies, 2, 11, {0x01, 0x04, 0, 0});
    load(copies);
    const EditOutcome out = editor_.clickSegment(6);
    EXPECT_TRUE(out.refused);
    EXPECT_TRUE(out.requests.empty());
    EXPECT_EQ(out.message, "Please select a AIM Key");
    EXPECT_EQ(editor_.step(), 0);
    EXPECT_EQ(state_.sniperLevel, 1);
}

TEST_F(SniperEditorTest, SliderAndRefreshGuard) {
    // Released at the step it has: nothing; dragged elsewhere: every sniper button.
    EXPECT_EQ(editor_.dragSlider(390), 4);
    EXPECT_TRUE(editor_.releaseSlider(390, 0, 0).requests.empty());
    EXPECT_EQ(editor_.releaseSlider(0, 2, 220).requests,
              (Requests{store(1, 5, 0), store(2, 11, 0), EditRequest::profileRewrite()}));
    // While the window is filled from an image the copies follow but nothing goes out.
    guard_ = true;
    const EditOutcome out = editor_.setStep(11);
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(out.requests, (Requests{store(1, 5, 11), store(2, 11, 11)}));
}

} // namespace
} // namespace krm
