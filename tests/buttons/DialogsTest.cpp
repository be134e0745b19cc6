#include "buttons/KeyboardTables.h"
#include "buttons/KeyComboDialog.h"
#include "buttons/ValueDialogs.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

using D = KeyComboDialog;

TEST(KeyComboDialog, BuildsTheCodeFromModifiersAndTwoKeys) {
    D d;
    d.setModifier(D::kCtrl, true);
    d.setModifier(D::kShift, true);
    EXPECT_TRUE(d.keyDown('A', false, false, false));
    EXPECT_TRUE(d.keyDown('C', false, false, false));
    EXPECT_EQ(d.text(), "Ctrl+Shift+A+C");
    EXPECT_EQ(d.confirm().code, "02030406");
    EXPECT_EQ(d.result()->caption, "Ctrl+Shift+A+C");

    d.clear();
    EXPECT_EQ(d.text(), "");
    EXPECT_FALSE(d.modifierTicked(D::kCtrl));
    EXPECT_FALSE(d.result());
    EXPECT_EQ(d.confirm().code, "02000000");
}

TEST(KeyComboDialog, AThirdKeyStartsOver) {
    D d;
    d.setModifier(D::kCtrl, true);
    d.keyDown('A', false, false, false);
    d.keyDown('B', false, false, false);
    d.keyDown('D', false, false, false);
    EXPECT_EQ(d.text(), "Ctrl+D");
    EXPECT_EQ(d.key(1), 0x07);
    EXPECT_EQ(d.key(2), 0x00);
    EXPECT_EQ(d.code(), "02010700");
}

TEST(KeyComboDialog, RefusesWinKeysAndKeysPressedWithModifiers) {
    D d;
    EXPECT_FALSE(d.keyDown('A', false, true, false)) << "Ctrl+A";
    EXPECT_FALSE(d.keyDown('A', true, false, false));
    EXPECT_FALSE(d.keyDown('A', false, false, true));
    EXPECT_FALSE(d.keyDown(vk::kControl, false, false, false)) << "the Ctrl key itself";
    EXPECT_FALSE(d.keyDown(vk::kLWin, false, false, false));
    EXPECT_FALSE(d.keyDown(vk::kRWin, false, false, false));
    EXPECT_FALSE(d.keyDown(0x07, false, false, false)) << "no key of the tables";
    EXPECT_EQ(d.text(), "");
    EXPECT_EQ(d.keyCount(), 0);
    EXPECT_TRUE(d.keyDown(vk::kF1, false, false, false));
    EXPECT_EQ(d.code(), "02003A00");
}

TEST(KeyComboDialog, ModifierBoxesEditTheText) {
    struct Case {
        std::vector<std::pair<D::Modifier, bool>> clicks;
        bool withKey;
        const char* text;
    };
    const Case cases[] = {
        {{{D::kCtrl, true}, {D::kCtrl, false}}, false, ""},
        {{{D::kCtrl, true}, {D::kCtrl, false}}, true, "A"},
        {{{D::kCtrl, true}, {D::kAlt, true}, {D::kCtrl, false}}, true, "Alt+A"},
        {{{D::kCtrl, true}, {D::kAlt, true}, {D::kAlt, false}}, true, "Ctrl+A"},
        {{{D::kWin, true}, {D::kShift, true}}, true, "Shift+Win+A"},
        {{{D::kShift, true}, {D::kWin, true}, {D::kWin, false}}, false, "Shift"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        D d;
        if (c.withKey) d.keyDown('A', false, false, false);
        for (const auto& [m, ticked] : c.clicks) d.setModifier(m, ticked);
        EXPECT_EQ(d.text(), c.text);
    }
}

TEST(ValueDialogs, MacroNameAndKey) {
    EXPECT_TRUE(macro_name_dialog::accepts("Macro123"));
    EXPECT_FALSE(macro_name_dialog::accepts("Macro1234"));
    EXPECT_TRUE(macro_name_dialog::accepts("宏宏宏宏宏宏宏宏"));
    EXPECT_FALSE(macro_name_dialog::accepts("宏宏宏宏宏宏宏宏宏"));

    KeyDialog press(true), release(false);
    EXPECT_TRUE(press.keyDown('A'));
    EXPECT_EQ(press.text(), "A");
    EXPECT_EQ(press.keyText(), "A CODE:8204");
    EXPECT_TRUE(release.keyDown(vk::kRShift));
    EXPECT_EQ(release.keyText(), "Right Shift CODE:02E5");
    EXPECT_FALSE(release.keyDown(0x07));
    EXPECT_EQ(release.text(), "Right Shift");
}

TEST(ValueDialogs, DelayAndXYStayInRange) {
    struct Case {
        const char* typed;
        const char* shown;
    };
    for (const auto& c : {Case{"70000", "65535"}, Case{"", "1"}, Case{"0", "1"}, Case{"65535", "65535"},
                          Case{"12", "12"}, Case{"99999999999999999999999", "65535"}}) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(delay_dialog::normalize(c.typed), c.shown);
    }
    EXPECT_FALSE(delay_dialog::accepts("12a"));
    EXPECT_FALSE(delay_dialog::accepts("-1"));

    for (const auto& c :
         {Case{"200", "127"}, Case{"-", "-"}, Case{"", "0"}, Case{"-5", "-5"}, Case{"-128", "-128"},
          Case{"-129", "-128"}, Case{"128", "127"}, Case{"-99999999999999999999", "-128"}}) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(xy_dialog::normalize(c.typed), c.shown);
    }
    EXPECT_TRUE(xy_dialog::accepts("-"));
    EXPECT_TRUE(xy_dialog::accepts("-12"));
    EXPECT_FALSE(xy_dialog::accepts("12-")) << "a '-' after digits is refused at the key stroke";
    EXPECT_FALSE(xy_dialog::accepts("--1"));
    EXPECT_FALSE(xy_dialog::accepts("1a"));
}

} // namespace
} // namespace krm
