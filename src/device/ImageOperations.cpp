#include "device/ImageOperations.h"

#include "image/DefaultImages.h"
#include "image/ImageFiles.h"
#include "shell/Session.h"

#include <algorithm>
#include <array>

namespace krm {

namespace {

// Sets the refresh guard for a scope and clears it on every way out.
class GuardScope {
public:
    explicit GuardScope(bool& guard) : guard_(guard) { guard_ = true; }
    ~GuardScope() { guard_ = false; }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    bool& guard_;
};

std::uint16_t u16(std::size_t v) {
    return static_cast<std::uint16_t>(v);
}

} // namespace

ImageOperations::ImageOperations(Session& session, UiPort& ui) : s_(session), ui_(ui) {
    hooks.clearMacroLists = [this] { call(s_.presence.hooks.clearMacroLists); };
}

std::optional<std::string> ImageOperations::choose(const ChooseFile& dialog) {
    return dialog ? dialog() : std::nullopt;
}

OperationResult ImageOperations::refuse(const FileError& error) {
    ui_.showMessage(error.message);
    return OperationResult::FileRefused;
}

void ImageOperations::writeWholeImage() {
    s_.commands.BlockWrite(0, u16(kImageSize), s_.image.image);
}

void ImageOperations::writePatch() {
    const auto& c = s_.image.copies;
    s_.commands.BlockWrite(u16(image::kPatchBlockOffset), u16(c.patchBlock.size()), c.patchBlock);
    s_.commands.BlockWrite(u16(image::kPatchCodeOffset), u16(c.patchCode.size()), c.patchCode);
}

// --- factory images ---

OperationResult ImageOperations::restore(int k) {
    if (k < 1 || k > 3) return OperationResult::NotReady;
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots.noDevice);
        return OperationResult::NoMouse;
    }
    restoreSteps(k);
    return OperationResult::Done;
}

void ImageOperations::restoreSteps(int k) {
    s_.refreshGuard = true;
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    ui_.showBusy();

    s_.loadDefaultImages();
    const auto variant = s_.identified() ? variantFromName(s_.presence.chipModel()) : std::nullopt;
    const ConfigImage source = RestoreSourceImage(s_.defaults, variant, k);
    call(hooks.clearMacroLists);
    s_.transfer.replaceImage(source);
    writeWholeImage();

    auto release = [this](bool uncover) {
        ui_.hideBusy();
        if (uncover) ui_.setPagesCovered(false);
        ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
        ui_.setTimerEnabled(UiTimer::DevTimer, true);
        s_.refreshGuard = false;
    };
    if (k == 1) {
        // The window stays guarded until the mouse has come back and been read.
        s_.presence.RestartDevice();
        release(true);
    } else {
        release(false);
        s_.presence.RestartDevice();
    }
}

void ImageOperations::Btn_DefaultClick() {
    if (!s_.mouseOpen()) return;
    if (hooks.setResultVisible) hooks.setResultVisible(false);
    restoreSteps(1);
    if (hooks.setResultVisible) hooks.setResultVisible(true);
}

void ImageOperations::TLDefaultParameter(const DefaultInputs& in) {
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    s_.refreshGuard = true;
    ui_.closeMenus();
    ui_.setPagesCovered(true);
    ui_.showBusy();

    s_.ledType = in.ledType;
    RegenerateDefaults(s_.image, in);
    call(s_.transfer.hooks.DataBufToUI);
    call(hooks.macroBlockChanged);
    writeWholeImage();

    ui_.hideBusy();
    ui_.setPagesCovered(false);
    s_.refreshGuard = false;
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    s_.presence.RestartDevice();
}

// --- profile files ---

OperationResult ImageOperations::Btn_Save_0Click(const ChooseFile& dialog) {
    return save(dialog, true);
}

OperationResult ImageOperations::saveProfile(const ChooseFile& chooseName) {
    return save(chooseName, false);
}

OperationResult ImageOperations::save(const ChooseFile& dialog, bool appendBin) {
    ui_.closeMenus();
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots.noDevice);
        return OperationResult::NoMouse;
    }
    const auto chosen = choose(dialog);
    if (!chosen) return OperationResult::Cancelled;
    const std::string path = appendBin ? SaveFileName(*chosen) : *chosen;

    s_.transfer.Btn_Read();
    // A failed read leaves 0xFF where the marker belongs; such a file could never be loaded back, and
    // writing it would replace a good file of that name.
    if (s_.image.image[image::kMarkerOffset] != image::kMarker) {
        ui_.showMessage("The mouse's configuration could not be read; \"" + path + "\" was not written.");
        return OperationResult::ReadFailed;
    }
    if (auto error = WriteProfileFile(path, s_.image.image)) return refuse(*error);
    return OperationResult::Done;
}

OperationResult ImageOperations::Btn_Load_0Click(const ChooseFile& dialog) {
    const GuardScope guard(s_.refreshGuard);
    ui_.closeMenus();
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots.noDevice);
        return OperationResult::NoMouse;
    }
    const auto chosen = choose(dialog);
    if (!chosen) return OperationResult::Cancelled;
    const auto file = ReadProfileFile(*chosen);
    if (!file) return refuse(file.error);
    MemoToDataBuf_OnClick(*file.value);
    return OperationResult::Done;
}

OperationResult ImageOperations::loadProfile(const ConfigImage& fileImage) {
    const GuardScope guard(s_.refreshGuard);
    ui_.closeMenus();
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots.noDevice);
        return OperationResult::NoMouse;
    }
    if (!MemoToDataBuf_OnClick(fileImage)) return refuse({FileErrorKind::BadMarker, kLoadingBinError});
    return OperationResult::Done;
}

bool ImageOperations::MemoToDataBuf_OnClick(const ConfigImage& fileImage) {
    if (fileImage[image::kMarkerOffset] != image::kMarker) return false;
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    // The copies take the repairs; the image keeps the file's bytes, and those are what the mouse gets.
    s_.transfer.replaceImage(fileImage);
    ui_.showBusy();
    writeWholeImage();
    s_.presence.RestartDevice();
    return true;
}

OperationResult ImageOperations::Btn_DevExportClick(const ChooseFile& dialog) {
    const auto chosen = choose(dialog);
    if (!chosen) return OperationResult::Cancelled;
    call(hooks.hideMacroPanels);
    if (auto error = WriteMacroBlockFile(SaveFileName(*chosen), s_.image.copies.macroBlock))
        return refuse(*error);
    return OperationResult::Done;
}

// --- update page ---

void ImageOperations::updatePageOpened() {
    loadedPatch_.reset();
}

OperationResult ImageOperations::Btn_LoadBINClick(const ChooseFile& dialog) {
    const auto chosen = choose(dialog);
    if (!chosen) return OperationResult::Cancelled;
    if (hooks.showBinPath) hooks.showBinPath(*chosen);
    // A file that cannot supply the whole patch is refused; a BIN loaded before is dropped with it,
    // so that "Program" cannot send something other than the file the label names.
    loadedPatch_.reset();
    const ImageLayout& layout = s_.image.copies.layout;
    auto patch = ReadPatchFile(*chosen, layout);
    if (!patch) return refuse(patch.error);
    StorePatch(s_.image.copies, *patch.value);
    loadedPatch_ = std::move(*patch.value);
    loadedPatchVariant_ = layout.variant;
    return OperationResult::Done;
}

OperationResult ImageOperations::Btn_ProgramClick() {
    if (!s_.mouseOpen() || !loadedPatch_) return OperationResult::NotReady;
    if (loadedPatchVariant_ != s_.image.copies.layout.variant) {
        ui_.showMessage("The patch file was loaded for an " + std::string(variantName(loadedPatchVariant_)) +
                        " mouse; load it again for this " +
                        std::string(variantName(s_.image.copies.layout.variant)) + " mouse.");
        return OperationResult::FileRefused;
    }
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    ui_.showBusy();
    // A whole-image read since "Load BIN" refilled the patch copies from the mouse: take the file again.
    StorePatch(s_.image.copies, *loadedPatch_);
    writePatch();
    s_.presence.RestartDevice();
    return OperationResult::Done;
}

// --- engineering page ---

OperationResult ImageOperations::Btn_PatchCodeClick(const ChooseFile& dialog) {
    ui_.closeMenus();
    const auto chosen = choose(dialog);
    if (!chosen) return OperationResult::Cancelled;
    auto patch = ReadPatchFile(*chosen, s_.image.copies.layout);
    if (!patch) return refuse(patch.error);
    ui_.showBusy();
    StorePatch(s_.image.copies, *patch.value);
    writePatch();
    ui_.hideBusy();
    s_.presence.RestartDevice();
    return OperationResult::Done;
}

OperationResult ImageOperations::Btn_ImportBaseMacroClick(const ChooseFile& dialog) {
    ui_.closeMenus();
    const auto chosen = choose(dialog);
    if (!chosen) return OperationResult::Cancelled;
    const auto block = ReadBaseMacroFile(*chosen);
    if (!block) return refuse(block.error);
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.showBusy();

    auto& copy = s_.image.copies.macroBlock;
    copy = *block.value;
    call(hooks.macroBlockChanged);
    std::array<std::uint8_t, image::kMacroHalfLength> staging{};
    for (std::size_t half = 0; half < 2; ++half) {
        const std::size_t from = half * image::kMacroHalfLength;
        std::copy_n(copy.begin() + static_cast<std::ptrdiff_t>(from), staging.size(), staging.begin());
        s_.commands.BlockWrite(u16(image::kMacroOffset + from), u16(staging.size()), staging);
    }

    ui_.hideBusy();
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    return OperationResult::Done;
}

OperationResult ImageOperations::Btn_ImportGunMacroClick(const ChooseFile& dialog) {
    ui_.closeMenus();
    const auto chosen = choose(dialog);
    if (!chosen) return OperationResult::Cancelled;
    SectionCopies& c = s_.image.copies;
    const auto bodies = ReadGunMacroFile(*chosen, c.layout);
    if (!bodies) return refuse(bodies.error);
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.showBusy();

    StoreGunMacros(c, *bodies.value);
    s_.commands.BlockWrite(u16(c.layout.fireMacroAreaOffset), u16(c.fireMacroArea.size()), c.fireMacroArea);

    ui_.hideBusy();
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    return OperationResult::Done;
}

} // namespace krm
