#include "session/Session.h"

#include "base/Bits.h"
#include "image/ImageFields.h"
#include "image/SectionDefaults.h"
#include "session/ImageOperations.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace krm {

Session::Session(HidBackend& hid, Clock& clock, UiPort& ui, Branding brandingRecord)
    : ui_(ui), branding_(std::move(brandingRecord)),
      image_(ImageState::forVariant(branding_.defaultVariant())), link_(hid), commands_(link_, clock, ui),
      presence_(commands_, clock, ui), buttonEvents_(commands_, clock, ui),
      transfer_(commands_, ui, image_, refreshGuard_),
      fire_(
          editorState_, image_.copies, assignments_, languages_, [this] { return refreshGuard_; },
          branding_.gun6Stages, branding_.gun7Stages),
      lighting_(editorState_, languages_, [this] { return refreshGuard_; }),
      macros_(
          editorState_, languages_, [this] { return refreshGuard_; },
          [this]() -> const SectionCopies& { return image_.copies; }),
      assignments_(editorState_, languages_, [this] { return refreshGuard_; }),
      dpi_(image_.copies, [this] { return refreshGuard_; }),
      sniper_(image_.copies, editorState_, assignments_, [this] { return refreshGuard_; }),
      engineering_([this] { return refreshGuard_; },
                   [this]() -> const SectionCopies& { return image_.copies; }),
      reader_(
          hid,
          [this] {
              return InputReader::Source{link_.inputHandle(), link_.inputReportLength()};
          },
          [this](std::span<const std::uint8_t> report) { buttonEvents_.onInputReport(report); }) {
    languages_.setLanguage(1);
    textSlots_.refresh(languages_);
    editorState_.variant = image_.copies.layout.variant;
    editors_ = {
        static_cast<Editor*>(&fire_), &lighting_, &macros_, &assignments_, &dpi_, &sniper_, &engineering_};
    dpi_.setTexts(languages_);
    sniper_.setTexts(languages_);
    wireDevice();
}

Session::~Session() {
    stopInputReader();
}

void Session::addObserver(SessionObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Session::removeObserver(SessionObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Session::wireDevice() {
    presence_.acceptedVariants = branding_.icConfigType;
    presence_.texts = &languages_;
    link_.onHandlesChanged = [this] { reader_.sourceChanged(); };

    presence_.hooks.layoutChanged = [this](const ImageLayout& layout) {
        if (image_.copies.layout.variant != layout.variant) image_ = ImageState::forVariant(layout.variant);
        editorState_.variant = layout.variant;
    };
    presence_.hooks.readImage = [this] { transfer_.readImage(); };
    presence_.hooks.resetToStart = [this] {
        page_ = Page::Profile1;
        assignments_.setCurrentProfile(1);
        notify([](SessionObserver& o) { o.pagesReset(); });
    };
    presence_.hooks.deviceForgotten = [this] {
        for (Editor* e : editors_) e->deviceLost();
    };
    presence_.hooks.heldElsewhere = [this](const LockHolder& holder) {
        ui_.showMessage(heldMessage(holder));
    };

    transfer_.hooks.defaultInputs = [this] { return lighting_.defaultInputs(); };
    transfer_.hooks.imageReplaced = [this] {
        presence_.deviceIdTable.entries[2] = imageIds();
        reloadEditors();
    };
    transfer_.hooks.imageRead = [this] {
        page_ = Page::Profile1;
        assignments_.setCurrentProfile(1);
        notify([](SessionObserver& o) { o.imageRead(); });
    };
    transfer_.hooks.clearNoDevice = [this] { presence_.setNoDevice(false); };

    buttonEvents_.setIndicator = [this](Indicator which, bool ticked) {
        notify([&](SessionObserver& o) { o.indicatorChanged(which, ticked); });
    };
    buttonEvents_.eventArrived = [this](std::uint8_t code) {
        notify([code](SessionObserver& o) { o.buttonEvent(code); });
    };
    buttonEvents_.dpiLevelChanged = [this](std::uint8_t level) {
        dpi_.currentChangedByMouse(level);
        notify([&](SessionObserver& o) { o.dpiLevelChangedByMouse(level); });
    };
    buttonEvents_.rereadFailed = [this](Indicator which) {
        notify([&](SessionObserver& o) { o.mouseSwitchUnread(which); });
    };
    buttonEvents_.profileChanged = [this](std::uint8_t value) {
        const int profile = std::clamp(value & 0x0F, 0, 2) + 1;
        image_.copies.user[0] = value; // the mouse's own byte, as read back
        page_ = static_cast<Page>(profile);
        assignments_.setCurrentProfile(profile);
        notify([&](SessionObserver& o) { o.profileChangedByMouse(profile); });
    };
}

void Session::reloadEditors() {
    for (Editor* e : editors_) e->loadFromCopies(image_.copies);
    notify([](SessionObserver& o) { o.editorsReloaded(); });
}

DeviceIdTable::Entry Session::copyIds() const {
    const auto& v = image_.copies.vendor;
    return {readBe16(v, 0), readBe16(v, 2)};
}

DeviceIdTable::Entry Session::imageIds() const {
    // The raw bytes: a loaded file whose vendor section was repaired in the copies still gives the
    // mouse the ids it carries.
    return {readBe16(image_.image, 0), readBe16(image_.image, 2)};
}

std::string Session::udevMessage(DeviceIdTable::Entry ids) {
    char pair[16];
    std::snprintf(pair, sizeof pair, "%04X:%04X", ids.vendorId & 0xFFFF, ids.productId & 0xFFFF);
    return std::string("The mouse takes the USB ids ") + pair +
           " when it starts again, and is looked for under them. To reach it there without root, the udev "
           "rule must list them: add this line to /etc/udev/rules.d/70-krm-mouse.rules, then run "
           "\"sudo udevadm control --reload-rules\" and replug the mouse:\n" +
           DeviceIdTable::udevRule(ids) +
           "\nLater runs look for it under these ids when started with --ids " + pair + ".";
}

void Session::mouseIdsChanged(std::optional<DeviceIdTable::Entry> given) {
    const DeviceIdTable::Entry ids = given.value_or(copyIds());
    auto& table = presence_.deviceIdTable;
    table.entries[2] = ids;
    const bool standard = ids == table.entries[0] ||
                          ids == DeviceIdTable::Entry{DeviceIdTable::kVendorId, DeviceIdTable::kProductId};
    if (standard || ids.vendorId == 0 || ids.productId == 0 || ids == announcedIds_) return;
    announcedIds_ = ids;
    ui_.showMessage(udevMessage(ids));
}

void Session::loadDefaultImages() {
    const UsbIds ids = krm::loadDefaultImages(defaults_, branding_.icConfigType);
    presence_.deviceIdTable.entries[1] = {ids.vendorId, ids.productId};
}

void Session::setDeviceIdEntry0() {
    presence_.deviceIdTable.entries[0] = {0x3A7E, 0x0C51};
}

void Session::startInputReader() {
    reader_.start();
}
void Session::stopInputReader() {
    reader_.stop();
}

void Session::closeDevice() {
    link_.reset();
}

bool Session::mouseOpen() const {
    return link_.commandHandle() != kInvalidHandle && link_.queryHandle() != kInvalidHandle;
}

bool Session::connectNow() {
    presence_.refind();
    return mouseOpen() && identified() && !presence_.noDevice();
}

void Session::setLanguage(int language) {
    languages_.setLanguage(language);
    textSlots_.refresh(languages_);
    for (Editor* e : editors_) e->setTexts(languages_);
}

Session::PageClick Session::clickPage(Page target) {
    if (!mouseOpen()) return PageClick::NoMouse;
    if (presence_.noDevice()) return PageClick::Ignored;
    if (isProfilePage(target) && refreshGuard_) return PageClick::Ignored;
    if (isProfilePage(target) && !transfer_.copiesTrusted()) {
        // The profile's bytes would come from a read that was not whole.
        ui_.showMessage(textSlots_.writeFailures[2]);
        return PageClick::Ignored;
    }
    if (isProfilePage(target) && !selectProfile(static_cast<int>(target))) return PageClick::Ignored;
    page_ = target;
    return PageClick::Shown;
}

int Session::buttonEffectItem() const {
    if (!branding_.beEnable) return 0;
    return buttonEffectIndex(image_.copies.user[user::kButtonEffect]).value_or(0);
}

bool Session::profileByteCut() const {
    return (image_.copies.user[0] & 0x0F) > 2;
}

std::string Session::heldMessage(const LockHolder& holder) const {
    std::string text = languages_.text("Str940");
    const std::string program = holder.program.empty() ? languages_.text("Str941") : holder.program;
    const std::string pid = holder.pid > 0 ? std::to_string(holder.pid) : "?";
    for (const auto& [mark, value] : {std::pair{"%1", program}, std::pair{"%2", pid}})
        if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, 2, value);
    return text;
}

int Session::mouseProfile() const {
    return std::clamp(image_.copies.user[0] & 0x0F, 0, 2) + 1;
}

bool Session::selectProfile(int profile) {
    const int p = std::clamp(profile, 1, 3) - 1;
    const int colourItem = lighting_.currentProfileColourItem();
    const auto buttonEffect = static_cast<std::uint8_t>(buttonEffectItem());
    std::uint8_t a7 = buttonEffect, a8 = 0, aa = 0, a4 = 0;
    if (p == 1) {
        if (branding_.gdEnable) a7 = static_cast<std::uint8_t>(a7 + 4);
        a8 = 15;
        aa = static_cast<std::uint8_t>(image_.copies.layout.fireMacroBodySize);
        a4 = branding_.gdEnable || colourItem == 10 ? 241 : static_cast<std::uint8_t>(colourItem * 16 + 1);
    } else {
        a4 = colourItem == 10 ? static_cast<std::uint8_t>(240 + p)
                              : static_cast<std::uint8_t>(colourItem * 16 + p);
    }
    // Single writes of their own, 0xA4 last: the profile changes only when the mouse took them all.
    const std::pair<std::uint8_t, std::uint8_t> writes[] = {
        {0xA7, a7}, {0xA8, a8}, {0xA9, 0}, {0xAA, aa}, {0xA4, a4}};
    for (const auto& [address, value] : writes) {
        if (commands_.writeImageByte(address, value, 0, 0, 1)) continue;
        ui_.showMessage(textSlots_.writeFailures[0]);
        return false;
    }
    image_.copies.user[0] = static_cast<std::uint8_t>(p == 1 ? 241 : p);
    page_ = static_cast<Page>(p + 1);
    assignments_.setCurrentProfile(p + 1);
    notify([p](SessionObserver& o) { o.profileSelected(p + 1); });
    return true;
}

void Session::storeAtImageOffset(std::size_t offset, std::span<const std::uint8_t> bytes) {
    auto& c = image_.copies;
    auto put = [&](std::span<std::uint8_t> section, std::size_t sectionOffset) {
        if (offset < sectionOffset || offset + bytes.size() > sectionOffset + section.size()) return false;
        std::copy(bytes.begin(), bytes.end(),
                  section.begin() + static_cast<std::ptrdiff_t>(offset - sectionOffset));
        return true;
    };
    if (put(c.fireMacroArea, c.layout.fireMacroAreaOffset)) {
        splitFireMacroArea(c); // the bodies are what the editors and the dump read
        return;
    }
    if (put(c.vendor, image::kVendorOffset) || put(c.user, image::kUserOffset) ||
        put(c.fireKey, image::kFireKeyOffset) || put(c.macroBlock, image::kMacroOffset) ||
        put(c.patchBlock, image::kPatchBlockOffset))
        return;
    for (int p = 1; p <= 3; ++p)
        if (put(c.profiles[static_cast<std::size_t>(p - 1)], image::profileOffset(p))) return;
}

namespace {

bool sendsToMouse(const EditRequest& r) {
    return r.kind != EditRequest::Kind::Store;
}

// A write of one report: when it fails, the mouse has taken none of it.
bool singleReport(const EditRequest& r) {
    return r.kind == EditRequest::Kind::WriteThrough || r.kind == EditRequest::Kind::WriteQuad ||
           r.kind == EditRequest::Kind::XDataWrite;
}

// A restart reads the mouse again by itself when it comes back.
bool restarts(const EditRequest& r) {
    return r.kind == EditRequest::Kind::Restart || r.kind == EditRequest::Kind::RegenerateForLedType;
}

std::string hex(std::size_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*zX", digits, value);
    return text;
}

// What a request that failed had to write, in krmctl's words.
std::string describe(const EditRequest& r) {
    using K = EditRequest::Kind;
    switch (r.kind) {
    case K::Store:
        break;
    case K::WriteThrough:
        return r.bytes.size() == 1
                   ? "image byte " + hex(r.offset, 2)
                   : "image bytes " + hex(r.offset, 2) + ".." + hex(r.offset + r.bytes.size() - 1, 2);
    case K::WriteQuad:
        return "the 4-byte code at image address " + hex(r.offset, 2);
    case K::BlockWrite:
        return "the " + std::to_string(r.bytes.size()) + "-byte block at image offset " + hex(r.offset, 3);
    case K::ProfileRewrite:
        return r.withFireMacroArea  ? "the three profiles, the fire-key block and the fire-macro area"
               : r.withFireKeyBlock ? "the three profiles and the fire-key block"
                                    : "the three profiles";
    case K::UserSectionRewrite:
        return "the user section";
    case K::VendorSectionRewrite:
        return "the vendor section";
    case K::Restart:
        return "the restart command";
    case K::XDataWrite:
        return "XDATA byte " + hex(r.offset, 4);
    case K::RegenerateForLedType:
        return "the configuration for the new LED type";
    }
    return "the change";
}

} // namespace

bool Session::carryOut(const EditRequest& r) {
    // While the window is filled from an image the requests store only; the shared paths send
    // nothing then.
    const bool guarded = refreshGuard_;
    switch (r.kind) {
    case EditRequest::Kind::Store:
        storeAtImageOffset(r.offset, r.bytes);
        return true;
    case EditRequest::Kind::WriteThrough:
        storeAtImageOffset(r.offset, r.bytes);
        return transfer_.writeThrough(static_cast<std::uint8_t>(r.offset), r.bytes) || guarded;
    case EditRequest::Kind::WriteQuad:
        storeAtImageOffset(r.offset, r.bytes);
        return r.bytes.size() == 4 &&
               (transfer_.writeQuad(static_cast<std::uint8_t>(r.offset),
                                    std::span<const std::uint8_t, 4>(r.bytes.data(), 4)) ||
                guarded);
    case EditRequest::Kind::BlockWrite:
        storeAtImageOffset(r.offset, r.bytes);
        return transfer_.blockWrite(r.offset, r.bytes) || guarded;
    case EditRequest::Kind::ProfileRewrite:
        return transfer_.profileRewrite(r.withFireKeyBlock, r.withFireMacroArea);
    case EditRequest::Kind::UserSectionRewrite:
        return transfer_.userSectionRewrite();
    case EditRequest::Kind::VendorSectionRewrite:
        return transfer_.vendorSectionRewrite();
    case EditRequest::Kind::Restart:
        return guarded || presence_.restartDevice();
    case EditRequest::Kind::XDataWrite:
        return guarded ||
               (!r.bytes.empty() && commands_.xdataWrite(static_cast<std::uint16_t>(r.offset), r.bytes[0]));
    case EditRequest::Kind::RegenerateForLedType:
        return guarded || ImageOperations(*this, ui_).regenerateForLedType(lighting_.defaultInputs()) ==
                              OperationResult::Done;
    }
    return false;
}

EditOutcome Session::apply(EditOutcome outcome) {
    using Failure = EditOutcome::WriteFailure;
    if (outcome.refused) return outcome;
    const auto& requests = outcome.requests;
    const bool sends = !refreshGuard_ && std::any_of(requests.begin(), requests.end(), sendsToMouse);
    if (sends && !transfer_.copiesTrusted()) {
        // Nothing is stored either: the editor that asked goes back to the copies.
        outcome.failure = Failure::NotTrusted;
        outcome.failedWrite = "the change (the mouse's configuration was not read whole)";
        outcome.message = textSlots_.writeFailures[2];
        reloadEditors();
        ui_.showMessage(*outcome.message);
        return outcome;
    }
    const bool blocks = sends && std::any_of(requests.begin(), requests.end(), [](auto& r) {
                            return r.kind == EditRequest::Kind::BlockWrite ||
                                   (r.kind == EditRequest::Kind::ProfileRewrite && r.withFireMacroArea);
                        });
    if (blocks) {
        ui_.setTimerEnabled(UiTimer::DevTimer, false);
        ui_.setPagesCovered(true);
        ui_.showBusy();
    }
    // Only an outcome that sends can fail; one that only stores (as every editor does while the window
    // is filled from an image) needs no copy to go back to.
    std::optional<SectionCopies> before;
    if (sends) before = image_.copies;
    const EditRequest* failed = nullptr;
    bool anySent = false, idsWritten = false;
    for (const EditRequest& r : requests) {
        if (!carryOut(r)) {
            failed = &r;
            break;
        }
        anySent = anySent || (sendsToMouse(r) && !refreshGuard_);
        // A write that reached the USB ids (image bytes 0..3) changes where the mouse is found after
        // its next start, the restart that may follow in this outcome included.
        const bool written = r.kind == EditRequest::Kind::WriteThrough ||
                             r.kind == EditRequest::Kind::WriteQuad ||
                             r.kind == EditRequest::Kind::BlockWrite;
        if (written && !refreshGuard_ && r.offset < 4) {
            presence_.deviceIdTable.entries[2] = copyIds();
            idsWritten = true;
        }
    }
    if (idsWritten) mouseIdsChanged();
    if (failed) {
        outcome.failedWrite = describe(*failed);
        bool restore = true;
        if (restarts(*failed)) {
            // The restart found and read the mouse again (or lost it, and the pages say so): the
            // copies are what that read brought.
            outcome.failure = transfer_.copiesTrusted() ? Failure::ReadAgain : Failure::NotReadAgain;
            restore = false;
        } else if (!anySent && singleReport(*failed)) {
            outcome.failure = Failure::NotTaken;
        } else if (transfer_.readAgain()) {
            outcome.failure = Failure::ReadAgain;
            restore = false;
        } else {
            // A part of the change may have reached the mouse: until it is read again, nothing more
            // is written to it.
            outcome.failure = Failure::NotReadAgain;
            transfer_.distrustCopies();
        }
        if (restore && before) {
            image_.copies = std::move(*before);
            reloadEditors();
        }
        outcome.message = textSlots_.writeFailures[outcome.failure == Failure::NotReadAgain ? 1 : 0];
        // A failed regeneration has said what it found itself.
        if (failed->kind != EditRequest::Kind::RegenerateForLedType) ui_.showMessage(*outcome.message);
    }
    if (blocks) {
        ui_.hideBusy();
        ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
        ui_.setTimerEnabled(UiTimer::DevTimer, true);
        ui_.setPagesCovered(false);
    }
    if (outcome.followup == Followup::ReloadEditors && !failed) reloadEditors();
    if (sends) notify([](SessionObserver& o) { o.changesApplied(); });
    return outcome;
}

} // namespace krm
