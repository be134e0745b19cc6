#include "session/ImageOperations.h"

#include "image/DefaultImages.h"
#include "image/ImageFiles.h"
#include "session/Session.h"

#include <algorithm>
#include <array>

namespace krm {

namespace {

// Sets the refresh guard for a scope and clears it on every way out.
class GuardScope {
public:
    explicit GuardScope(Session& s) : s_(s) { s_.setRefreshGuard(true); }
    ~GuardScope() { s_.setRefreshGuard(false); }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    Session& s_;
};

std::uint16_t u16(std::size_t v) {
    return static_cast<std::uint16_t>(v);
}

} // namespace

ImageOperations::ImageOperations(Session& session, UiPort& ui) : s_(session), ui_(ui) {}

std::variant<std::string, OperationResult> ImageOperations::chooseFile(const ChooseFile& choose,
                                                                       NeedsMouse needsMouse) {
    ui_.closeMenus();
    if (needsMouse == NeedsMouse::Yes && !s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots().noDevice);
        return OperationResult::NoMouse;
    }
    auto chosen = choose ? choose() : std::nullopt;
    if (!chosen) return OperationResult::Cancelled;
    return std::move(*chosen);
}

OperationResult ImageOperations::refuse(const FileError& error) {
    ui_.showMessage(error.message);
    return OperationResult::FileRefused;
}

void ImageOperations::writeWholeImage() {
    s_.commands().blockWrite(0, u16(kImageSize), s_.image().image);
}

void ImageOperations::writePatch() {
    const auto& c = s_.image().copies;
    s_.commands().blockWrite(u16(image::kPatchBlockOffset), u16(c.patchBlock.size()), c.patchBlock);
    s_.commands().blockWrite(u16(image::kPatchCodeOffset), u16(c.patchCode.size()), c.patchCode);
}

// --- factory images ---

OperationResult ImageOperations::restore(int k) {
    if (k < 1 || k > 3) return OperationResult::NotReady;
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots().noDevice);
        return OperationResult::NoMouse;
    }
    restoreSteps(k);
    return OperationResult::Done;
}

void ImageOperations::restoreSteps(int k) {
    s_.setRefreshGuard(true);
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    ui_.showBusy();

    s_.loadDefaultImages();
    const auto variant = s_.identified() ? variantFromName(s_.presence().chipModel()) : std::nullopt;
    const ConfigImage source = restoreSourceImage(s_.defaults(), variant, k);
    s_.transfer().replaceImage(source);
    writeWholeImage();

    auto release = [this](bool uncover) {
        ui_.hideBusy();
        if (uncover) ui_.setPagesCovered(false);
        ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
        ui_.setTimerEnabled(UiTimer::DevTimer, true);
        s_.setRefreshGuard(false);
    };
    if (k == 1) {
        // The window stays guarded until the mouse has come back and been read.
        s_.presence().restartDevice();
        release(true);
    } else {
        release(false);
        s_.presence().restartDevice();
    }
}

void ImageOperations::restoreFromEngineeringPage() {
    if (!s_.mouseOpen()) return;
    s_.notify([](SessionObserver& o) { o.engineeringRestoreRunning(true); });
    restoreSteps(1);
    s_.notify([](SessionObserver& o) { o.engineeringRestoreRunning(false); });
}

void ImageOperations::regenerateForLedType(const DefaultInputs& in) {
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    s_.setRefreshGuard(true);
    ui_.closeMenus();
    ui_.setPagesCovered(true);
    ui_.showBusy();

    s_.lighting().setLedType(in.ledType);
    regenerateDefaults(s_.image(), in);
    s_.reloadEditors();
    writeWholeImage();

    ui_.hideBusy();
    ui_.setPagesCovered(false);
    s_.setRefreshGuard(false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    s_.presence().restartDevice();
}

// --- profile files ---

OperationResult ImageOperations::saveProfile(const ChooseFile& choose, BinSuffix suffix) {
    auto chosen = chooseFile(choose, NeedsMouse::Yes);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    const std::string& name = std::get<std::string>(chosen);
    const std::string path = suffix == BinSuffix::AddWhenMissing ? saveFileName(name) : name;

    s_.transfer().readImage();
    // A failed read leaves 0xFF where the marker belongs; such a file could never be loaded back, and
    // writing it would replace a good file of that name.
    if (s_.image().image[image::kMarkerOffset] != image::kMarker) {
        ui_.showMessage("The mouse's configuration could not be read; \"" + path + "\" was not written.");
        return OperationResult::ReadFailed;
    }
    if (auto error = writeProfileFile(path, s_.image().image)) return refuse(*error);
    return OperationResult::Done;
}

OperationResult ImageOperations::loadProfileFile(const ChooseFile& choose) {
    const GuardScope guard(s_);
    auto chosen = chooseFile(choose, NeedsMouse::Yes);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    const auto file = readProfileFile(std::get<std::string>(chosen));
    if (!file) return refuse(file.error);
    writeLoadedImage(*file.value);
    return OperationResult::Done;
}

OperationResult ImageOperations::loadProfile(const ConfigImage& fileImage) {
    const GuardScope guard(s_);
    ui_.closeMenus();
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots().noDevice);
        return OperationResult::NoMouse;
    }
    if (!writeLoadedImage(fileImage)) return refuse({FileErrorKind::BadMarker, kLoadingBinError});
    return OperationResult::Done;
}

bool ImageOperations::writeLoadedImage(const ConfigImage& fileImage) {
    if (fileImage[image::kMarkerOffset] != image::kMarker) return false;
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    // The copies take the repairs; the image keeps the file's bytes, and those are what the mouse gets.
    s_.transfer().replaceImage(fileImage);
    ui_.showBusy();
    writeWholeImage();
    s_.presence().restartDevice();
    return true;
}

OperationResult ImageOperations::exportMacroBlock(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    if (auto error =
            writeMacroBlockFile(saveFileName(std::get<std::string>(chosen)), s_.image().copies.macroBlock))
        return refuse(*error);
    return OperationResult::Done;
}

// --- update page ---

void ImageOperations::updatePageOpened() {
    loadedPatch_.reset();
}

OperationResult ImageOperations::loadPatchFile(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    binPath_ = std::get<std::string>(chosen);
    // A file that cannot supply the whole patch is refused; a BIN loaded before is dropped with it,
    // so that "Program" cannot send something other than the file the label names.
    loadedPatch_.reset();
    const ImageLayout& layout = s_.image().copies.layout;
    auto patch = readPatchFile(binPath_, layout);
    if (!patch) return refuse(patch.error);
    storePatch(s_.image().copies, *patch.value);
    loadedPatch_ = std::move(*patch.value);
    loadedPatchVariant_ = layout.variant;
    return OperationResult::Done;
}

OperationResult ImageOperations::programPatch() {
    if (!s_.mouseOpen() || !loadedPatch_) return OperationResult::NotReady;
    if (loadedPatchVariant_ != s_.image().copies.layout.variant) {
        ui_.showMessage("The patch file was loaded for an " + std::string(variantName(loadedPatchVariant_)) +
                        " mouse; load it again for this " +
                        std::string(variantName(s_.image().copies.layout.variant)) + " mouse.");
        return OperationResult::FileRefused;
    }
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    ui_.showBusy();
    // A whole-image read since "Load BIN" refilled the patch copies from the mouse: take the file again.
    storePatch(s_.image().copies, *loadedPatch_);
    writePatch();
    s_.presence().restartDevice();
    return OperationResult::Done;
}

// --- engineering page ---

OperationResult ImageOperations::programPatchFile(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    auto patch = readPatchFile(std::get<std::string>(chosen), s_.image().copies.layout);
    if (!patch) return refuse(patch.error);
    ui_.showBusy();
    storePatch(s_.image().copies, *patch.value);
    writePatch();
    ui_.hideBusy();
    s_.presence().restartDevice();
    return OperationResult::Done;
}

OperationResult ImageOperations::importMacroBlock(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    const auto block = readBaseMacroFile(std::get<std::string>(chosen));
    if (!block) return refuse(block.error);
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.showBusy();

    auto& copy = s_.image().copies.macroBlock;
    copy = *block.value;
    s_.reloadEditors();
    std::array<std::uint8_t, image::kMacroHalfLength> staging{};
    for (std::size_t half = 0; half < 2; ++half) {
        const std::size_t from = half * image::kMacroHalfLength;
        std::copy_n(copy.begin() + static_cast<std::ptrdiff_t>(from), staging.size(), staging.begin());
        s_.commands().blockWrite(u16(image::kMacroOffset + from), u16(staging.size()), staging);
    }

    ui_.hideBusy();
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    return OperationResult::Done;
}

OperationResult ImageOperations::importGunMacros(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    SectionCopies& c = s_.image().copies;
    const auto bodies = readGunMacroFile(std::get<std::string>(chosen), c.layout);
    if (!bodies) return refuse(bodies.error);
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.showBusy();

    storeGunMacros(c, *bodies.value);
    s_.commands().blockWrite(u16(c.layout.fireMacroAreaOffset), u16(c.fireMacroArea.size()), c.fireMacroArea);

    ui_.hideBusy();
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    return OperationResult::Done;
}

} // namespace krm
