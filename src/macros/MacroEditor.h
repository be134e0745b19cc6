#pragma once

#include "base/TextSource.h"
#include "buttons/EditorState.h"
#include "macros/DeviceMacros.h"
#include "macros/MacroLibrary.h"
#include "session/Editor.h"
#include "session/EditRequest.h"

#include <functional>
#include <optional>
#include <span>

namespace krm {

// The macro editor: owns the device macro table (parsed from the image's macro block) and the PC macro
// library, and turns "add to mouse" and "delete" into requests. Every change that moves
// macros inside the block also moves the buttons of all three profiles that ran a moved macro to its
// new start address (a button whose macro was deleted gets 00000000). It keeps the editor state's
// device-macro slots, which naming and the key page's "Base Macro" list read, in step.
class MacroEditor final : public Editor {
public:
    // `copies` gives the session's section copies as they are now (the button codes a repack moves).
    MacroEditor(EditorState& state, const TextSource& texts, std::function<bool()> refreshGuard,
                std::function<const SectionCopies&()> copies);

    // Parses the macro block of the copies (the table is packed back at once, so start addresses and
    // the page filler hold).
    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource& texts) override { texts_ = &texts; }
    // The mouse's macros are forgotten; the library stays.
    void deviceLost() override;

    const DeviceMacroTable& deviceMacros() const { return table_; }
    const MacroBlock& block() const { return block_; }
    std::string deviceMacroName(std::size_t slot) const;

    MacroLibrary& library() { return library_; }
    const MacroLibrary& library() const { return library_; }
    // Opens (or creates) the library at `path`; what went wrong, if anything, stays readable for
    // the page until the next open.
    LibraryResult openLibrary(const std::string& path);
    const std::string& libraryProblem() const { return libraryProblem_; }

    // "Add to Mouse": library macro `index` into the next free slot, then the button tables (fresh
    // checksums, one 147-byte block) and the macro block (two 256-byte halves) are written. Refused
    // with Str106 for a name already on the mouse, with Str103 when the block would overflow, and
    // silently with 15 macros on the mouse.
    EditOutcome addToMouse(std::size_t index);
    // The same for a macro that need not be in the library (a settings file's).
    EditOutcome addToMouse(const MacroRecord& record);
    // "Delete" in the device list: the slot removed, the block repacked, buttons moved, then the
    // profile rewrite and the macro block.
    EditOutcome deleteDeviceMacro(std::size_t slot);
    // The mouse's macros made exactly `records`, in order, with one write of the block (a settings
    // file's [macros]): names may repeat, as in a block imported from a file. The first `kept` slots
    // hold those records already and stay; a button that ran a later slot runs the first later record
    // of the same name, or nothing. Then the button tables (one 147-byte block) and the macro block.
    // Refused with Str103 when the records do not fit the block, and with no message past 15 macros.
    EditOutcome replaceMacros(const std::vector<MacroRecord>& records, std::size_t kept);

private:
    // How the button tables go to the mouse: one 147-byte block (adding) or the profile rewrite
    // (deleting).
    enum class ProfileWrite { Block, Rewrite };
    // Old slot → its slot in the new table, nothing when it is gone.
    using SlotMap = std::function<std::optional<std::size_t>(std::size_t)>;
    // The requests after the table changed from `before`: buttons moved, profile and block writes.
    EditOutcome commit(const DeviceMacroTable& before, const SlotMap& newSlotOf, ProfileWrite profileWrite);
    void publish();
    bool guarded() const { return refreshGuard_ && refreshGuard_(); }

    EditorState& state_;
    const TextSource* texts_;
    std::function<bool()> refreshGuard_;
    std::function<const SectionCopies&()> copies_;
    DeviceMacroTable table_;
    MacroBlock block_{};
    MacroLibrary library_;
    std::string libraryProblem_;
};

} // namespace krm
