#pragma once

#include "device/UiPort.h"
#include "image/ConfigImage.h"
#include "image/ExternalData.h"
#include "image/SectionDefaults.h"

#include <functional>
#include <optional>
#include <string>

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
};

// A file dialog: the path chosen, or nothing when the user cancelled.
using ChooseFile = std::function<std::optional<std::string>()>;

// The operations that move whole images and prepared data blocks between the program, files and the
// mouse: the three restores and the engineering page's restore, the regeneration after an LED type
// change, profile save and load, the macro block export, and the update and engineering pages'
// patch and macro imports. Each is named after the window handler that starts it and runs on the
// session's state through its shared transfer paths. The file dialog is the caller's: it is passed
// in and run at the point where the window runs it (after the no-mouse check).
class ImageOperations {
public:
    // Steps that belong to views not built from this class; an empty hook is skipped.
    struct Hooks {
        std::function<void(bool visible)> setResultVisible; // Img_Result on the engineering page
        std::function<void()> macroBlockChanged;            // rebuild the device macro list from the copy
        std::function<void()> hideMacroPanels;              // the macro page's pop-up panels
        std::function<void(const std::string& path)> showBinPath; // lbl_LoadBIN
        std::function<void()> clearMacroLists; // empty the macro lists and editors (default: the session's)
    };

    // `ui` is the port the session was built with.
    ImageOperations(Session& session, UiPort& ui);
    ImageOperations(const ImageOperations&) = delete;
    ImageOperations& operator=(const ImageOperations&) = delete;

    Hooks hooks;

    // --- factory images ---
    // Restore k (1..3): Btn_Confirm1_1Click, Btn_Reset_0Click, Btn_Confirm3_1Click. Image k of the
    // identified variant (R210B when none) is unpacked, shown, written whole and the mouse restarted.
    // Restore 1 keeps the refresh guard up through the restart; restores 2 and 3 release the window
    // before it.
    OperationResult DefaultParameterConfirm1() { return restore(1); }
    OperationResult DefaultParameterConfirm2() { return restore(2); }
    OperationResult DefaultParameterConfirm3() { return restore(3); }
    OperationResult restore(int k);
    // The engineering page's restore: restore 1 with the result picture hidden meanwhile; nothing at
    // all without a mouse.
    void Btn_DefaultClick();
    // Every section regenerated for the LED type (and cb_Package selection) given, the macro block
    // emptied, the image written whole, the mouse restarted. The new type becomes the session's.
    void TLDefaultParameter(const DefaultInputs& in);

    // --- profile files ---
    // Btn_Save_0Click: the mouse is read, then its image is written under the dialog's choice with
    // ".bin" appended. A read that brought no image (no marker at 495: the read failed) writes no file.
    OperationResult Btn_Save_0Click(const ChooseFile& dialog);
    // The same save under exactly the name chosen.
    OperationResult saveProfile(const ChooseFile& choose);
    // Btn_Load_0Click: the file's marker is checked, then its bytes go to the mouse whole and the
    // mouse restarts. A refused file sends nothing. The refresh guard is clear on every exit.
    OperationResult Btn_Load_0Click(const ChooseFile& dialog);
    // The load of a profile image already read and checked (ReadProfileFile).
    OperationResult loadProfile(const ConfigImage& fileImage);
    // The whole-image write-back after a load: unpacked (repairs go to the copies only) and shown,
    // then the image as given is written whole and the mouse restarted. An image without the marker
    // is not sent (false).
    bool MemoToDataBuf_OnClick(const ConfigImage& fileImage);
    // Btn_DevExportClick: the macro block copy to the dialog's choice + ".bin"; no device access.
    OperationResult Btn_DevExportClick(const ChooseFile& dialog);

    // --- update page ---
    // The update page was opened: a BIN loaded before must be loaded again.
    void updatePageOpened();
    bool binLoaded() const { return loadedPatch_.has_value(); }
    // Btn_LoadBINClick: the patch file is read into the patch copies; nothing is sent yet.
    OperationResult Btn_LoadBINClick(const ChooseFile& dialog);
    // Btn_ProgramClick: the loaded patch goes to the mouse (block at 1008, code at 1024), which is
    // restarted. Nothing happens without a mouse or a loaded BIN.
    OperationResult Btn_ProgramClick();

    // --- engineering page ---
    // Btn_PatchCodeClick: read, compute, write and restart in one go.
    OperationResult Btn_PatchCodeClick(const ChooseFile& dialog);
    // Btn_ImportBaseMacroClick: a 512-byte macro block file into the copy and to the mouse in two
    // 256-byte block writes; no restart.
    OperationResult Btn_ImportBaseMacroClick(const ChooseFile& dialog);
    // Btn_ImportGunMacroClick: ten fire-macro bodies into the fire-macro area, written whole; no restart.
    OperationResult Btn_ImportGunMacroClick(const ChooseFile& dialog);

private:
    void restoreSteps(int k);
    void writeWholeImage();
    void writePatch();
    std::optional<std::string> choose(const ChooseFile& dialog);
    OperationResult refuse(const FileError& error);
    OperationResult save(const ChooseFile& choose, bool appendBin);
    template <typename F> void call(const F& fn) {
        if (fn) fn();
    }

    Session& s_;
    UiPort& ui_;
    std::optional<PatchFile> loadedPatch_;
    Variant loadedPatchVariant_ = Variant::R210B;
};

} // namespace krm
