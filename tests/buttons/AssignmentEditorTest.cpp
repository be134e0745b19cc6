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
        editor.setCurrentProfile(profile);
        editor.loadFromImage(image);
    }
    EditRequest store(int profile, int button, CodeBytes b) {
        return EditRequest::store(codes::buttonOffset(profile, button), b);
    }

    test::FakeTexts texts;
    EditorState state;
    bool guard = false;
    AssignmentEditor editor{state, texts, [this] { return guard; }};
};

TEST_F(AssignmentEditorTest, LoadingAnImageNamesEveryButtonAndComboKey) {
    state.fireKeys[0].continueBox = false;
    load(factoryImage(), 3);
    EXPECT_EQ(editor.code(1, 3), "0692003C");
    EXPECT_EQ(editor.tableCaption(1, 3), "Fire Key1");
    EXPECT_TRUE(state.fireKeys[0].continueBox);
    EXPECT_EQ(editor.keyCaption(6), "Desktop");
    EXPECT_EQ(editor.keyCaption(9), "LED Switch");
    EXPECT_EQ(editor.keyCaption(10), "Key Off");
    EXPECT_EQ(editor.comboCaption(2), "LED Mode");
    EXPECT_EQ(editor.comboCaption(4), "Game Mode");
    editor.setCurrentProfile(1);
    EXPECT_EQ(editor.keyCaption(6), "DPI Up");
}

TEST_F(AssignmentEditorTest, ProfileOneKeepsALeftClick) {
    load(factoryImage(), 1);
    editor.openFromMainPage(1);
    auto out = editor.chooseFunction(tags::kRight);
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(out.message, "至少保留一个左键");
    EXPECT_EQ(editor.keyCaption(1), "Left Click");
    EXPECT_EQ(editor.tableCaption(1, 1), "Left Click");
    EXPECT_EQ(editor.code(1, 1), "01010000");
    EXPECT_EQ(out.requests, std::vector<EditRequest>{EditRequest::profileRewrite()});

    editor.openFromMainPage(4);
    out = editor.chooseFunction(tags::kLeft);
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(out.requests,
              (std::vector<EditRequest>{store(1, 4, {0x01, 0x01, 0, 0}), EditRequest::profileRewrite()}));
    // With a second Left Click, the first one may go.
    editor.openFromMainPage(1);
    out = editor.chooseFunction(tags::kRight);
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(editor.keyCaption(1), "Right Click");
    EXPECT_EQ(editor.tableCaption(1, 1), "Right Click");
    EXPECT_EQ(editor.code(1, 1), "01020000");
}

TEST_F(AssignmentEditorTest, ProfileTwoCountsAFireMacroKeyAsALeftButton) {
    auto image = factoryImage();
    put(image, 2, 1, {0x10, 0x07, 0x10, 0xFF});
    load(image, 2);
    editor.openFromMainPage(2);
    EXPECT_FALSE(editor.chooseFunction(tags::kKeyOff).refused);
    EXPECT_EQ(editor.code(2, 2), "00000000");

    editor.openFromMainPage(1);
    const auto out = editor.chooseFunction(tags::kKeyOff);
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(out.message, "至少保留一个左键或压枪键");
    EXPECT_EQ(editor.keyCaption(1), "Fire Macro Key");
    EXPECT_EQ(editor.code(2, 1), "100710FF");
}

TEST_F(AssignmentEditorTest, UserDefinedOpensTheDialogUnlessItWouldTakeTheLastLeftClick) {
    load(factoryImage(), 1);
    editor.openFromMainPage(1);
    auto out = editor.userDefined();
    EXPECT_TRUE(out.refused);
    EXPECT_FALSE(out.message);
    EXPECT_EQ(out.followup, Followup::None);

    auto image = factoryImage();
    put(image, 1, 12, {0x01, 0x01, 0, 0});
    load(image, 1);
    editor.openFromMainPage(1);
    out = editor.userDefined();
    EXPECT_EQ(out.followup, Followup::OpenKeyComboDialog);
    EXPECT_TRUE(out.coverWindow);

    out = editor.applyDialogCode("02030604", "Ctrl+Shift+C+A");
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(1, 1, {0x02, 0x03, 0x06, 0x04}),
                                                      EditRequest::profileRewrite()}));
    EXPECT_EQ(editor.keyCaption(1), "Ctrl+Shift+C+A");
    EXPECT_EQ(editor.tableCaption(1, 1), "Ctrl+Shift+C+A");
    EXPECT_TRUE(editor.applyDialogCode("0203060", "x").requests.empty());
}

TEST_F(AssignmentEditorTest, UserDefinedCannotTakeTheLastLeftButtonOfProfileTwo) {
    load(factoryImage(), 2);
    editor.openFromMainPage(1);
    auto out = editor.userDefined();
    ASSERT_EQ(out.followup, Followup::OpenKeyComboDialog);
    EXPECT_FALSE(out.coverWindow);
    out = editor.applyDialogCode("02000400", "A");
    EXPECT_TRUE(out.refused);
    EXPECT_EQ(editor.code(2, 1), "01010000");
    EXPECT_EQ(editor.keyCaption(1), "Left Click");
}

TEST_F(AssignmentEditorTest, ComboKeyFourGetsTheOptionedGameModeCode) {
    load(factoryImage(), 1);
    state.profileSwitch = {true, false, true, 0x018};
    state.cb_ProfileColor[1] = kUserColourItem;
    editor.openFromComboKey(4);
    const auto out = editor.chooseFunction(tags::kProfile2);
    const CodeBytes code{0x07, 0xD1, 0xF0, 0x18};
    EXPECT_EQ(out.requests,
              (std::vector<EditRequest>{EditRequest::writeQuad(139, code), EditRequest::profileRewrite()}));
    EXPECT_EQ(editor.comboCaption(4), "Game Mode");
    EXPECT_EQ(editor.comboCode(4), "07D1F018");
}

TEST_F(AssignmentEditorTest, NothingIsSentWhileTheRefreshGuardIsSet) {
    load(factoryImage(), 1);
    guard = true;
    struct Case {
        std::function<void()> open;
        std::function<const std::string&()> caption;
        std::size_t offset;
    };
    const Case cases[] = {
        {[&] { editor.openFromMainPage(5); }, [&]() -> const std::string& { return editor.keyCaption(5); },
         codes::buttonOffset(1, 5)},
        {[&] { editor.openFromProfileTable(3, 7); },
         [&]() -> const std::string& { return editor.tableCaption(3, 7); }, codes::buttonOffset(3, 7)},
        {[&] { editor.openFromComboKey(9); }, [&]() -> const std::string& { return editor.comboCaption(9); },
         codes::comboKeyOffset(9)},
    };
    for (const auto& c : cases) {
        c.open();
        const auto out = editor.chooseFunction(1101);
        EXPECT_EQ(out.requests,
                  std::vector<EditRequest>{EditRequest::store(c.offset, {0x03, 0x00, 0xB7, 0x00})});
        EXPECT_EQ(c.caption(), "Stop");
    }
    EXPECT_EQ(editor.code(3, 7), "0300B700");
}

TEST_F(AssignmentEditorTest, DeviceMacrosAndGunKeyListEntries) {
    state.deviceMacros[0] = {true, 0x0200, "First"};
    state.deviceMacros[1] = {true, 0x0228, "Second"};
    state.gunKeys = {true, {}};
    state.gunKeys.entries[2] = {0x0B, 0x15, 0x02, 0x00};
    load(factoryImage(), 1);

    editor.openFromMainPage(1);
    auto out = editor.chooseDeviceMacro(1);
    EXPECT_TRUE(out.refused);
    EXPECT_FALSE(out.message);
    EXPECT_TRUE(out.requests.empty());

    editor.openFromMainPage(3);
    out = editor.chooseDeviceMacro(1);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(1, 3, {0x10, 0x02, 0x28, 0x00}),
                                                      EditRequest::profileRewrite()}));
    EXPECT_EQ(editor.keyCaption(3), "Second");
    EXPECT_TRUE(editor.chooseDeviceMacro(2).requests.empty());

    editor.openFromProfileTable(2, 5);
    out = editor.chooseGunKeyListEntry(3);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(2, 5, {0x0B, 0x15, 0x02, 0x00}),
                                                      EditRequest::profileRewrite()}));
    EXPECT_EQ(editor.tableCaption(2, 5), "Fire Macro3");
    EXPECT_TRUE(editor.chooseGunKeyListEntry(4).requests.empty());

    editor.openFromComboKey(1);
    EXPECT_EQ(editor.chooseGunKeyListEntry(3).requests,
              std::vector<EditRequest>{EditRequest::profileRewrite()});
    EXPECT_EQ(editor.comboCode(1), "00000000");
}

TEST_F(AssignmentEditorTest, MiddleClickToggleSwitchesTheGameModeTrigger) {
    auto image = factoryImage();
    put(image, 1, 7, {0x01, 0x02, 0, 0});
    load(image, 1);
    auto out = editor.toggleModeSwitch(2);
    EXPECT_EQ(out.followup, Followup::None);
    EXPECT_EQ(state.cb_ChangeFireFun, 0);

    editor.setCurrentProfile(2);
    state.cb_ChangeFireFun = 5;
    out = editor.toggleModeSwitch(2);
    EXPECT_EQ(out.followup, Followup::ApplyChangeFireFun);
    EXPECT_EQ(state.cb_ChangeFireFun, 1);
    EXPECT_TRUE(editor.toggleOn(2));
    EXPECT_FALSE(editor.toggleOn(6));
    EXPECT_TRUE(out.requests.empty());

    editor.toggleModeSwitch(2);
    EXPECT_EQ(state.cb_ChangeFireFun, 0);
    EXPECT_FALSE(editor.toggleOn(2));

    out = editor.toggleModeSwitch(1);
    EXPECT_EQ(out.followup, Followup::ApplyChangeLedModeFun);
    EXPECT_EQ(state.cb_ChangeLEDModeFun, 1);
    EXPECT_TRUE(editor.toggleOn(1));
}

TEST_F(AssignmentEditorTest, GunToggleRewritesTheGunButtonsOfProfileTwo) {
    auto image = factoryImage();
    put(image, 2, 4, {0x0B, 0x12, 0x01, 0x00});
    put(image, 2, 8, {0x0B, 0x17, 0x03, 0x02});
    load(image, 1);
    EXPECT_TRUE(editor.toggleModeSwitch(8).requests.empty()) << "only on the Game Mode page";

    editor.setCurrentProfile(2);
    state.cb_ChangeFireFun = 3;
    state.fireKeys[0].continueBox = false; // button 3's code 06 92 00 3C would tick it
    auto out = editor.toggleModeSwitch(8);
    EXPECT_TRUE(state.cb_IsGunFireMode);
    EXPECT_FALSE(state.fireKeys[0].continueBox);
    EXPECT_FALSE(state.fireChangeInProgress);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{
                                store(2, 4, {0x0B, 0x12, 0x01, 0x08}), store(2, 8, {0x0B, 0x17, 0x03, 0x08}),
                                EditRequest::vendorSectionRewrite(), EditRequest::profileRewrite()}));
    state.cb_ChangeFireFun = 6;
    guard = true;
    out = editor.toggleModeSwitch(8);
    EXPECT_FALSE(state.cb_IsGunFireMode);
    EXPECT_EQ(out.requests, (std::vector<EditRequest>{store(2, 4, {0x0B, 0x12, 0x01, 0x00}),
                                                      store(2, 8, {0x0B, 0x17, 0x03, 0x00})}));
}

} // namespace
} // namespace krm
