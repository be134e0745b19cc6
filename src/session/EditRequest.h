#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krm {

// One thing an editor asks of the configuration image and the mouse. Editors return their changes as
// a list of these and never touch the mouse themselves; Session::apply carries them out in order,
// through the one shared path of each kind. While the window is being filled from an image (the
// refresh guard) an editor still returns its Store requests, so the copies follow the controls, but
// asks for no write.
struct EditRequest {
    enum class Kind {
        Store,          // put `bytes` into the section copies at image offset `offset`; nothing is sent
        WriteThrough,   // store, then send the 1..3 bytes at image address `offset` (< 0x100) in one report
        WriteQuad,      // store, then send the 4 bytes at image address `offset` with the form-1 write
        BlockWrite,     // store, then send `bytes` to image offset `offset` as one block write
        ProfileRewrite, // fresh checksums, the 147-byte profile block at 192 (with the fire-key block
                        // at 484 when `withFireKeyBlock`, then the fire-macro area's copy when
                        // `withFireMacroArea`), the user section read back, then 0x0F and the real
                        // byte to 0xA4 so the mouse reloads its current profile
        UserSectionRewrite,   // user checksum recomputed, 28 bytes from 0xA4 with one range write
        VendorSectionRewrite, // vendor checksum recomputed, 164 bytes from 0 with one range write
        Restart,              // the mouse restarts; it is found and read again when it comes back
        XDataWrite,           // send bytes[0] to the MCU's XDATA address `offset`; no section copy changes
        RegenerateForLedType, // every section regenerated for the lighting editor's LED type, the image
                              // written whole, the mouse restarted
    };
    Kind kind = Kind::Store;
    std::size_t offset = 0;
    std::vector<std::uint8_t> bytes;
    bool withFireKeyBlock = false;
    bool withFireMacroArea = false;

    static EditRequest store(std::size_t offset, std::span<const std::uint8_t> b) {
        return {Kind::Store, offset, {b.begin(), b.end()}};
    }
    static EditRequest store(std::size_t offset, std::initializer_list<std::uint8_t> b) {
        return {Kind::Store, offset, b};
    }
    static EditRequest writeThrough(std::size_t address, std::initializer_list<std::uint8_t> b) {
        return {Kind::WriteThrough, address, b};
    }
    static EditRequest writeThrough(std::size_t address, std::span<const std::uint8_t> b) {
        return {Kind::WriteThrough, address, {b.begin(), b.end()}};
    }
    static EditRequest writeQuad(std::size_t address, std::span<const std::uint8_t, 4> b) {
        return {Kind::WriteQuad, address, {b.begin(), b.end()}};
    }
    static EditRequest blockWrite(std::size_t offset, std::span<const std::uint8_t> b) {
        return {Kind::BlockWrite, offset, {b.begin(), b.end()}};
    }
    static EditRequest profileRewrite(bool withFireKeyBlock = false, bool withFireMacroArea = false) {
        return {Kind::ProfileRewrite, 0, {}, withFireKeyBlock, withFireMacroArea};
    }
    static EditRequest userSectionRewrite() { return {Kind::UserSectionRewrite, 0, {}}; }
    static EditRequest vendorSectionRewrite() { return {Kind::VendorSectionRewrite, 0, {}}; }
    static EditRequest restart() { return {Kind::Restart, 0, {}}; }
    static EditRequest xdataWrite(std::uint16_t address, std::uint8_t value) {
        return {Kind::XDataWrite, address, {value}};
    }
    static EditRequest regenerateForLedType() { return {Kind::RegenerateForLedType, 0, {}}; }
    bool operator==(const EditRequest&) const = default;
};

// What the view does next, beyond repainting.
enum class Followup {
    None,
    OpenKeyComboDialog,      // open the key-combination dialog; its result comes back to the editor
    ApplyGameModeTrigger,    // the game-mode trigger option changed: its editor applies it
    ApplyLedModeCombination, // the LED-mode combination option changed: its editor applies it
    ReloadEditors,           // blocks of the image moved (macros): Session::apply reloads every editor
};

// The result of one user action in an editor. An outcome with block writes runs with the presence
// poll stopped and the pages covered, and hides the busy window they leave up at its end.
struct EditOutcome {
    std::vector<EditRequest> requests;
    bool refused = false;               // an editor rule kept the change from being made; nothing is sent
    std::optional<std::string> message; // text for the message box (may be empty in some languages)
    Followup followup = Followup::None;
    bool coverWindow = false; // cover the main window while the opened dialog is up

    // Set by the sink when the change did not reach the mouse: the requests after the failed one were
    // dropped, the copies and every editor hold what the mouse holds again (as far as it could be
    // read), and `message` says so in the active language (the sink has shown it already).
    enum class WriteFailure {
        None,
        NotTaken,     // the first write failed whole (one report): the mouse holds what it held, and so
                      // do the copies again
        ReadAgain,    // a write failed; the mouse was read again and the copies hold what it holds
        NotReadAgain, // a write failed and the mouse could not be read again: the copies are back to
                      // what they held before the change, though the mouse may hold a part of it
        NotTrusted,   // nothing was sent: the copies come from a read that was not whole
    };
    WriteFailure failure = WriteFailure::None;
    std::string failedWrite; // what did not reach the mouse, for krmctl ("image byte 0xA6")
    bool writeFailed() const { return failure != WriteFailure::None; }

    static EditOutcome refusal(std::string text) {
        EditOutcome out;
        out.refused = true;
        out.message = std::move(text);
        return out;
    }
};

// Where views and commands hand an editor's outcome to be carried out (the session). Returns the
// outcome for the caller's message and follow-up.
class EditSink {
public:
    virtual ~EditSink() = default;
    virtual EditOutcome apply(EditOutcome outcome) = 0;
};

} // namespace krm
