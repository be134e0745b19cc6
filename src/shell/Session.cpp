#include "shell/Session.h"

#include "image/ImageFields.h"
#include "image/SectionDefaults.h"

#include <algorithm>

namespace krm {

Session::Session(HidBackend& hid, Clock& clock, UiPort& ui, Branding brandingRecord)
    : branding(std::move(brandingRecord)),
      image(ImageState::forVariant(branding.defaultVariant())),
      link(hid),
      commands(link, clock, ui),
      presence(commands, clock, ui),
      buttonEvents(commands, clock, ui),
      transfer(commands, ui, image, refreshGuard),
      assignments(editor, languages, [this] { return refreshGuard; }),
      hid_(hid),
      clock_(clock),
      ui_(ui),
      reader_(
          hid, [this] { return InputReader::Source{link.inputHandle(), link.inputReportLength()}; },
          [this](std::span<const std::uint8_t> report) { buttonEvents.onInputReport(report); }) {
    languages.setLanguage(1);
    textSlots.refresh(languages);
    editor.variant = image.copies.layout.variant;
    wireDevice();
}

Session::~Session() { stopInputReader(); }

void Session::wireDevice() {
    presence.IC_Config_Type = branding.IC_Config_Type;
    presence.texts = &languages;
    link.onHandlesChanged = [this] { reader_.sourceChanged(); };

    presence.hooks.layoutChanged = [this](const ImageLayout& layout) {
        if (image.copies.layout.variant != layout.variant) image = ImageState::forVariant(layout.variant);
        editor.variant = layout.variant;
    };
    presence.hooks.Btn_Read = [this] { transfer.Btn_Read(); };
    presence.hooks.RefreshErrorAP = [this] {
        page_ = Page::Profile1;
        assignments.setCurrentProfile(1);
        if (view_) view_->RefreshErrorAP();
    };
    presence.hooks.clearMacroLists = [this] {
        if (view_) view_->clearMacroLists();
    };

    transfer.hooks.defaultInputs = [this] { return DefaultInputs{ledType, std::nullopt}; };
    transfer.hooks.DataBufToUI = [this] {
        // Fire-key names are matched against the slots of the fire-key block.
        for (int k = 1; k <= 3; ++k) {
            const FireKeyBlockSlot slot = ReadFireKeySlot(image.copies.fireKey, k);
            auto& editorSlot = editor.fireKeys[static_cast<std::size_t>(k - 1)];
            editorSlot.count = slot.repeat;
            editorSlot.interval = slot.interval;
        }
        // The copies, not the image, hold what validation repaired: take the codes from them.
        ConfigImage packed = image.image;
        PackImage(image.copies, packed);
        assignments.loadFromImage(packed);
        if (view_) view_->DataBufToUI();
    };
    transfer.hooks.showFirstPage = [this] {
        page_ = Page::Profile1;
        assignments.setCurrentProfile(1);
        if (view_) view_->showFirstPage();
    };
    transfer.hooks.clearNoDevice = [this] { presence.setNoDevice(false); };

    buttonEvents.setIndicator = [this](Indicator which, bool ticked) {
        if (view_) view_->setIndicator(which, ticked);
    };
    buttonEvents.RefreshCurrentDPIStatus = [this](std::uint8_t level) {
        if (view_) view_->showCurrentDpiLevel(level);
    };
    buttonEvents.RefreshCurrentProfileStatus = [this](std::uint8_t value) {
        const int profile = std::clamp(value & 0x0F, 0, 2) + 1;
        page_ = static_cast<Page>(profile);
        assignments.setCurrentProfile(profile);
        if (view_) view_->showProfile(profile);
    };
}

void Session::loadDefaultImages() {
    const UsbIds ids = LoadDefaultImages(defaults, branding.IC_Config_Type);
    presence.deviceIdTable.entries[1] = {ids.vendorId, ids.productId};
}

void Session::setDeviceIdEntry0() { presence.deviceIdTable.entries[0] = {0x3A7E, 0x0C51}; }

void Session::startInputReader() { reader_.start(); }
void Session::stopInputReader() { reader_.stop(); }

void Session::closeDevice() { link.reset(); }

bool Session::mouseOpen() const {
    return link.commandHandle() != kInvalidHandle && link.queryHandle() != kInvalidHandle;
}

bool Session::connectNow() {
    presence.ReFindDev();
    return mouseOpen() && identified() && !presence.noDevice();
}

void Session::setLanguage(int language) {
    languages.setLanguage(language);
    textSlots.refresh(languages);
    assignments.setTexts(languages);
}

Session::PageClick Session::clickPage(Page target) {
    if (!mouseOpen()) return PageClick::NoMouse;
    if (presence.noDevice()) return PageClick::Ignored;
    const bool profilePage = target == Page::Profile1 || target == Page::Profile2 || target == Page::Profile3;
    if (profilePage && refreshGuard) return PageClick::Ignored;
    page_ = target;
    if (profilePage) selectProfile(static_cast<int>(target));
    return PageClick::Shown;
}

int Session::currentProfileColourItem() const {
    // The engineering current-profile colour list follows the profile colour of byte 0xA4.
    return ProfileColourIndex(image.copies.user[user::kProfileAndColour]).value_or(0);
}

int Session::buttonEffectItem() const {
    if (!branding.BE_Enable) return 0;
    return ButtonEffectIndex(image.copies.user[user::kButtonEffect]).value_or(0);
}

void Session::selectProfile(int profile) {
    const int p = std::clamp(profile, 1, 3) - 1;
    const int colourItem = currentProfileColourItem();
    const auto buttonEffect = static_cast<std::uint8_t>(buttonEffectItem());
    std::uint8_t a7 = buttonEffect, a8 = 0, aa = 0, a4 = 0;
    if (p == 1) {
        if (branding.GD_Enable) a7 = static_cast<std::uint8_t>(a7 + 4);
        a8 = 15;
        aa = static_cast<std::uint8_t>(image.copies.layout.fireMacroBodySize);
        a4 = branding.GD_Enable || colourItem == 10 ? 241 : static_cast<std::uint8_t>(colourItem * 16 + 1);
    } else {
        a4 = colourItem == 10 ? static_cast<std::uint8_t>(240 + p) : static_cast<std::uint8_t>(colourItem * 16 + p);
    }
    // These are single writes of their own: the page changes whether or not the mouse took them.
    commands.WriteImageByte(0xA7, a7, 0, 0, 1);
    commands.WriteImageByte(0xA8, a8, 0, 0, 1);
    commands.WriteImageByte(0xA9, 0, 0, 0, 1);
    commands.WriteImageByte(0xAA, aa, 0, 0, 1);
    commands.WriteImageByte(0xA4, a4, 0, 0, 1);
    image.copies.user[0] = static_cast<std::uint8_t>(p == 1 ? 241 : p);
    page_ = static_cast<Page>(p + 1);
    assignments.setCurrentProfile(p + 1);
}

void Session::storeAtImageOffset(std::size_t offset, std::span<const std::uint8_t> bytes) {
    auto& c = image.copies;
    auto put = [&](std::span<std::uint8_t> section, std::size_t sectionOffset) {
        if (offset < sectionOffset || offset + bytes.size() > sectionOffset + section.size()) return false;
        std::copy(bytes.begin(), bytes.end(), section.begin() + static_cast<std::ptrdiff_t>(offset - sectionOffset));
        return true;
    };
    if (put(c.vendor, image::kVendorOffset) || put(c.user, image::kUserOffset) || put(c.fireKey, image::kFireKeyOffset))
        return;
    for (int p = 1; p <= 3; ++p)
        if (put(c.profiles[static_cast<std::size_t>(p - 1)], image::profileOffset(p))) return;
}

EditOutcome Session::apply(EditOutcome outcome) {
    if (outcome.refused) return outcome;
    for (const EditRequest& r : outcome.requests) {
        switch (r.kind) {
        case EditRequest::Kind::StoreCode: storeAtImageOffset(r.offset, r.bytes); break;
        case EditRequest::Kind::WriteComboKey: transfer.writeQuad(static_cast<std::uint8_t>(r.offset), r.bytes); break;
        case EditRequest::Kind::ProfileRewrite: transfer.profileRewrite(); break;
        case EditRequest::Kind::VendorSectionRewrite: transfer.vendorSectionRewrite(); break;
        }
    }
    return outcome;
}

} // namespace krm
