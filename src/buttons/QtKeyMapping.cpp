#include "buttons/QtKeyMapping.h"

#include "buttons/KeyboardTables.h"

#include <array>
#include <optional>

namespace krm {

namespace {

// Qt::Key values (qnamespace.h) this mapping relies on.
// clang-format off
namespace qt {
constexpr int kSpace = 0x20, kTilde = 0x7E;
constexpr int kEscape = 0x01000000, kTab = 0x01000001, kBacktab = 0x01000002, kBackspace = 0x01000003;
constexpr int kReturn = 0x01000004, kEnter = 0x01000005, kInsert = 0x01000006, kDelete = 0x01000007;
constexpr int kPause = 0x01000008, kPrint = 0x01000009, kSysReq = 0x0100000A, kClear = 0x0100000B;
constexpr int kHome = 0x01000010, kEnd = 0x01000011, kLeft = 0x01000012, kUp = 0x01000013;
constexpr int kRight = 0x01000014, kDown = 0x01000015, kPageUp = 0x01000016, kPageDown = 0x01000017;
constexpr int kShift = 0x01000020, kControl = 0x01000021, kMeta = 0x01000022, kAlt = 0x01000023;
constexpr int kCapsLock = 0x01000024, kNumLock = 0x01000025, kScrollLock = 0x01000026;
constexpr int kF1 = 0x01000030, kF24 = 0x01000047;
constexpr int kSuperL = 0x01000053, kSuperR = 0x01000054, kMenu = 0x01000055, kHelp = 0x01000058;
constexpr int kBack = 0x01000061, kForward = 0x01000062, kStop = 0x01000063, kRefresh = 0x01000064;
constexpr int kVolumeDown = 0x01000070, kVolumeMute = 0x01000071, kVolumeUp = 0x01000072;
constexpr int kMediaPlay = 0x01000080, kMediaStop = 0x01000081, kMediaPrevious = 0x01000082;
constexpr int kMediaNext = 0x01000083, kMediaPause = 0x01000085, kMediaTogglePlayPause = 0x01000086;
constexpr int kHomePage = 0x01000090, kFavorites = 0x01000091, kSearch = 0x01000092;
constexpr int kLaunchMail = 0x010000A0, kLaunchMedia = 0x010000A1, kLaunch0 = 0x010000A2, kLaunch1 = 0x010000A3;
constexpr int kCalculator = 0x010000CB, kAltGr = 0x01001103, kSelect = 0x01010000, kUnknown = 0x01FFFFFF;
} // namespace qt
// clang-format on

enum class Side { Left, Right, Unknown };
enum class Mod { Shift, Ctrl, Alt, Win };

struct ModifierKey {
    Mod mod;
    Side side;
};

// clang-format off
std::optional<ModifierKey> modifierFromKeysym(std::uint32_t keysym) {
    switch (keysym) {
    case 0xFFE1: return ModifierKey{Mod::Shift, Side::Left};
    case 0xFFE2: return ModifierKey{Mod::Shift, Side::Right};
    case 0xFFE3: return ModifierKey{Mod::Ctrl, Side::Left};
    case 0xFFE4: return ModifierKey{Mod::Ctrl, Side::Right};
    case 0xFFE9: return ModifierKey{Mod::Alt, Side::Left};
    case 0xFFEA:
    case 0xFE03: return ModifierKey{Mod::Alt, Side::Right};
    case 0xFFE7:
    case 0xFFEB: return ModifierKey{Mod::Win, Side::Left};
    case 0xFFE8:
    case 0xFFEC: return ModifierKey{Mod::Win, Side::Right};
    default: return std::nullopt;
    }
}

std::optional<ModifierKey> modifierFromScanCode(std::uint32_t code) {
    switch (code) {
    case 50: return ModifierKey{Mod::Shift, Side::Left};
    case 62: return ModifierKey{Mod::Shift, Side::Right};
    case 37: return ModifierKey{Mod::Ctrl, Side::Left};
    case 105: return ModifierKey{Mod::Ctrl, Side::Right};
    case 64: return ModifierKey{Mod::Alt, Side::Left};
    case 108: return ModifierKey{Mod::Alt, Side::Right};
    case 133: return ModifierKey{Mod::Win, Side::Left};
    case 134: return ModifierKey{Mod::Win, Side::Right};
    default: return std::nullopt;
    }
}

std::optional<ModifierKey> modifierFromQtKey(int key) {
    switch (key) {
    case qt::kShift: return ModifierKey{Mod::Shift, Side::Unknown};
    case qt::kControl: return ModifierKey{Mod::Ctrl, Side::Unknown};
    case qt::kAlt: return ModifierKey{Mod::Alt, Side::Unknown};
    case qt::kAltGr: return ModifierKey{Mod::Alt, Side::Right};
    case qt::kMeta:
    case qt::kSuperL: return ModifierKey{Mod::Win, Side::Unknown};
    case qt::kSuperR: return ModifierKey{Mod::Win, Side::Right};
    default: return std::nullopt;
    }
}

// clang-format on

unsigned modifierVirtualKey(ModifierKey m, ModifierForm form) {
    const bool right = m.side == Side::Right;
    switch (m.mod) {
    case Mod::Win:
        return right ? vk::kRWin : vk::kLWin;
    case Mod::Shift:
        if (form == ModifierForm::AsKeyMessage) return vk::kShift;
        return right ? vk::kRShift : vk::kLShift;
    case Mod::Ctrl:
        if (form == ModifierForm::AsKeyMessage) return vk::kControl;
        return right ? vk::kRControl : vk::kLControl;
    case Mod::Alt:
        if (form == ModifierForm::AsKeyMessage) return vk::kMenu;
        return right ? vk::kRMenu : vk::kLMenu;
    }
    return 0;
}

// clang-format off
// Virtual key of the key at a US keyboard position, by XKB keycode (evdev code + 8): the digit
// row, the letters and the punctuation of the main block.
unsigned virtualKeyFromPosition(std::uint32_t xkbKeycode) {
    if (xkbKeycode < 8) return 0;
    const std::uint32_t e = xkbKeycode - 8;
    if (e >= 2 && e <= 10) return vk::k0 + 1 + (e - 2); // KEY_1..KEY_9
    if (e == 11) return vk::k0;                         // KEY_0
    static constexpr std::array<char, 10> kRowQ{'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P'};
    static constexpr std::array<char, 9> kRowA{'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L'};
    static constexpr std::array<char, 7> kRowZ{'Z', 'X', 'C', 'V', 'B', 'N', 'M'};
    if (e >= 16 && e <= 25) return static_cast<unsigned>(kRowQ[e - 16]);
    if (e >= 30 && e <= 38) return static_cast<unsigned>(kRowA[e - 30]);
    if (e >= 44 && e <= 50) return static_cast<unsigned>(kRowZ[e - 44]);
    switch (e) {
    case 12: return vk::kOemMinus;
    case 13: return vk::kOemPlus;
    case 26: return vk::kOem4;
    case 27: return vk::kOem6;
    case 39: return vk::kOem1;
    case 40: return vk::kOem7;
    case 41: return vk::kOem3;
    case 43: return vk::kOem5;
    case 51: return vk::kOemComma;
    case 52: return vk::kOemPeriod;
    case 53: return vk::kOem2;
    default: return 0;
    }
}

bool isDigitRow(std::uint32_t xkbKeycode) { return xkbKeycode >= 8 + 2 && xkbKeycode <= 8 + 11; }

// Printable ASCII by the US key it is printed on.
unsigned virtualKeyFromAscii(int c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c);
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 'A');
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c);
    switch (c) {
    case ' ': return vk::kSpace;
    case '!': return '1';
    case '@': return '2';
    case '#': return '3';
    case '$': return '4';
    case '%': return '5';
    case '^': return '6';
    case '&': return '7';
    case '*': return '8';
    case '(': return '9';
    case ')': return '0';
    case ';':
    case ':': return vk::kOem1;
    case '=':
    case '+': return vk::kOemPlus;
    case ',':
    case '<': return vk::kOemComma;
    case '-':
    case '_': return vk::kOemMinus;
    case '.':
    case '>': return vk::kOemPeriod;
    case '/':
    case '?': return vk::kOem2;
    case '`':
    case '~': return vk::kOem3;
    case '[':
    case '{': return vk::kOem4;
    case '\\':
    case '|': return vk::kOem5;
    case ']':
    case '}': return vk::kOem6;
    case '\'':
    case '"': return vk::kOem7;
    default: return 0;
    }
}

std::optional<unsigned> keypadVirtualKey(int key) {
    if (key >= '0' && key <= '9') return vk::kNumpad0 + static_cast<unsigned>(key - '0');
    switch (key) {
    case '*': return vk::kMultiply;
    case '+': return vk::kAdd;
    case '-': return vk::kSubtract;
    case '/': return vk::kDivide;
    case '.':
    case ',': return vk::kDecimal;
    default: return std::nullopt;
    }
}

unsigned functionKeyVirtualKey(int key) {
    switch (key) {
    case qt::kEscape: return vk::kEscape;
    case qt::kTab:
    case qt::kBacktab: return vk::kTab;
    case qt::kBackspace: return vk::kBack;
    case qt::kReturn:
    case qt::kEnter: return vk::kReturn;
    case qt::kInsert: return vk::kInsert;
    case qt::kDelete: return vk::kDelete;
    case qt::kPause: return vk::kPause;
    case qt::kPrint:
    case qt::kSysReq: return vk::kSnapshot;
    case qt::kClear: return vk::kClear;
    case qt::kHome: return vk::kHome;
    case qt::kEnd: return vk::kEnd;
    case qt::kLeft: return vk::kLeft;
    case qt::kUp: return vk::kUp;
    case qt::kRight: return vk::kRight;
    case qt::kDown: return vk::kDown;
    case qt::kPageUp: return vk::kPrior;
    case qt::kPageDown: return vk::kNext;
    case qt::kCapsLock: return vk::kCapital;
    case qt::kNumLock: return vk::kNumlock;
    case qt::kScrollLock: return vk::kScroll;
    case qt::kMenu: return vk::kApps;
    case qt::kHelp: return vk::kHelp;
    case qt::kSelect: return vk::kSelect;
    case qt::kBack: return vk::kBrowserBack;
    case qt::kForward: return vk::kBrowserForward;
    case qt::kRefresh: return vk::kBrowserRefresh;
    case qt::kStop: return vk::kBrowserStop;
    case qt::kSearch: return vk::kBrowserSearch;
    case qt::kFavorites: return vk::kBrowserFavorites;
    case qt::kHomePage: return vk::kBrowserHome;
    case qt::kVolumeMute: return vk::kVolumeMute;
    case qt::kVolumeDown: return vk::kVolumeDown;
    case qt::kVolumeUp: return vk::kVolumeUp;
    case qt::kMediaNext: return vk::kMediaNextTrack;
    case qt::kMediaPrevious: return vk::kMediaPrevTrack;
    case qt::kMediaStop: return vk::kMediaStop;
    case qt::kMediaPlay:
    case qt::kMediaPause:
    case qt::kMediaTogglePlayPause: return vk::kMediaPlayPause;
    case qt::kLaunchMail: return vk::kLaunchMail;
    case qt::kLaunchMedia: return vk::kLaunchMediaSelect;
    case qt::kLaunch0: return vk::kLaunchApp1;
    case qt::kLaunch1:
    case qt::kCalculator: return vk::kLaunchApp2;
    default: return 0;
    }
}

} // namespace
// clang-format on

unsigned virtualKeyFromQtKey(int key, bool keypad, std::uint32_t scanCode, std::uint32_t keysym,
                             ModifierForm form) {
    auto modifier = modifierFromQtKey(key);
    if (auto m = modifierFromKeysym(keysym))
        modifier = m;
    else if (modifier || key == 0 || key == qt::kUnknown) {
        if (auto s = modifierFromScanCode(scanCode)) modifier = s;
    }
    if (modifier) return modifierVirtualKey(*modifier, form);

    if (keypad)
        if (auto v = keypadVirtualKey(key)) return *v;
    if (key >= qt::kF1 && key <= qt::kF24) return vk::kF1 + static_cast<unsigned>(key - qt::kF1);
    if (const unsigned v = functionKeyVirtualKey(key)) return v;

    const bool ascii = key >= qt::kSpace && key <= qt::kTilde;
    if (ascii && key >= 'A' && key <= 'Z') return static_cast<unsigned>(key);
    if (isDigitRow(scanCode)) return virtualKeyFromPosition(scanCode);
    if (ascii) return virtualKeyFromAscii(key);
    return virtualKeyFromPosition(scanCode);
}

bool isShiftCtrlAltKey(unsigned v) {
    return v == vk::kShift || v == vk::kControl || v == vk::kMenu || (v >= vk::kLShift && v <= vk::kRMenu);
}

} // namespace krm
