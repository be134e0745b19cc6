#pragma once

#include "base/TextSource.h"
#include "buttons/EditorState.h"
#include "macros/DeviceMacros.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace krm {

// A button's or combo key's function in the words of a settings file, which a person reads and types
// back, and the code those words stand for:
//
//   Backward                           a function as `krmctl functions` names it
//   Backward, combo key 2              ... with what the rest of its code holds, after commas:
//                                        "combo key N" (N 1..8: the combo keys the button takes part in;
//                                        middle, back, forward, DPI and gun buttons),
//                                        "keep left button" and "N stages" (guns),
//                                        "return to zero", "adjust XY", "change colour", "colour N"
//                                        (1..10) or "user colour", "offset 0xHHH" (profile switches)
//   M4 Fire, keep left button          a gun by the gun page's name
//   Ctrl+Shift+F5                      a key combination: Ctrl, Shift, Alt, Win, then up to two keys
//                                        as the key-combination dialog names them
//   macro Reload                       a macro of the mouse (the first of that name)
//   02033E00                           the code itself, 8 hex digits
//
// Words ignore letter case. Names build their codes with the variant, the fire-key slots and the sniper
// value `state` holds, and nothing else (no combo masks, no profile-switch options unless written), so
// that a name means the same on every mouse.
struct Naming {
    EditorState state;
    DeviceMacroTable macros;
    const TextSource* english = nullptr; // language table 1
};

// The words a code is written in, and what the comment beside them says: the words and the code when
// they rebuild it exactly; otherwise the code and its display name.
struct WrittenCode {
    std::string text;
    std::string comment;
    bool inWords = false;
};
WrittenCode writtenCode(const Naming& naming, const std::string& code, bool comboKey);

// What a function value may be, as a message says it.
inline constexpr std::string_view kFunctionForms =
    "a function as `krmctl functions` names it (options after commas), a gun, a key combination such as "
    "Ctrl+Shift+F5, \"macro NAME\" or an 8-hex-digit code";

// The code `text` stands for (8 upper-case hex digits), or why it stands for none.
std::optional<std::string> codeOf(const Naming& naming, std::string_view text, bool comboKey,
                                  std::string& problem);

// The codes of the catalogue entries called `name` (two entries may share a name: "Stop").
std::vector<std::string> codesNamed(const Naming& naming, std::string_view name, bool comboKey);

} // namespace krm
