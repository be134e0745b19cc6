#pragma once

#include <cstdint>
#include <string>

namespace krm {

// The keys of the keyboard tables. The names follow the Windows virtual-key names; values 0..144.
// clang-format off
enum TKeyboardHookKey : int {
    kh_None, kh_Demo, kh_255,
    kh_Back, kh_Tab, kh_Clear, kh_Return, kh_Shift, kh_Control, kh_Alt, kh_Pause, kh_Capital, kh_Escape,
    kh_Space, kh_Prior, kh_Next, kh_End, kh_Home, kh_Left, kh_Up, kh_Right, kh_Down, kh_Select, kh_Snapshot,
    kh_Insert, kh_Delete, kh_Help, kh_LWIN, kh_RWIN, kh_APPS,
    kh_Numpad0, kh_Numpad1, kh_Numpad2, kh_Numpad3, kh_Numpad4, kh_Numpad5, kh_Numpad6, kh_Numpad7,
    kh_Numpad8, kh_Numpad9,
    kh_Multiply, kh_Add, kh_Separator, kh_Subtract, kh_Decimal, kh_Divide,
    kh_F1, kh_F2, kh_F3, kh_F4, kh_F5, kh_F6, kh_F7, kh_F8, kh_F9, kh_F10, kh_F11, kh_F12,
    kh_F13, kh_F14, kh_F15, kh_F16, kh_F17, kh_F18, kh_F19, kh_F20, kh_F21, kh_F22, kh_F23, kh_F24,
    kh_Numlock, kh_Scroll, kh_LShift, kh_RShift, kh_LControl, kh_RControl, kh_LAlt, kh_RAlt,
    kh_A, kh_B, kh_C, kh_D, kh_E, kh_F, kh_G, kh_H, kh_I, kh_J, kh_K, kh_L, kh_M,
    kh_N, kh_O, kh_P, kh_Q, kh_R, kh_S, kh_T, kh_U, kh_V, kh_W, kh_X, kh_Y, kh_Z,
    kh_0, kh_1, kh_2, kh_3, kh_4, kh_5, kh_6, kh_7, kh_8, kh_9,
    kh_OEM_1, kh_OEM_2, kh_OEM_3, kh_OEM_4, kh_OEM_5, kh_OEM_6, kh_OEM_7, kh_OEM_8,
    kh_OEM_Plus, kh_OEM_Comma, kh_OEM_Minus, kh_OEM_Period,
    kh_Browser_Back, kh_Browser_Forward, kh_Browser_Refresh, kh_Browser_Stop, kh_Browser_Search,
    kh_Browser_Favorites, kh_Browser_Home,
    kh_Volume_Mute, kh_Volume_Down, kh_Volume_Up,
    kh_Media_Next_Track, kh_Media_Prev_Track, kh_Media_Stop, kh_Media_Play_Pause,
    kh_Launch_Mail, kh_Launch_Media_Select, kh_Launch_App1, kh_Launch_App2,
    kh_Return_KP,
};
inline constexpr int kHookKeyCount = kh_Return_KP + 1;
static_assert(kHookKeyCount == 145);
// clang-format on

// Windows virtual-key code (0..255) to hook key; keys without a hook key give kh_None.
TKeyboardHookKey VirtualKeyToHookKey(unsigned virtualKey);
// Hook key to the byte stored in keyboard codes and macros (HID usage, or 0xC0..0xD1 for media and
// browser keys); 0 for keys without one.
std::uint8_t HookKeyToUsage(TKeyboardHookKey key);
// Display name of a stored byte; empty for bytes without one.
std::string KeyUsageName(std::uint8_t usage);
// Display name of a hook key.
std::string HookKeyName(TKeyboardHookKey key);

// Windows virtual-key codes the tables and the dialogs refer to.
// clang-format off
namespace vk {
inline constexpr unsigned kBack = 0x08, kTab = 0x09, kClear = 0x0C, kReturn = 0x0D;
inline constexpr unsigned kShift = 0x10, kControl = 0x11, kMenu = 0x12, kPause = 0x13, kCapital = 0x14;
inline constexpr unsigned kEscape = 0x1B, kSpace = 0x20, kPrior = 0x21, kNext = 0x22, kEnd = 0x23;
inline constexpr unsigned kHome = 0x24, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
inline constexpr unsigned kSelect = 0x29, kSnapshot = 0x2C, kInsert = 0x2D, kDelete = 0x2E, kHelp = 0x2F;
inline constexpr unsigned k0 = 0x30, kA = 0x41; // '0'..'9', 'A'..'Z'
inline constexpr unsigned kLWin = 0x5B, kRWin = 0x5C, kApps = 0x5D;
inline constexpr unsigned kNumpad0 = 0x60, kMultiply = 0x6A, kAdd = 0x6B, kSeparator = 0x6C;
inline constexpr unsigned kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F, kF1 = 0x70; // F1..F24: 0x70..0x87
inline constexpr unsigned kNumlock = 0x90, kScroll = 0x91;
inline constexpr unsigned kLShift = 0xA0, kRShift = 0xA1, kLControl = 0xA2, kRControl = 0xA3;
inline constexpr unsigned kLMenu = 0xA4, kRMenu = 0xA5;
inline constexpr unsigned kBrowserBack = 0xA6, kBrowserForward = 0xA7, kBrowserRefresh = 0xA8;
inline constexpr unsigned kBrowserStop = 0xA9, kBrowserSearch = 0xAA, kBrowserFavorites = 0xAB;
inline constexpr unsigned kBrowserHome = 0xAC, kVolumeMute = 0xAD, kVolumeDown = 0xAE, kVolumeUp = 0xAF;
inline constexpr unsigned kMediaNextTrack = 0xB0, kMediaPrevTrack = 0xB1, kMediaStop = 0xB2;
inline constexpr unsigned kMediaPlayPause = 0xB3, kLaunchMail = 0xB4, kLaunchMediaSelect = 0xB5;
inline constexpr unsigned kLaunchApp1 = 0xB6, kLaunchApp2 = 0xB7;
inline constexpr unsigned kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD;
inline constexpr unsigned kOemPeriod = 0xBE, kOem2 = 0xBF, kOem3 = 0xC0;
inline constexpr unsigned kOem4 = 0xDB, kOem5 = 0xDC, kOem6 = 0xDD, kOem7 = 0xDE, kOem8 = 0xDF;
inline constexpr unsigned k255 = 0xFF;
} // namespace vk
// clang-format on

} // namespace krm
