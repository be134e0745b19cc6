#include "buttons/KeyboardTables.h"

#include <array>
#include <string_view>

namespace krm {

namespace {

TKeyboardHookKey plus(TKeyboardHookKey first, unsigned n) {
    return static_cast<TKeyboardHookKey>(first + static_cast<int>(n));
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
    auto run = [&](TKeyboardHookKey first, int count, int usage) {
        for (int i = 0; i < count; ++i)
            u[static_cast<std::size_t>(first + i)] = static_cast<std::uint8_t>(usage + i);
    };
    auto set = [&](TKeyboardHookKey k, int usage) {
        u[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(usage);
    };
    // clang-format off
    run(kh_A, 26, 0x04);
    run(kh_1, 9, 0x1E);
    set(kh_0, 0x27);
    set(kh_Return, 0x28), set(kh_Escape, 0x29), set(kh_Back, 0x2A), set(kh_Tab, 0x2B), set(kh_Space, 0x2C);
    set(kh_OEM_Minus, 0x2D), set(kh_OEM_Plus, 0x2E), set(kh_OEM_4, 0x2F), set(kh_OEM_6, 0x30);
    set(kh_OEM_5, 0x31);
    set(kh_OEM_1, 0x33), set(kh_OEM_7, 0x34), set(kh_OEM_3, 0x35), set(kh_OEM_Comma, 0x36);
    set(kh_OEM_Period, 0x37), set(kh_OEM_2, 0x38);
    set(kh_Capital, 0x39);
    run(kh_F1, 12, 0x3A);
    set(kh_Snapshot, 0x46), set(kh_Scroll, 0x47), set(kh_Pause, 0x48), set(kh_Insert, 0x49), set(kh_Home, 0x4A);
    set(kh_Prior, 0x4B), set(kh_Delete, 0x4C), set(kh_End, 0x4D), set(kh_Next, 0x4E);
    set(kh_Right, 0x4F), set(kh_Left, 0x50), set(kh_Down, 0x51), set(kh_Up, 0x52);
    set(kh_Numlock, 0x53), set(kh_Divide, 0x54), set(kh_Multiply, 0x55), set(kh_Subtract, 0x56);
    set(kh_Add, 0x57), set(kh_Separator, 0x58);
    run(kh_Numpad1, 9, 0x59);
    set(kh_Numpad0, 0x62), set(kh_Decimal, 0x63);
    set(kh_APPS, 0x65);
    run(kh_F13, 12, 0x68);
    set(kh_Help, 0x75), set(kh_Select, 0x77), set(kh_Clear, 0x9C);
    set(kh_Media_Next_Track, 0xC0), set(kh_Media_Prev_Track, 0xC1), set(kh_Media_Stop, 0xC2);
    set(kh_Media_Play_Pause, 0xC3);
    set(kh_Volume_Mute, 0xC4), set(kh_Volume_Up, 0xC5), set(kh_Volume_Down, 0xC6), set(kh_Launch_Mail, 0xC7);
    set(kh_Browser_Search, 0xC8), set(kh_Browser_Home, 0xC9), set(kh_Browser_Back, 0xCA);
    set(kh_Browser_Forward, 0xCB), set(kh_Browser_Stop, 0xCC), set(kh_Browser_Refresh, 0xCD);
    set(kh_Browser_Favorites, 0xCE);
    set(kh_Launch_Media_Select, 0xD1);
    set(kh_Control, 0xE0), set(kh_LControl, 0xE0), set(kh_Shift, 0xE1), set(kh_LShift, 0xE1);
    set(kh_Alt, 0xE2), set(kh_LAlt, 0xE2), set(kh_LWIN, 0xE3);
    set(kh_RControl, 0xE4), set(kh_RShift, 0xE5), set(kh_RAlt, 0xE6), set(kh_RWIN, 0xE7);
    // clang-format on
    return u;
}

const std::array<std::uint8_t, kHookKeyCount> kUsages = buildUsages();

} // namespace

// clang-format off
TKeyboardHookKey VirtualKeyToHookKey(unsigned v) {
    if (v >= vk::k0 && v <= vk::k0 + 9) return plus(kh_0, v - vk::k0);
    if (v >= vk::kA && v <= vk::kA + 25) return plus(kh_A, v - vk::kA);
    if (v >= vk::kNumpad0 && v <= vk::kNumpad0 + 9) return plus(kh_Numpad0, v - vk::kNumpad0);
    if (v >= vk::kF1 && v <= vk::kF1 + 23) return plus(kh_F1, v - vk::kF1);
    if (v >= vk::kBrowserBack && v <= vk::kLaunchApp2) return plus(kh_Browser_Back, v - vk::kBrowserBack);
    switch (v) {
    case vk::kBack: return kh_Back;
    case vk::kTab: return kh_Tab;
    case vk::kClear: return kh_Clear;
    case vk::kReturn: return kh_Return;
    case vk::kShift: return kh_Shift;
    case vk::kControl: return kh_Control;
    case vk::kMenu: return kh_Alt;
    case vk::kPause: return kh_Pause;
    case vk::kCapital: return kh_Capital;
    case vk::kEscape: return kh_Escape;
    case vk::kSpace: return kh_Space;
    case vk::kPrior: return kh_Prior;
    case vk::kNext: return kh_Next;
    case vk::kEnd: return kh_End;
    case vk::kHome: return kh_Home;
    case vk::kLeft: return kh_Left;
    case vk::kUp: return kh_Up;
    case vk::kRight: return kh_Right;
    case vk::kDown: return kh_Down;
    case vk::kSelect: return kh_Select;
    case vk::kSnapshot: return kh_Snapshot;
    case vk::kInsert: return kh_Insert;
    case vk::kDelete: return kh_Delete;
    case vk::kHelp: return kh_Help;
    case vk::kLWin: return kh_LWIN;
    case vk::kRWin: return kh_RWIN;
    case vk::kApps: return kh_APPS;
    case vk::kMultiply: return kh_Multiply;
    case vk::kAdd: return kh_Add;
    case vk::kSeparator: return kh_Separator;
    case vk::kSubtract: return kh_Subtract;
    case vk::kDecimal: return kh_Decimal;
    case vk::kDivide: return kh_Divide;
    case vk::kNumlock: return kh_Numlock;
    case vk::kScroll: return kh_Scroll;
    case vk::kLShift: return kh_LShift;
    case vk::kRShift: return kh_RShift;
    case vk::kLControl: return kh_LControl;
    case vk::kRControl: return kh_RControl;
    case vk::kLMenu: return kh_LAlt;
    case vk::kRMenu: return kh_RAlt;
    case vk::kOem1: return kh_OEM_1;
    case vk::kOemPlus: return kh_OEM_Plus;
    case vk::kOemComma: return kh_OEM_Comma;
    case vk::kOemMinus: return kh_OEM_Minus;
    case vk::kOemPeriod: return kh_OEM_Period;
    case vk::kOem2: return kh_OEM_2;
    case vk::kOem3: return kh_OEM_3;
    case vk::kOem4: return kh_OEM_4;
    case vk::kOem5: return kh_OEM_5;
    case vk::kOem6: return kh_OEM_6;
    case vk::kOem7: return kh_OEM_7;
    case vk::kOem8: return kh_OEM_8;
    case vk::k255: return kh_255;
    default: return kh_None;
    }
}
// clang-format on

std::uint8_t HookKeyToUsage(TKeyboardHookKey key) {
    return key >= 0 && key < kHookKeyCount ? kUsages[static_cast<std::size_t>(key)] : 0;
}

std::string HookKeyName(TKeyboardHookKey key) {
    return key >= 0 && key < kHookKeyCount ? std::string(kHookKeyNames[static_cast<std::size_t>(key)])
                                           : std::string();
}

std::string KeyUsageName(std::uint8_t u) {
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
            if (kUsages[static_cast<std::size_t>(k)] == u)
                return HookKeyName(static_cast<TKeyboardHookKey>(k));
        return {};
    }
    if (u >= 0xE0 && u <= 0xE7) return std::string(kE0[u - 0xE0u]);
    return {};
}

} // namespace krm
