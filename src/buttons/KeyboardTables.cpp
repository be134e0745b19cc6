#include "buttons/KeyboardTables.h"

#include <array>
#include <string_view>

namespace krm {

namespace {

HookKey plus(HookKey first, unsigned n) {
    return static_cast<HookKey>(first + static_cast<int>(n));
}

// clang-format off
constexpr std::array<std::string_view, kHookKeyCount> kHookKeyNames = {
    "None", "Demo", "255",
    "Backspace", "Tab", "Clear", "Enter", "Shift", "Ctrl", "Alt", "Pause", "Caps Lock", "Esc",
    "Space bar", "Page Up", "Page Down", "End", "Home", "Left Arrow", "Up Arrow", "Right Arrow", "Down Arrow",
    "Select", "Print Screen", "Insert", "Delete", "Help", "Left Windows", "Right Windows", "Applications",
    "0 (numeric pad)", "1 (numeric pad)", "2 (numeric pad)", "3 (numeric pad)", "4 (numeric pad)",
    "5 (numeric pad)", "6 (numeric pad)", "7 (numeric pad)", "8 (numeric pad)", "9 (numeric pad)",
    "Multiply (numeric pad)", "Add (numeric pad)", "Separator (numeric pad)", "Subtract (numeric pad)",
    "Decimal (numeric pad)", "Divide (numeric pad)",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24",
    "Num Lock", "Scroll Lock", "Left Shift", "Right Shift", "Left Ctrl", "Right Ctrl", "Left Alt", "Right Alt",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "OEM_1", "OEM_2", "OEM_3", "OEM_4", "OEM_5", "OEM_6", "OEM_7", "OEM_8",
    "OEM_Plus", "OEM_Comma", "OEM_Minus", "OEM_Period",
    "Browser_Back", "Browser_Forward", "Browser_Refresh", "Browser_Stop", "Browser_Search",
    "Browser_Favorites", "Browser_Home",
    "Volume_Mute", "Volume_Down", "Volume_Up",
    "Media_Next_Track", "Media_Prev_Track", "Media_Stop", "Media_Play_Pause",
    "Launch_Mail", "Launch_Media_Select", "Launch_App1", "Launch_App2",
    "",
};
// clang-format on

std::array<std::uint8_t, kHookKeyCount> buildUsages() {
    std::array<std::uint8_t, kHookKeyCount> u{};
    auto run = [&](HookKey first, int count, int usage) {
        for (int i = 0; i < count; ++i)
            u[static_cast<std::size_t>(first + i)] = static_cast<std::uint8_t>(usage + i);
    };
    auto set = [&](HookKey k, int usage) {
        u[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(usage);
    };
    // clang-format off
    run(kKeyA, 26, 0x04);
    run(kKey1, 9, 0x1E);
    set(kKey0, 0x27);
    set(kKeyReturn, 0x28), set(kKeyEscape, 0x29), set(kKeyBack, 0x2A), set(kKeyTab, 0x2B), set(kKeySpace, 0x2C);
    set(kKeyOemMinus, 0x2D), set(kKeyOemPlus, 0x2E), set(kKeyOem4, 0x2F), set(kKeyOem6, 0x30);
    set(kKeyOem5, 0x31);
    set(kKeyOem1, 0x33), set(kKeyOem7, 0x34), set(kKeyOem3, 0x35), set(kKeyOemComma, 0x36);
    set(kKeyOemPeriod, 0x37), set(kKeyOem2, 0x38);
    set(kKeyCapital, 0x39);
    run(kKeyF1, 12, 0x3A);
    set(kKeySnapshot, 0x46), set(kKeyScroll, 0x47), set(kKeyPause, 0x48), set(kKeyInsert, 0x49), set(kKeyHome, 0x4A);
    set(kKeyPrior, 0x4B), set(kKeyDelete, 0x4C), set(kKeyEnd, 0x4D), set(kKeyNext, 0x4E);
    set(kKeyRight, 0x4F), set(kKeyLeft, 0x50), set(kKeyDown, 0x51), set(kKeyUp, 0x52);
    set(kKeyNumlock, 0x53), set(kKeyDivide, 0x54), set(kKeyMultiply, 0x55), set(kKeySubtract, 0x56);
    set(kKeyAdd, 0x57), set(kKeySeparator, 0x58);
    run(kKeyNumpad1, 9, 0x59);
    set(kKeyNumpad0, 0x62), set(kKeyDecimal, 0x63);
    set(kKeyApps, 0x65);
    run(kKeyF13, 12, 0x68);
    set(kKeyHelp, 0x75), set(kKeySelect, 0x77), set(kKeyClear, 0x9C);
    set(kKeyMediaNextTrack, 0xC0), set(kKeyMediaPrevTrack, 0xC1), set(kKeyMediaStop, 0xC2);
    set(kKeyMediaPlayPause, 0xC3);
    set(kKeyVolumeMute, 0xC4), set(kKeyVolumeUp, 0xC5), set(kKeyVolumeDown, 0xC6), set(kKeyLaunchMail, 0xC7);
    set(kKeyBrowserSearch, 0xC8), set(kKeyBrowserHome, 0xC9), set(kKeyBrowserBack, 0xCA);
    set(kKeyBrowserForward, 0xCB), set(kKeyBrowserStop, 0xCC), set(kKeyBrowserRefresh, 0xCD);
    set(kKeyBrowserFavorites, 0xCE);
    set(kKeyLaunchMediaSelect, 0xD1);
    set(kKeyControl, 0xE0), set(kKeyLControl, 0xE0), set(kKeyShift, 0xE1), set(kKeyLShift, 0xE1);
    set(kKeyAlt, 0xE2), set(kKeyLAlt, 0xE2), set(kKeyLwin, 0xE3);
    set(kKeyRControl, 0xE4), set(kKeyRShift, 0xE5), set(kKeyRAlt, 0xE6), set(kKeyRwin, 0xE7);
    // clang-format on
    return u;
}

const std::array<std::uint8_t, kHookKeyCount> kUsages = buildUsages();

} // namespace

// clang-format off
HookKey virtualKeyToHookKey(unsigned v) {
    if (v >= vk::k0 && v <= vk::k0 + 9) return plus(kKey0, v - vk::k0);
    if (v >= vk::kA && v <= vk::kA + 25) return plus(kKeyA, v - vk::kA);
    if (v >= vk::kNumpad0 && v <= vk::kNumpad0 + 9) return plus(kKeyNumpad0, v - vk::kNumpad0);
    if (v >= vk::kF1 && v <= vk::kF1 + 23) return plus(kKeyF1, v - vk::kF1);
    if (v >= vk::kBrowserBack && v <= vk::kLaunchApp2) return plus(kKeyBrowserBack, v - vk::kBrowserBack);
    switch (v) {
    case vk::kBack: return kKeyBack;
    case vk::kTab: return kKeyTab;
    case vk::kClear: return kKeyClear;
    case vk::kReturn: return kKeyReturn;
    case vk::kShift: return kKeyShift;
    case vk::kControl: return kKeyControl;
    case vk::kMenu: return kKeyAlt;
    case vk::kPause: return kKeyPause;
    case vk::kCapital: return kKeyCapital;
    case vk::kEscape: return kKeyEscape;
    case vk::kSpace: return kKeySpace;
    case vk::kPrior: return kKeyPrior;
    case vk::kNext: return kKeyNext;
    case vk::kEnd: return kKeyEnd;
    case vk::kHome: return kKeyHome;
    case vk::kLeft: return kKeyLeft;
    case vk::kUp: return kKeyUp;
    case vk::kRight: return kKeyRight;
    case vk::kDown: return kKeyDown;
    case vk::kSelect: return kKeySelect;
    case vk::kSnapshot: return kKeySnapshot;
    case vk::kInsert: return kKeyInsert;
    case vk::kDelete: return kKeyDelete;
    case vk::kHelp: return kKeyHelp;
    case vk::kLWin: return kKeyLwin;
    case vk::kRWin: return kKeyRwin;
    case vk::kApps: return kKeyApps;
    case vk::kMultiply: return kKeyMultiply;
    case vk::kAdd: return kKeyAdd;
    case vk::kSeparator: return kKeySeparator;
    case vk::kSubtract: return kKeySubtract;
    case vk::kDecimal: return kKeyDecimal;
    case vk::kDivide: return kKeyDivide;
    case vk::kNumlock: return kKeyNumlock;
    case vk::kScroll: return kKeyScroll;
    case vk::kLShift: return kKeyLShift;
    case vk::kRShift: return kKeyRShift;
    case vk::kLControl: return kKeyLControl;
    case vk::kRControl: return kKeyRControl;
    case vk::kLMenu: return kKeyLAlt;
    case vk::kRMenu: return kKeyRAlt;
    case vk::kOem1: return kKeyOem1;
    case vk::kOemPlus: return kKeyOemPlus;
    case vk::kOemComma: return kKeyOemComma;
    case vk::kOemMinus: return kKeyOemMinus;
    case vk::kOemPeriod: return kKeyOemPeriod;
    case vk::kOem2: return kKeyOem2;
    case vk::kOem3: return kKeyOem3;
    case vk::kOem4: return kKeyOem4;
    case vk::kOem5: return kKeyOem5;
    case vk::kOem6: return kKeyOem6;
    case vk::kOem7: return kKeyOem7;
    case vk::kOem8: return kKeyOem8;
    case vk::k255: return kKey255;
    default: return kKeyNone;
    }
}
// clang-format on

std::uint8_t hookKeyToUsage(HookKey key) {
    return key >= 0 && key < kHookKeyCount ? kUsages[static_cast<std::size_t>(key)] : 0;
}

std::string hookKeyName(HookKey key) {
    return key >= 0 && key < kHookKeyCount ? std::string(kHookKeyNames[static_cast<std::size_t>(key)])
                                           : std::string();
}

std::string keyUsageName(std::uint8_t u) {
    static constexpr std::array<std::string_view, 10> k28{
        "Enter", "Esc", "Backspace", "Tab", "Space bar", "OEM_Minus", "OEM_Plus", "OEM_4", "OEM_6", "OEM_5"};
    static constexpr std::array<std::string_view, 7> k33{"OEM_1",      "OEM_7", "OEM_3",    "OEM_Comma",
                                                         "OEM_Period", "OEM_2", "Caps Lock"};
    static constexpr std::array<std::string_view, 14> k46{
        "Print Screen", "Scroll Lock", "Pause",       "Insert",     "Home",       "Page Up",  "Delete",
        "End",          "Page Down",   "Right Arrow", "Left Arrow", "Down Arrow", "Up Arrow", "Num Lock"};
    static constexpr std::array<std::string_view, 5> k54{"Divide (numeric pad)", "Multiply (numeric pad)",
                                                         "Subtract (numeric pad)", "Add (numeric pad)",
                                                         "Separator (numeric pad)"};
    static constexpr std::array<std::string_view, 8> kE0{"Left Ctrl",  "Left Shift",  "Left Alt",  "Win",
                                                         "Right Ctrl", "Right Shift", "Right Alt", "Win"};
    if (u >= 0x04 && u <= 0x1D) return std::string(1, static_cast<char>('A' + (u - 0x04)));
    if (u >= 0x1E && u <= 0x26) return std::string(1, static_cast<char>('1' + (u - 0x1E)));
    if (u == 0x27) return "0";
    if (u >= 0x28 && u <= 0x31) return std::string(k28[u - 0x28u]);
    if (u >= 0x33 && u <= 0x39) return std::string(k33[u - 0x33u]);
    if (u >= 0x3A && u <= 0x45) return "F" + std::to_string(u - 0x3A + 1);
    if (u >= 0x46 && u <= 0x53) return std::string(k46[u - 0x46u]);
    if (u >= 0x54 && u <= 0x58) return std::string(k54[u - 0x54u]);
    if (u >= 0x59 && u <= 0x61) return std::to_string(u - 0x59 + 1) + " (numeric pad)";
    if (u == 0x62) return "0 (numeric pad)";
    if (u == 0x63) return "Decimal (numeric pad)";
    if (u == 0x65) return "Applications";
    if (u >= 0x68 && u <= 0x73) return "F" + std::to_string(u - 0x68 + 13);
    if (u == 0x75) return "Help";
    if (u == 0x77) return "Select";
    if (u == 0x9C) return "Clear";
    if (u >= 0xC0 && u <= 0xD1) {
        for (int k = 0; k < kHookKeyCount; ++k)
            if (kUsages[static_cast<std::size_t>(k)] == u) return hookKeyName(static_cast<HookKey>(k));
        return {};
    }
    if (u >= 0xE0 && u <= 0xE7) return std::string(kE0[u - 0xE0u]);
    return {};
}

} // namespace krm
