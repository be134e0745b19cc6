#pragma once

#include <cstdint>

namespace krm {

// Turning a key event of this platform into the Windows virtual-key code that the keyboard tables
// (VirtualKeyToHookKey, then HookKeyToUsage) start from, so that a key pressed here is stored with
// the same byte as the tables give for it.
//
// The view calls it from keyPressEvent / keyReleaseEvent with the event's own values:
//
//     unsigned v = krm::virtualKeyFromQtKey(event->key(),
//                                           event->modifiers().testFlag(Qt::KeypadModifier),
//                                           event->nativeScanCode(), event->nativeVirtualKey());
//
// and ignores the event when the result is 0 (a key the tables do not know). No Qt header is
// needed here: Qt key codes are plain integers, and the values relied on are listed in
// QtKeyMapping.cpp (printable keys are their upper-case Latin-1 code, Qt::Key_Space 0x20 ..
// Qt::Key_AsciiTilde 0x7E; other keys are 0x01000000 + n, e.g. Qt::Key_Escape 0x01000000,
// Qt::Key_F1 0x01000030 .. Qt::Key_F24 0x01000047).
//
// How each group is found:
// - Letters follow the keyboard layout as Qt reports them (Qt::Key_A..Qt::Key_Z), as Windows does.
// - The digit row gives '0'..'9' whatever the layout or Shift make of it: by its native scan code
//   when that is known, else by Qt's key, with the shifted US symbols ('!' .. ')') folded back.
// - Punctuation takes the US key it is printed on (';' and ':' give VK_OEM_1, '-' and '_' VK_OEM_MINUS,
//   ...); a key Qt reports as no ASCII character at all (a national letter) falls back to its
//   physical position on a US keyboard through the native scan code.
// - keypad = true (Qt::KeypadModifier) turns digits and operators into VK_NUMPAD0..9, VK_MULTIPLY,
//   VK_ADD, VK_SUBTRACT, VK_DECIMAL, VK_DIVIDE; keypad Enter gives VK_RETURN, and the keypad's
//   navigation keys (Num Lock off) give the navigation keys, as on Windows.
// - Modifiers: the side of a Shift, Ctrl, Alt or Win key comes from nativeVirtualKey (the X keysym
//   that Qt reports on xcb and Wayland: Shift_L 0xFFE1, Shift_R 0xFFE2, Control_L 0xFFE3,
//   Control_R 0xFFE4, Meta_L 0xFFE7, Meta_R 0xFFE8, Alt_L 0xFFE9, Alt_R 0xFFEA, Super_L 0xFFEB,
//   Super_R 0xFFEC, ISO_Level3_Shift 0xFE03 for AltGr), else from nativeScanCode (the XKB keycode,
//   evdev code + 8: 50/62 Shift, 37/105 Ctrl, 64/108 Alt, 133/134 Win), else from Qt's key
//   (Qt::Key_Super_R and Qt::Key_AltGr are right-hand keys, everything else left-hand).
//   With ModifierForm::AsKeyMessage (the default) Shift, Ctrl and Alt give VK_SHIFT, VK_CONTROL and
//   VK_MENU whatever their side — the codes Windows puts in the key messages and raw keyboard input
//   the dialogs and the macro recorder are written against — while the Win keys keep their side
//   (VK_LWIN, VK_RWIN). ModifierForm::Sided gives VK_LSHIFT .. VK_RMENU instead.
enum class ModifierForm { AsKeyMessage, Sided };

unsigned virtualKeyFromQtKey(int qtKey, bool keypad, std::uint32_t nativeScanCode,
                             std::uint32_t nativeVirtualKey, ModifierForm form = ModifierForm::AsKeyMessage);

// True for the virtual keys of Shift, Ctrl and Alt (either form, either side).
bool isShiftCtrlAltKey(unsigned virtualKey);

} // namespace krm
