#include "buttons/AssignmentEditor.h"
#include "buttons/FunctionCatalogue.h"
#include "FakeTexts.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace krm {
namespace {

using Kind = EditRequest::Kind;

// The button tables of the R210B factory images, combo keys 2 and 4 as shipped.
std::array<std::uint8_t, kImageSize> factoryImage() {
    std::array<std::uint8_t, kImageSize> image{};
    const std::array<CodeBytes, 12> profile1 = {{{0x01, 0x01, 0, 0},
                                                 {0x01, 0x08, 0, 0x02},
                                                 {0x06, 0x92, 0x00, 0x3C},
                                                 {0x01, 0x02, 0, 0},
                                                 {0x01, 0x10, 0, 0},
                                                 {0x09, 0x01, 0, 0},
                                                 {0x01, 0x04, 0, 0},
                                                 {0x09, 0x00, 0, 0},
                                                 {0x09, 0x02, 0, 0},
                                                 {},
                                                 {},
                                                 {}}};
    for (int p = 1; p <= 3; ++p)
        for (int k = 1; k <= 12; ++k) {
            auto code = profile1[static_cast<std::size_t>(k - 1)];
            if (p == 3 && k == 6) code = {0x02, 0x08, 0x07, 0x00};
            if (p == 3 && k == 9) code = {0x08, 0x00, 0x00, 0x00};
            std::copy(code.begin(), code.end(), image.begin() + static_cast<long>(codes::buttonOffset(p, k)));
        }
    const CodeBytes combo2{0x0E, 0, 0, 0}, combo4{0x07, 0xD1, 0xF0, 0x18};
    std::copy(combo2.begin(), combo2.end(), image.begin() + static_cast<long>(codes::comboKeyOffset(2)));
    std::copy(combo4.begin(), combo4.end(), image.begin() + static_cast<long>(codes::comboKeyOffset(4)));
    return image;
}

void put(std::array<std::uint8_t, kImageSize>& image, int profile, int button, CodeBytes code) {
    std::copy(code.begin(), code.end(),
              image.begin() + static_cast<long>(codes::buttonOffset(profile, button)));
}

class AssignmentEditorTest : public ::testing::Test {
protected:
    void load(const std::array<std::uint8_t, kImageSize>& image, int profile = 1) {
        editor_.setCurrentProfile(profile);
        editor_.loadFromImage(image);
    }
    EditRequest store(int profile, int button, CodeBytes b) {
        return EditRequest::store(codes::buttonOffset(profile, button), b);
    }

    test::FakeTexts texts_;
    EditorState state_;
    bool guard_ = false;
    AssignmentEditor editor_{state_, texts_, [this] { return guard_; }};
};

TEST_F(AssignmentEditorTest, LoadingAnImageNamesEveryButtonAndComboKey) {
    state_.fireKeys[0].continueBox = false;
    load(factoryImage(), 3);
    EXPECT_EQ(editor_.code(1, 3), "0692003C");
    EXPECT_EQ(editor_.tableCaption(1, 3), "Fire Key1");
    EXPECT_TRUE(state_.fireKeys[0].continueBox);
    EXPECT_EQ(editor_.keyCaption(6), "Desktop");
    EXPECT_EQ(editor_.keyCaption(9), "LED Switch");
    EXPECT_EQ(editor_.keyCaption(10), "Key Off");
    EXPECT_EQ(editor_.comboCaption(2), "LED Mode");
    EXPECT_EQ(editor_.comboCaption(4), "Game Mode");
    editor_.setCurrentProfile(1);
    EXPECT_EQ(editor_.keyCaption(6), "DPI Up");
}

TEST_F(AssignmentEditorTest, ProfileOneKeepsALeftClick) {
    load(factoryImage(), 1);
    editor_.openFromMainPage(1);
    auto out = editor_.chooseFunction(tags::kRight);
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(out.message, "至少保留一个左键");
    EXPECT_EQ(editor_.keyCaption(1), "Left Click");
    EXPECT_EQ(editor_.tableCaption(1, 1), "Left Click");
    EXPECT_EQ(editor_.code(1, 1), "01010000");
    EXPECT_EQ(out.requests, std::vector<EditRequest>{EditRequest::profileRewrite()});

    editor_.openFromMainPage(4);
    out = editor_.chooseFunction(tags::kLeft);
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(out.requests,
              (std::vector<EditRequest>{store(1, 4, {0x01, 0x01, 0, 0}), EditRequest::profileRewrite()}));
    // With a second Left Click, the first one may go.
    editor_.openFromMainPage(1);
    out = editor_.chooseFunction(tags::kRight);
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(editor_.keyCaption(1), "Right Click");
    EXPECT_EQ(editor_.tableCaption(1, 1), "Right Click");
    EXPECT_EQ(editor_.code(1, 1), "01020000");
}

TEST_F(AssignmentEditorTest, ProfileTwoCountsAFireMacroKeyAsALeftButton) {
    auto image = factoryImage();
    put(image, 2, 1, {0x10, 0x07, 0x10, 0xFF});
    load(image, 2);
    editor_.openFromMainPage(2);
    EXPECT_FALSE(editor_.chooseFunction(tags::kKeyOff).refused);
    EXPECT_EQ(editor_.code(2, 2), "00000000");

    editor_.openFromMainPage(1);
    const auto out = editor_.chooseFunction(tags::kKeyOff);
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(out.message, "至少保留一个左键或压枪键");
    EXPECT_EQ(editor_.keyCaption(1), "Fire Macro Key");
    EXPECT_EQ(editor_.code(2, 1), "100710FF");
}

TEST_F(AssignmentEditorTest, UserDefinedOpensTheDialogUnlessItWouldTakeTheLastLeftClick) {
    load(factoryImage(), 1);
    editor_.openFromMainPage(1);
    auto out = editor_.userDefined();
    EXPECT_TRUE(out.refused);
    EXPECT_FALSE(out.message);
    EXPECT_EQ(out.followup, Followup::None);

    auto image = factoryImage();
    put(image, 1, 12, {0x01, 0x01, 0, 0});
    load(image, 1);
    editor_.openFromMainPage(1);
    out = editor_.userDefined();
    EXPECT_EQ(out.followup, Followup::OpenKeyComboDialog);
    EXPECT_TRUE(out.coverWindow);

    out = editor_.applyDialogCode("02030604", "Ctrl+Shift+C+A");
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(1, 1, {0x02, 0x03, 0x06, 0x04}),
                                                      EditRequest::profileRewrite()}));
    EXPECT_EQ(editor_.keyCaption(1), "Ctrl+Shift+C+A");
    EXPECT_EQ(editor_.tableCaption(1, 1), "Ctrl+Shift+C+A");
    EXPECT_TRUE(editor_.applyDialogCode("0203060", "x").requests.empty());
}

TEST_F(AssignmentEditorTest, UserDefinedCannotTakeTheLastLeftButtonOfProfileTwo) {
    load(factoryImage(), 2);
    editor_.openFromMainPage(1);
    auto out = editor_.userDefined();
    ASSERT_EQ(out.followup, Followup::OpenKeyComboDialog);
    EXPECT_FALSE(out.coverWindow);
    out = editor_.applyDialogCode("02000400", "A");
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(editor_.code(2, 1), "01010000");
    EXPECT_EQ(editor_.keyCaption(1), "Left Click");
}

TEST_F(AssignmentEditorTest, ComboKeyFourGetsTheOptionedGameModeCode) {
    load(factoryImage(), 1);
    state_.profileSwitch = {true, false, true, 0x018};
    state_.profileColourItems[1] = kUserColourItem;
    editor_.openFromComboKey(4);
    const auto out = editor_.chooseFunction(tags::kProfile2);
    const CodeBytes code{0x07, 0xD1, 0xF0, 0x18};
    EXPECT_EQ(out.requests,
              (std::vector<EditRequest>{EditRequest::writeQuad(139, code), EditRequest::profileRewrite()}));
    EXPECT_EQ(editor_.comboCaption(4), "Game Mode");
    EXPECT_EQ(editor_.comboCode(4), "07D1F018");
}

TEST_F(AssignmentEditorTest, NothingIsSentWhileTheRefreshGuardIsSet) {
    load(factoryImage(), 1);
    guard_ = true;
    struct Case {
        std::function<void()> open;
        std::function<const std::string&()> caption;
        std::size_t offset;
    };
    const Case cases[] = {
        {[&] { editor_.openFromMainPage(5); }, [&]() -> const std::string& { return editor_.keyCaption(5); },
         codes::buttonOffset(1, 5)},
        {[&] { editor_.openFromProfileTable(3, 7); },
         [&]() -> const std::string& { return editor_.tableCaption(3, 7); }, codes::buttonOffset(3, 7)},
        {[&] { editor_.openFromComboKey(9); },
         [&]() -> const std::string& { return editor_.comboCaption(9); }, codes::comboKeyOffset(9)},
    };
    for (const auto& c : cases) {
        c.open();
        const auto out = editor_.chooseFunction(1101);
        EXPECT_EQ(out.requests,
                  std::vector<EditRequest>{EditRequest::store(c.offset, {0x03, 0x00, 0xB7, 0x00})});
        EXPECT_EQ(c.caption(), "Stop");
    }
    EXPECT_EQ(editor_.code(3, 7), "0300B700");
}

TEST_F(AssignmentEditorTest, DeviceMacrosAndGunKeyListEntries) {
    state_.deviceMacros[0] = {true, 0x0200, "First"};
    state_.deviceMacros[1] = {true, 0x0228, "Second"};
    state_.gunKeys = {true, {}};
    state_.gunKeys.entries[2] = {0x0B, 0x15, 0x02, 0x00};
    load(factoryImage(), 1);

    editor_.openFromMainPage(1);
    auto out = editor_.chooseDeviceMacro(1);
    EXPECT_TRUE(out.refused);
    EXPECT_FALSE(out.message);
    EXPECT_TRUE(out.requests.empty());

    editor_.openFromMainPage(3);
    out = editor_.chooseDeviceMacro(1);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(1, 3, {0x10, 0x02, 0x28, 0x00}),
                                                      EditRequest::profileRewrite()}));
    EXPECT_EQ(editor_.keyCaption(3), "Second");
    EXPECT_TRUE(editor_.chooseDeviceMacro(2).requests.empty());

    editor_.openFromProfileTable(2, 5);
    out = editor_.chooseGunKeyListEntry(3);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(2, 5, {0x0B, 0x15, 0x02, 0x00}),
                                                      EditRequest::profileRewrite()}));
    EXPECT_EQ(editor_.tableCaption(2, 5), "Fire Macro3");
    EXPECT_TRUE(editor_.chooseGunKeyListEntry(4).requests.empty());

    editor_.openFromComboKey(1);
    EXPECT_EQ(editor_.chooseGunKeyListEntry(3).requests,
              std::vector<EditRequest>{EditRequest::profileRewrite()});
    EXPECT_EQ(editor_.comboCode(1), "00000000");
}

TEST_F(AssignmentEditorTest, MiddleClickToggleSwitchesTheGameModeTrigger) {
    auto image = factoryImage();
    put(image, 1, 7, {0x01, 0x02, 0, 0});
    load(image, 1);
    auto out = editor_.toggleModeSwitch(2);
    EXPECT_EQ(out.followup, Followup::None);
    EXPECT_EQ(state_.gameModeTrigger, 0);

    editor_.setCurrentProfile(2);
    state_.gameModeTrigger = 5;
    out = editor_.toggleModeSwitch(2);
    EXPECT_EQ(out.followup, Followup::ApplyGameModeTrigger);
    EXPECT_EQ(state_.gameModeTrigger, 1);
    EXPECT_TRUE(editor_.toggleOn(2));
    EXPECT_FALSE(editor_.toggleOn(6));
    EXPECT_TRUE(out.requests.empty());

    editor_.toggleModeSwitch(2);
    EXPECT_EQ(state_.gameModeTrigger, 0);
    EXPECT_FALSE(editor_.toggleOn(2));

    out = editor_.toggleModeSwitch(1);
    EXPECT_EQ(out.followup, Followup::ApplyLedModeCombination);
    EXPECT_EQ(state_.ledModeCombination, 1);
    EXPECT_TRUE(editor_.toggleOn(1));
}

TEST_F(AssignmentEditorTest, GunToggleRewritesTheGunButtonsOfProfileTwo) {
    auto image = factoryImage();
    put(image, 2, 4, {0x0B, 0x12, 0x01, 0x00});
    put(image, 2, 8, {0x0B, 0x17, 0x03, 0x02});
    load(image, 1);
    EXPECT_TRUE(editor_.toggleModeSwitch(8).requests.empty()) << "only on the Game Mode page";

    editor_.setCurrentProfile(2);
    state_.gameModeTrigger = 3;
    state_.fireKeys[0].continueBox = false; // button 3's code 06 92 00 3C would tick it
    auto out = editor_.toggleModeSwitch(8);
    EXPECT_TRUE(state_.gunFireMode);
    EXPECT_FALSE(state_.fireKeys[0].continueBox);
    EXPECT_FALSE(state_.fireChangeInProgress);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{
                                store(2, 4, {0x0B, 0x12, 0x01, 0x08}), store(2, 8, {0x0B, 0x17, 0x03, 0x08}),
                                EditRequest::vendorSectionRewrite(), EditRequest::profileRewrite()}));
    state_.gameModeTrigger = 6;
    guard_ = true;
    out = editor_.toggleModeSwitch(8);
    EXPECT_FALSE(state_.gunFireMode);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(2, 4, {0x0B, 0x12, 0x01, 0x00}),
                                                      store(2, 8, {0x0B, 0x17, 0x03, 0x00})}));
}

} // namespace
} // namespace krm
