#include "session/ImageOperations.h"

#include "image/DefaultImages.h"
#include "image/ImageFields.h"
#include "image/ImageFiles.h"
#include "macros/DeviceMacros.h"
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

std::string capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string hex(std::size_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03zX", v);
    return text;
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

bool ImageOperations::writeWholeImage() {
    return s_.commands().blockWrite(0, u16(kImageSize), s_.image().image);
}

bool ImageOperations::writePatch() {
    const auto& c = s_.image().copies;
    // The code is not sent after a patch block that did not go out: the two belong together.
    return s_.commands().blockWrite(u16(image::kPatchBlockOffset), u16(c.patchBlock.size()), c.patchBlock) &&
           s_.commands().blockWrite(u16(image::kPatchCodeOffset), u16(c.patchCode.size()), c.patchCode);
}

OperationResult ImageOperations::checkWritten(bool writeOk, const std::string& what, std::size_t offset,
                                              std::span<const std::uint8_t> sent) {
    std::string back;
    bool holdsIt = false;
    if (!s_.mouseOpen() || !s_.identified() || s_.presence().noDevice()) {
        back = "the mouse did not come back after its restart, so what it holds could not be checked";
    } else if (!s_.transfer().lastReadComplete()) {
        back = "the mouse came back but could not be read whole, so what it holds could not be checked";
    } else {
        const ConfigImage& now = s_.image().image;
        std::size_t differ = 0, first = 0;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (now[offset + i] == sent[i]) continue;
            if (differ++ == 0) first = offset + i;
        }
        holdsIt = differ == 0;
        back = holdsIt ? "yet the mouse, read again, holds it"
                       : "the mouse, read again, differs from it in " + std::to_string(differ) + " of " +
                             std::to_string(sent.size()) + " bytes (the first at " + hex(first) + ")";
    }
    if (writeOk && holdsIt) return OperationResult::Done;
    if (!writeOk) {
        ui_.showMessage(capitalized(what) +
                        " was not written to the mouse whole: sending it failed part-way; " + back + ".");
        return holdsIt ? OperationResult::Done : OperationResult::WriteFailed;
    }
    ui_.showMessage(capitalized(what) + " was sent to the mouse whole, but " + back + ".");
    return OperationResult::NotVerified;
}

// --- factory images ---

OperationResult ImageOperations::restore(int k) {
    if (k < 1 || k > 3) return OperationResult::NotReady;
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots().noDevice);
        return OperationResult::NoMouse;
    }
    s_.loadDefaultImages();
    const auto variant = s_.identified() ? variantFromName(s_.presence().chipModel()) : std::nullopt;
    const ConfigImage source = restoreSourceImage(s_.defaults(), variant, k);
    const bool written = restoreSteps(k);
    return checkWritten(written, "factory image " + std::to_string(k), 0, source);
}

bool ImageOperations::restoreSteps(int k) {
    s_.setRefreshGuard(true);
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    ui_.showBusy();

    s_.loadDefaultImages();
    const auto variant = s_.identified() ? variantFromName(s_.presence().chipModel()) : std::nullopt;
    const ConfigImage source = restoreSourceImage(s_.defaults(), variant, k);
    s_.transfer().replaceImage(source);
    // The restart and the read after it follow even when the write failed: they show what the mouse
    // holds now.
    const bool written = writeWholeImage();

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
    return written;
}

void ImageOperations::restoreFromEngineeringPage() {
    if (!s_.mouseOpen()) return;
    s_.notify([](SessionObserver& o) { o.engineeringRestoreRunning(true); });
    restoreSteps(1);
    s_.notify([](SessionObserver& o) { o.engineeringRestoreRunning(false); });
}

OperationResult ImageOperations::regenerateForLedType(const DefaultInputs& in) {
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    s_.setRefreshGuard(true);
    ui_.closeMenus();
    ui_.setPagesCovered(true);
    ui_.showBusy();

    s_.lighting().setLedType(in.ledType);
    regenerateDefaults(s_.image(), in);
    s_.reloadEditors();
    const ConfigImage sent = s_.image().image;
    const bool written = writeWholeImage();

    ui_.hideBusy();
    ui_.setPagesCovered(false);
    s_.setRefreshGuard(false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    s_.presence().restartDevice();
    return checkWritten(written, "the configuration for the new LED type", 0, sent);
}

// --- profile files ---

OperationResult ImageOperations::saveProfile(const ChooseFile& choose, BinSuffix suffix,
                                             const ConfigImage* readBefore) {
    auto chosen = chooseFile(choose, NeedsMouse::Yes);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    const std::string& name = std::get<std::string>(chosen);
    const std::string path = suffix == BinSuffix::AddWhenMissing ? saveFileName(name) : name;

    // An image that was not read whole, or does not hold together, would replace a good file of
    // that name with bytes the mouse does not hold.
    std::string problem;
    if (!s_.transfer().readImage())
        problem = "it was not read whole";
    else if (auto defect = imageDefect(s_.image()))
        problem = "what came back cannot be its image: " + *defect;
    else if (readBefore && *readBefore != s_.image().image)
        problem = "two reads in a row brought different bytes, so its replies cannot be trusted";
    if (!problem.empty()) {
        ui_.showMessage("The mouse's configuration could not be read (" + problem + "); \"" + path +
                        "\" was not written.");
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
    const ConfigImage sent = *file.value;
    const bool written = writeLoadedImage(sent);
    return checkWritten(written, "the profile file", 0, sent);
}

OperationResult ImageOperations::loadProfile(const ConfigImage& fileImage) {
    const GuardScope guard(s_);
    ui_.closeMenus();
    if (!s_.mouseOpen()) {
        ui_.showMessage(s_.textSlots().noDevice);
        return OperationResult::NoMouse;
    }
    if (fileImage[image::kMarkerOffset] != image::kMarker)
        return refuse({FileErrorKind::BadMarker, kLoadingBinError});
    const ConfigImage sent = fileImage;
    const bool written = writeLoadedImage(sent);
    return checkWritten(written, "the profile file", 0, sent);
}

bool ImageOperations::writeLoadedImage(const ConfigImage& fileImage) {
    if (fileImage[image::kMarkerOffset] != image::kMarker) return false;
    ui_.closeMenus();
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    // The copies take the repairs; the image keeps the file's bytes, and those are what the mouse gets.
    s_.transfer().replaceImage(fileImage);
    ui_.showBusy();
    const bool written = writeWholeImage();
    // A file may carry other USB ids: the mouse comes back under them.
    if (written) s_.mouseIdsChanged(s_.imageIds());
    s_.presence().restartDevice();
    return written;
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
    return writePatchAndRestart(false);
}

// --- engineering page ---

OperationResult ImageOperations::programPatchFile(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    auto patch = readPatchFile(std::get<std::string>(chosen), s_.image().copies.layout);
    if (!patch) return refuse(patch.error);
    ui_.showBusy();
    storePatch(s_.image().copies, *patch.value);
    return writePatchAndRestart(true);
}

OperationResult ImageOperations::writePatchAndRestart(bool hideBusy) {
    // What goes out: the patch block and the code right behind it (1008 .. 1024 + code length).
    const auto& c = s_.image().copies;
    std::vector<std::uint8_t> sent(c.patchBlock.begin(), c.patchBlock.end());
    sent.insert(sent.end(), c.patchCode.begin(), c.patchCode.end());
    const bool written = writePatch();
    if (hideBusy) ui_.hideBusy();
    s_.presence().restartDevice();
    return checkWritten(written, "the patch", image::kPatchBlockOffset, sent);
}

OperationResult ImageOperations::importMacroBlock(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    const auto block = readBaseMacroFile(std::get<std::string>(chosen));
    if (!block) return refuse(block.error);
    // The macros the file holds, packed as the mouse runs them (the page filler at byte 255, the start
    // addresses that follow from it): what the macro list shows is then what the mouse holds. A block
    // packed so already goes out unchanged.
    DeviceMacroTable table = DeviceMacroTable::parse(*block.value);
    const auto packed = table.pack();
    if (!packed)
        return refuse(
            {FileErrorKind::TooLarge, "The macros of \"" + std::get<std::string>(chosen) +
                                          "\" do not fit the mouse's 512 bytes once packed; nothing "
                                          "was sent."});
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.showBusy();

    auto& copy = s_.image().copies.macroBlock;
    copy = *packed;
    s_.reloadEditors();
    std::array<std::uint8_t, image::kMacroHalfLength> staging{};
    std::size_t written = 0;
    for (std::size_t half = 0; half < 2; ++half) {
        const std::size_t from = half * image::kMacroHalfLength;
        std::copy_n(copy.begin() + static_cast<std::ptrdiff_t>(from), staging.size(), staging.begin());
        if (!s_.transfer().blockWrite(image::kMacroOffset + from, staging, ImageTransfer::Carries::Nothing))
            break;
        written += staging.size();
    }

    ui_.hideBusy();
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    if (written == copy.size()) return OperationResult::Done;
    ui_.showMessage(
        "The macro block was not written to the mouse whole: " +
        std::string(written == 0 ? "bytes 0..255 did not reach it whole (their write failed or did not read "
                                   "back) and bytes 256..511 were not sent"
                                 : "bytes 0..255 were written, bytes 256..511 did not reach it whole") +
        ". The mouse may hold part of the new block; import it again.");
    return OperationResult::WriteFailed;
}

OperationResult ImageOperations::importGunMacros(const ChooseFile& choose) {
    auto chosen = chooseFile(choose, NeedsMouse::No);
    if (auto* ended = std::get_if<OperationResult>(&chosen)) return *ended;
    SectionCopies& c = s_.image().copies;
    const auto bodies = readGunMacroFile(std::get<std::string>(chosen), c.layout);
    if (!bodies) return refuse(bodies.error);
    if (!s_.transfer().copiesTrusted()) {
        // The area's other bytes (the R230B names) come from the last read, which was not whole.
        ui_.showMessage(std::string(kIncompleteReadMessage) + " The fire macros were not written.");
        return OperationResult::ReadFailed;
    }
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.showBusy();

    storeGunMacros(c, *bodies.value);
    // An area of bodies alone is the file's whole; the R230B's names in front come from the read.
    const auto carries =
        c.layout.firstBodyOffset == 0 ? ImageTransfer::Carries::Nothing : ImageTransfer::Carries::ReadBytes;
    const bool written = s_.transfer().blockWrite(c.layout.fireMacroAreaOffset, c.fireMacroArea, carries);

    ui_.hideBusy();
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    if (written) return OperationResult::Done;
    ui_.showMessage("The fire macros were not written to the mouse whole: the fire-macro area's write failed "
                    "or did not read back, so the mouse may hold part of them. Import them again.");
    return OperationResult::WriteFailed;
}

} // namespace krm
