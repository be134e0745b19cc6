#pragma once

#include <cstdint>
#include <string>

namespace krm {

// The keys of the keyboard tables. The names follow the Windows virtual-key names; values 0..144.
// clang-format off
enum HookKey : int {
    kKeyNone, kKeyDemo, kKey255,
    kKeyBack, kKeyTab, kKeyClear, kKeyReturn, kKeyShift, kKeyControl, kKeyAlt, kKeyPause, kKeyCapital, kKeyEscape,
    kKeySpace, kKeyPrior, kKeyNext, kKeyEnd, kKeyHome, kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeySelect, kKeySnapshot,
    kKeyInsert, kKeyDelete, kKeyHelp, kKeyLwin, kKeyRwin, kKeyApps,
    kKeyNumpad0, kKeyNumpad1, kKeyNumpad2, kKeyNumpad3, kKeyNumpad4, kKeyNumpad5, kKeyNumpad6, kKeyNumpad7,
    kKeyNumpad8, kKeyNumpad9,
    kKeyMultiply, kKeyAdd, kKeySeparator, kKeySubtract, kKeyDecimal, kKeyDivide,
    kKeyF1, kKeyF2, kKeyF3, kKeyF4, kKeyF5, kKeyF6, kKeyF7, kKeyF8, kKeyF9, kKeyF10, kKeyF11, kKeyF12,
    kKeyF13, kKeyF14, kKeyF15, kKeyF16, kKeyF17, kKeyF18, kKeyF19, kKeyF20, kKeyF21, kKeyF22, kKeyF23, kKeyF24,
    kKeyNumlock, kKeyScroll, kKeyLShift, kKeyRShift, kKeyLControl, kKeyRControl, kKeyLAlt, kKeyRAlt,
    kKeyA, kKeyB, kKeyC, kKeyD, kKeyE, kKeyF, kKeyG, kKeyH, kKeyI, kKeyJ, kKeyK, kKeyL, kKeyM,
    kKeyN, kKeyO, kKeyP, kKeyQ, kKeyR, kKeyS, kKeyT, kKeyU, kKeyV, kKeyW, kKeyX, kKeyY, kKeyZ,
    kKey0, kKey1, kKey2, kKey3, kKey4, kKey5, kKey6, kKey7, kKey8, kKey9,
    kKeyOem1, kKeyOem2, kKeyOem3, kKeyOem4, kKeyOem5, kKeyOem6, kKeyOem7, kKeyOem8,
    kKeyOemPlus, kKeyOemComma, kKeyOemMinus, kKeyOemPeriod,
    kKeyBrowserBack, kKeyBrowserForward, kKeyBrowserRefresh, kKeyBrowserStop, kKeyBrowserSearch,
    kKeyBrowserFavorites, kKeyBrowserHome,
    kKeyVolumeMute, kKeyVolumeDown, kKeyVolumeUp,
    kKeyMediaNextTrack, kKeyMediaPrevTrack, kKeyMediaStop, kKeyMediaPlayPause,
    kKeyLaunchMail, kKeyLaunchMediaSelect, kKeyLaunchApp1, kKeyLaunchApp2,
    kKeyReturnKp,
};
inline constexpr int kHookKeyCount = kKeyReturnKp + 1;
static_assert(kHookKeyCount == 145);
// clang-format on

// Windows virtual-key code (0..255) to hook key; keys without a hook key give kKeyNone.
HookKey virtualKeyToHookKey(unsigned virtualKey);
// Hook key to the byte stored in keyboard codes and macros (HID usage, or 0xC0..0xD1 for media and
// browser keys); 0 for keys without one.
std::uint8_t hookKeyToUsage(HookKey key);
// Display name of a stored byte; empty for bytes without one.
std::string keyUsageName(std::uint8_t usage);
// Display name of a hook key.
std::string hookKeyName(HookKey key);

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
