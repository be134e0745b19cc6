#include "buttons/KeyboardTables.h"
#include "buttons/QtKeyMapping.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

TEST(KeyboardTables, CornerCases) {
    struct Case {
        unsigned virtualKey;
        TKeyboardHookKey hookKey;
        std::uint8_t usage;
        const char* hookName;
        const char* usageName;
    };
    const Case cases[] = {
        {'A', kh_A, 0x04, "A", "A"},
        {'Z', kh_Z, 0x1D, "Z", "Z"},
        {'1', kh_1, 0x1E, "1", "1"},
        {'0', kh_0, 0x27, "0", "0"},
        {vk::kShift, kh_Shift, 0xE1, "Shift", "Left Shift"},
        {vk::kLShift, kh_LShift, 0xE1, "Left Shift", "Left Shift"},
        {vk::kRShift, kh_RShift, 0xE5, "Right Shift", "Right Shift"},
        {vk::kControl, kh_Control, 0xE0, "Ctrl", "Left Ctrl"},
        {vk::kMenu, kh_Alt, 0xE2, "Alt", "Left Alt"},
        {vk::kRMenu, kh_RAlt, 0xE6, "Right Alt", "Right Alt"},
        {vk::kLWin, kh_LWIN, 0xE3, "Left Windows", "Win"},
        {vk::kRWin, kh_RWIN, 0xE7, "Right Windows", "Win"},
        {vk::kReturn, kh_Return, 0x28, "Enter", "Enter"},
        {vk::kSpace, kh_Space, 0x2C, "Space bar", "Space bar"},
        {vk::kOem5, kh_OEM_5, 0x31, "OEM_5", "OEM_5"},
        {vk::kOem1, kh_OEM_1, 0x33, "OEM_1", "OEM_1"},
        {vk::kOem8, kh_OEM_8, 0x00, "OEM_8", ""},
        {vk::kPrior, kh_Prior, 0x4B, "Page Up", "Page Up"},
        {vk::kNumpad0, kh_Numpad0, 0x62, "0 (numeric pad)", "0 (numeric pad)"},
        {vk::kNumpad0 + 1, kh_Numpad1, 0x59, "1 (numeric pad)", "1 (numeric pad)"},
        {vk::kSeparator, kh_Separator, 0x58, "Separator (numeric pad)", "Separator (numeric pad)"},
        {vk::kDecimal, kh_Decimal, 0x63, "Decimal (numeric pad)", "Decimal (numeric pad)"},
        {vk::kF1 + 11, kh_F12, 0x45, "F12", "F12"},
        {vk::kF1 + 12, kh_F13, 0x68, "F13", "F13"},
        {vk::kF1 + 23, kh_F24, 0x73, "F24", "F24"},
        {vk::kApps, kh_APPS, 0x65, "Applications", "Applications"},
        {vk::kClear, kh_Clear, 0x9C, "Clear", "Clear"},
        {vk::kMediaNextTrack, kh_Media_Next_Track, 0xC0, "Media_Next_Track", "Media_Next_Track"},
        {vk::kVolumeUp, kh_Volume_Up, 0xC5, "Volume_Up", "Volume_Up"},
        {vk::kBrowserFavorites, kh_Browser_Favorites, 0xCE, "Browser_Favorites", "Browser_Favorites"},
        {vk::kLaunchMediaSelect, kh_Launch_Media_Select, 0xD1, "Launch_Media_Select", "Launch_Media_Select"},
        {vk::kLaunchApp1, kh_Launch_App1, 0x00, "Launch_App1", ""},
        {vk::k255, kh_255, 0x00, "255", ""},
        {0x07, kh_None, 0x00, "None", ""},
        {0xE2, kh_None, 0x00, "None", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.virtualKey);
        EXPECT_EQ(VirtualKeyToHookKey(c.virtualKey), c.hookKey);
        EXPECT_EQ(HookKeyToUsage(c.hookKey), c.usage);
        EXPECT_EQ(HookKeyName(c.hookKey), c.hookName);
        EXPECT_EQ(KeyUsageName(c.usage), c.usageName);
    }
    EXPECT_EQ(HookKeyName(kh_Return_KP), "");
    EXPECT_EQ(HookKeyToUsage(kh_Demo), 0);
    for (const std::uint8_t unnamed : {0x00, 0x32, 0x64, 0x74, 0xCF, 0xD0, 0xE8})
        EXPECT_EQ(KeyUsageName(unnamed), "");
}

TEST(QtKeyMapping, StoresLinuxKeysAsTheTablesSay) {
    constexpr int kShiftKey = 0x01000020, kControlKey = 0x01000021, kMetaKey = 0x01000022,
                  kAltGr = 0x01001103;
    constexpr int kSuperL = 0x01000053, kEnterKey = 0x01000005, kHomeKey = 0x01000010, kF13 = 0x0100003C;
    constexpr int kPlayPause = 0x01000086, kBacktab = 0x01000002, kUnknown = 0x01FFFFFF, kOdiaeresis = 0xD6;
    struct Case {
        const char* what;
        int qtKey;
        bool keypad;
        std::uint32_t scanCode, keysym;
        ModifierForm form;
        unsigned virtualKey;
        std::uint8_t usage;
    };
    constexpr auto msg = ModifierForm::AsKeyMessage;
    constexpr auto sided = ModifierForm::Sided;
    const Case cases[] = {
        {"letter", 'A', false, 38, 0x61, msg, 'A', 0x04},
        {"shifted digit, US", '!', false, 10, 0x21, msg, '1', 0x1E},
        {"digit row, AZERTY", '&', false, 10, 0x26, msg, '1', 0x1E},
        {"shifted digit, no scan code", '&', false, 0, 0, msg, '7', 0x24},
        {"punctuation", ':', false, 47, 0x3A, msg, vk::kOem1, 0x33},
        {"national letter by position", kOdiaeresis, false, 47, 0xF6, msg, vk::kOem1, 0x33},
        {"keypad digit", '5', true, 84, 0xFFB5, msg, vk::kNumpad0 + 5, 0x5D},
        {"keypad plus", '+', true, 86, 0xFFAB, msg, vk::kAdd, 0x57},
        {"keypad comma decimal", ',', true, 91, 0xFFAC, msg, vk::kDecimal, 0x63},
        {"keypad enter", kEnterKey, true, 104, 0xFF8D, msg, vk::kReturn, 0x28},
        {"keypad home, num lock off", kHomeKey, true, 79, 0xFF95, msg, vk::kHome, 0x4A},
        {"backtab", kBacktab, false, 23, 0xFE20, msg, vk::kTab, 0x2B},
        {"F13", kF13, false, 191, 0xFFCA, msg, vk::kF1 + 12, 0x68},
        {"media", kPlayPause, false, 180, 0x1008FF14, msg, vk::kMediaPlayPause, 0xC3},
        {"right shift as key message", kShiftKey, false, 62, 0xFFE2, msg, vk::kShift, 0xE1},
        {"right shift sided", kShiftKey, false, 62, 0xFFE2, sided, vk::kRShift, 0xE5},
        {"right ctrl by scan code", kControlKey, false, 105, 0, sided, vk::kRControl, 0xE4},
        {"left ctrl by Qt key", kControlKey, false, 0, 0, sided, vk::kLControl, 0xE0},
        {"AltGr", kAltGr, false, 108, 0xFE03, sided, vk::kRMenu, 0xE6},
        {"left super", kSuperL, false, 133, 0xFFEB, msg, vk::kLWin, 0xE3},
        {"meta, right by keysym", kMetaKey, false, 0, 0xFFEC, msg, vk::kRWin, 0xE7},
        {"unknown key", kUnknown, false, 0, 0, msg, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const unsigned v = virtualKeyFromQtKey(c.qtKey, c.keypad, c.scanCode, c.keysym, c.form);
        EXPECT_EQ(v, c.virtualKey);
        EXPECT_EQ(HookKeyToUsage(VirtualKeyToHookKey(v)), c.usage);
    }
}

} // namespace
} // namespace krm
