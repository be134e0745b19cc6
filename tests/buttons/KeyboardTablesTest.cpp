#include "buttons/KeyboardTables.h"
#include "buttons/QtKeyMapping.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

TEST(KeyboardTables, CornerCases) {
    struct Case {
        unsigned virtualKey;
        HookKey hookKey;
        std::uint8_t usage;
        const char* hookName;
        const char* usageName;
    };
    const Case cases[] = {
        {'A', kKeyA, 0x04, "A", "A"},
        {'Z', kKeyZ, 0x1D, "Z", "Z"},
        {'1', kKey1, 0x1E, "1", "1"},
        {'0', kKey0, 0x27, "0", "0"},
        {vk::kShift, kKeyShift, 0xE1, "Shift", "Left Shift"},
        {vk::kLShift, kKeyLShift, 0xE1, "Left Shift", "Left Shift"},
        {vk::kRShift, kKeyRShift, 0xE5, "Right Shift", "Right Shift"},
        {vk::kControl, kKeyControl, 0xE0, "Ctrl", "Left Ctrl"},
        {vk::kMenu, kKeyAlt, 0xE2, "Alt", "Left Alt"},
        {vk::kRMenu, kKeyRAlt, 0xE6, "Right Alt", "Right Alt"},
        {vk::kLWin, kKeyLwin, 0xE3, "Left Windows", "Win"},
        {vk::kRWin, kKeyRwin, 0xE7, "Right Windows", "Win"},
        {vk::kReturn, kKeyReturn, 0x28, "Enter", "Enter"},
        {vk::kSpace, kKeySpace, 0x2C, "Space bar", "Space bar"},
        {vk::kOem5, kKeyOem5, 0x31, "OEM_5", "OEM_5"},
        {vk::kOem1, kKeyOem1, 0x33, "OEM_1", "OEM_1"},
        {vk::kOem8, kKeyOem8, 0x00, "OEM_8", ""},
        {vk::kPrior, kKeyPrior, 0x4B, "Page Up", "Page Up"},
        {vk::kNumpad0, kKeyNumpad0, 0x62, "0 (numeric pad)", "0 (numeric pad)"},
        {vk::kNumpad0 + 1, kKeyNumpad1, 0x59, "1 (numeric pad)", "1 (numeric pad)"},
        {vk::kSeparator, kKeySeparator, 0x58, "Separator (numeric pad)", "Separator (numeric pad)"},
        {vk::kDecimal, kKeyDecimal, 0x63, "Decimal (numeric pad)", "Decimal (numeric pad)"},
        {vk::kF1 + 11, kKeyF12, 0x45, "F12", "F12"},
        {vk::kF1 + 12, kKeyF13, 0x68, "F13", "F13"},
        {vk::kF1 + 23, kKeyF24, 0x73, "F24", "F24"},
        {vk::kApps, kKeyApps, 0x65, "Applications", "Applications"},
        {vk::kClear, kKeyClear, 0x9C, "Clear", "Clear"},
        {vk::kMediaNextTrack, kKeyMediaNextTrack, 0xC0, "Media_Next_Track", "Media_Next_Track"},
        {vk::kVolumeUp, kKeyVolumeUp, 0xC5, "Volume_Up", "Volume_Up"},
        {vk::kBrowserFavorites, kKeyBrowserFavorites, 0xCE, "Browser_Favorites", "Browser_Favorites"},
        {vk::kLaunchMediaSelect, kKeyLaunchMediaSelect, 0xD1, "Launch_Media_Select", "Launch_Media_Select"},
        {vk::kLaunchApp1, kKeyLaunchApp1, 0x00, "Launch_App1", ""},
        {vk::k255, kKey255, 0x00, "255", ""},
        {0x07, kKeyNone, 0x00, "None", ""},
        {0xE2, kKeyNone, 0x00, "None", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.virtualKey);
        EXPECT_EQ(virtualKeyToHookKey(c.virtualKey), c.hookKey);
        EXPECT_EQ(hookKeyToUsage(c.hookKey), c.usage);
        EXPECT_EQ(hookKeyName(c.hookKey), c.hookName);
        EXPECT_EQ(keyUsageName(c.usage), c.usageName);
    }
    EXPECT_EQ(hookKeyName(kKeyReturnKp), "");
    EXPECT_EQ(hookKeyToUsage(kKeyDemo), 0);
    for (const std::uint8_t unnamed : {0x00, 0x32, 0x64, 0x74, 0xCF, 0xD0, 0xE8})
        EXPECT_EQ(keyUsageName(unnamed), "");
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
    constexpr auto kMsg = ModifierForm::AsKeyMessage;
    constexpr auto kSided = ModifierForm::Sided;
    const Case cases[] = {
        {"letter", 'A', false, 38, 0x61, kMsg, 'A', 0x04},
        {"shifted digit, US", '!', false, 10, 0x21, kMsg, '1', 0x1E},
        {"digit row, AZERTY", '&', false, 10, 0x26, kMsg, '1', 0x1E},
        {"shifted digit, no scan code", '&', false, 0, 0, kMsg, '7', 0x24},
        {"punctuation", ':', false, 47, 0x3A, kMsg, vk::kOem1, 0x33},
        {"national letter by position", kOdiaeresis, false, 47, 0xF6, kMsg, vk::kOem1, 0x33},
        {"keypad digit", '5', true, 84, 0xFFB5, kMsg, vk::kNumpad0 + 5, 0x5D},
        {"keypad plus", '+', true, 86, 0xFFAB, kMsg, vk::kAdd, 0x57},
        {"keypad comma decimal", ',', true, 91, 0xFFAC, kMsg, vk::kDecimal, 0x63},
        {"keypad enter", kEnterKey, true, 104, 0xFF8D, kMsg, vk::kReturn, 0x28},
        {"keypad home, num lock off", kHomeKey, true, 79, 0xFF95, kMsg, vk::kHome, 0x4A},
        {"backtab", kBacktab, false, 23, 0xFE20, kMsg, vk::kTab, 0x2B},
        {"F13", kF13, false, 191, 0xFFCA, kMsg, vk::kF1 + 12, 0x68},
        {"media", kPlayPause, false, 180, 0x1008FF14, kMsg, vk::kMediaPlayPause, 0xC3},
        {"right shift as key message", kShiftKey, false, 62, 0xFFE2, kMsg, vk::kShift, 0xE1},
        {"right shift sided", kShiftKey, false, 62, 0xFFE2, kSided, vk::kRShift, 0xE5},
        {"right ctrl by scan code", kControlKey, false, 105, 0, kSided, vk::kRControl, 0xE4},
        {"left ctrl by Qt key", kControlKey, false, 0, 0, kSided, vk::kLControl, 0xE0},
        {"AltGr", kAltGr, false, 108, 0xFE03, kSided, vk::kRMenu, 0xE6},
        {"left super", kSuperL, false, 133, 0xFFEB, kMsg, vk::kLWin, 0xE3},
        {"meta, right by keysym", kMetaKey, false, 0, 0xFFEC, kMsg, vk::kRWin, 0xE7},
        {"unknown key", kUnknown, false, 0, 0, kMsg, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const unsigned v = virtualKeyFromQtKey(c.qtKey, c.keypad, c.scanCode, c.keysym, c.form);
        EXPECT_EQ(v, c.virtualKey);
        EXPECT_EQ(hookKeyToUsage(virtualKeyToHookKey(v)), c.usage);
    }
}

} // namespace
} // namespace krm
