#pragma once

#include "base/TextSource.h"
#include "buttons/EditorState.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// The code a menu tag produces with the editor settings as they are now; the empty text for a tag
// the catalogue does not know. `forComboKey` selects the optioned profile-switch codes.
std::string functionCodeForTag(int tag, const EditorState& state, bool forComboKey);

// The text shown for a code: the first naming rule that matches, in the language of `texts`.
// Naming has two side effects on `state`, as the editors rely on: a fire-key code ticks or clears
// the continue box of the slot it names (not while state.fireChangeInProgress is set), and a
// profile-switch code selects its colour in that profile's colour selector.
std::string functionCodeName(std::string_view code, const TextSource& texts, EditorState& state);

// The seven gun presets, matched on the first three bytes of a 0x0B code.
struct GunName {
    std::string_view nameId;             // "Str600".."Str606"
    std::span<const CodeBytes> prefixes; // first three bytes; byte 3 is not used
};
std::span<const GunName> gunNames();
// Language id of the gun whose preset starts like `code`, or the empty id.
std::string_view gunNameId(const CodeBytes& code);

// The name of gun-key list entry n (1..10): "Fire Macro" + n.
std::string gunKeyListName(int n);
// True for a name given to gun and fire-macro buttons: a gun name of `texts` or "Fire Macro1".."Fire
// Macro10".
bool isGunOrFireMacroName(std::string_view name, const TextSource& texts);

// The rows of the gun-key list offered in the menu: the numbers n of its non-empty entries.
std::vector<int> gunKeyListRows(const GunKeyList& list);

} // namespace krm
