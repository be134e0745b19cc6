#pragma once

#include "device/UiPort.h"
#include "image/ConfigImage.h"
#include "image/ExternalData.h"
#include "image/SectionDefaults.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace krm {

class Session;

// How one of the operations below ended, for front ends that tell outcomes apart (krmctl's exit
// codes). Whatever the user has to know has been shown through UiPort::showMessage already.
enum class OperationResult {
    Done,
    NoMouse,     // the mouse is not open; Str022 was shown where the window shows it
    Cancelled,   // the file dialog was cancelled
    FileRefused, // the file could not be opened, read, created or used; nothing was sent
    NotReady,    // nothing to do: "Program" without a loaded BIN
    ReadFailed,  // the mouse did not deliver a readable image; nothing was written
    WriteFailed, // a write did not go out whole: the mouse may hold part of it
    NotVerified, // everything went out, but the mouse read back afterwards holds something else, or
                 // could not be read back whole (or did not come back after its restart)
};

// A file dialog: the path chosen, or nothing when the user cancelled.
using ChooseFile = std::function<std::optional<std::string>()>;

// The operations that move whole images and prepared data blocks between the program, files and the
// mouse: the three restores and the engineering page's restore, the regeneration after an LED type
// change, profile save and load, the macro block export, and the update and engineering pages'
// patch and macro imports. Each runs on the session's state through its shared transfer paths. The
// file dialog is the caller's: it is passed in and run at the point where the window runs it (after
// the no-mouse check).
class ImageOperations {
public:
    // `ui` is the port the session was built with.
    ImageOperations(Session& session, UiPort& ui);
    ImageOperations(const ImageOperations&) = delete;
    ImageOperations& operator=(const ImageOperations&) = delete;

    // --- factory images ---
    // Restore k (1..3): image k of the identified variant (R210B when none) is unpacked, shown, written
    // whole and the mouse restarted. Restore 1 keeps the refresh guard up through the restart;
    // restores 2 and 3 release the window before it.
    OperationResult restore(int k);
    // The engineering page's restore: restore 1, with observers told while it runs; nothing at all
    // without a mouse.
    void restoreFromEngineeringPage();
    // Every section regenerated for the LED type (and cb_Package selection) given, the macro block
    // emptied, the image written whole, the mouse restarted. The new type becomes the lighting
    // editor's.
    OperationResult regenerateForLedType(const DefaultInputs& in);

    // --- profile files ---
    // How a chosen file name is used: as given (krmctl), or with ".bin" added when it lacks it (the
    // window's save dialog).
    enum class BinSuffix { AsGiven, AddWhenMissing };
    // The mouse is read, then its image is written under the chosen name. A read that was not
    // complete, or brought an image with a defect (imageDefect), writes no file; so does one that
    // differs from `readBefore` when that is given (an image read just before, with no change made
    // since: two reads that disagree mean the replies cannot be trusted).
    OperationResult saveProfile(const ChooseFile& choose, BinSuffix suffix,
                                const ConfigImage* readBefore = nullptr);
    // The chosen file's marker is checked, then its bytes go to the mouse whole and the mouse restarts.
    // A refused file sends nothing. The refresh guard is clear on every exit.
    OperationResult loadProfileFile(const ChooseFile& choose);
    // The load of a profile image already read and checked (readProfileFile).
    OperationResult loadProfile(const ConfigImage& fileImage);
    // The whole-image write-back after a load: unpacked (repairs go to the copies only) and shown,
    // then the image as given is written whole and the mouse restarted. An image without the marker
    // is not sent (false).
    bool writeLoadedImage(const ConfigImage& fileImage);
    // The macro block copy to the chosen name + ".bin"; no device access.
    OperationResult exportMacroBlock(const ChooseFile& choose);

    // --- update page ---
    // The update page was opened: a BIN loaded before must be loaded again.
    void updatePageOpened();
    bool binLoaded() const { return loadedPatch_.has_value(); }
    // The path the last "Load BIN" chose (shown on the update page), empty before.
    const std::string& binPath() const { return binPath_; }
    // The patch file is read into the patch copies; nothing is sent yet.
    OperationResult loadPatchFile(const ChooseFile& choose);
    // The loaded patch goes to the mouse (block at 1008, code at 1024), which is restarted. Nothing
    // happens without a mouse or a loaded BIN.
    OperationResult programPatch();

    // --- engineering page ---
    // A patch file read, computed, written and the mouse restarted in one go.
    OperationResult programPatchFile(const ChooseFile& choose);
    // A 512-byte macro block file, its macros packed as the mouse's macro table packs them, into the
    // copy and to the mouse in two 256-byte block writes; no restart.
    OperationResult importMacroBlock(const ChooseFile& choose);
    // Ten fire-macro bodies into the fire-macro area, written whole; no restart.
    OperationResult importGunMacros(const ChooseFile& choose);

private:
    // The start every file operation shares: menus closed, the mouse checked when the operation needs
    // it (Str022 when it is not open), the file chosen. The path, or how the operation ends.
    enum class NeedsMouse { No, Yes };
    std::variant<std::string, OperationResult> chooseFile(const ChooseFile& choose, NeedsMouse needsMouse);
    bool restoreSteps(int k);
    bool writeWholeImage();
    bool writePatch();
    OperationResult writePatchAndRestart(bool hideBusy);
    // After a write and the restart that follows it: Done when the write went out whole and the
    // mouse, read again whole, holds `sent` at `offset`; otherwise the message that says what was and
    // was not written, and WriteFailed or NotVerified.
    OperationResult checkWritten(bool writeOk, const std::string& what, std::size_t offset,
                                 std::span<const std::uint8_t> sent);
    OperationResult refuse(const FileError& error);

    Session& s_;
    UiPort& ui_;
    std::optional<PatchFile> loadedPatch_;
    Variant loadedPatchVariant_ = Variant::R210B;
    std::string binPath_;
};

} // namespace krm
