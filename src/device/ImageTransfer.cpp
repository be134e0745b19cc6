#include "device/ImageTransfer.h"

#include "image/ImageFields.h"
#include "image/SectionDefaults.h"

#include <algorithm>
#include <array>
#include <vector>

namespace krm {

namespace {
template <typename F> void call(const F& fn) {
    if (fn) fn();
}
} // namespace

void ImageTransfer::replaceImage(const ConfigImage& image) {
    copiesTrusted_ = true;
    areaHolds_.fill(true); // a read says otherwise below
    const bool wasGuarded = refreshGuard_;
    refreshGuard_ = true;
    krm::replaceImage(state_, image, hooks.defaultInputs ? hooks.defaultInputs() : DefaultInputs{});
    call(hooks.imageReplaced);
    refreshGuard_ = wasGuarded;
}

bool ImageTransfer::readImage() {
    refreshGuard_ = true;
    ui_.setTimerEnabled(UiTimer::DevTimer, false);
    ui_.setPagesCovered(true);
    ui_.showBusy();

    ConfigImage image;
    image.fill(0xFF);
    lastReadComplete_ = commands_.blockRead(0, static_cast<std::uint16_t>(kImageSize), image, true);
    replaceImage(image);
    areaHolds_.fill(false);
    // Noise that came back as whole replies is no more the mouse's than a failed fetch: nothing is
    // written from it either.
    copiesTrusted_ = lastReadComplete_ && !imageDefect(state_, false);

    call(hooks.imageRead);
    call(hooks.clearNoDevice);
    ui_.processEvents();

    ui_.hideBusy();
    ui_.setPagesCovered(false);
    ui_.setTimerEnabled(UiTimer::DevTimerFirst, false);
    ui_.setTimerEnabled(UiTimer::DevTimer, true);
    refreshGuard_ = false;
    if (!copiesTrusted_) ui_.showMessage(kIncompleteReadMessage);
    return lastReadComplete_;
}

bool ImageTransfer::readAgain() {
    ConfigImage image;
    image.fill(0xFF);
    if (!commands_.blockRead(0, static_cast<std::uint16_t>(kImageSize), image, true)) return false;
    ImageState fresh = ImageState::forVariant(state_.copies.layout.variant);
    krm::replaceImage(fresh, image, hooks.defaultInputs ? hooks.defaultInputs() : DefaultInputs{});
    if (imageDefect(fresh, false)) return false;
    replaceImage(image);
    areaHolds_.fill(false);
    return true;
}

bool ImageTransfer::writeThrough(std::uint8_t address, std::span<const std::uint8_t> bytes) {
    if (refreshGuard_ || bytes.empty() || bytes.size() > 3) return false;
    std::array<std::uint8_t, 3> d{};
    for (std::size_t i = 0; i < bytes.size(); ++i) d[i] = bytes[i];
    return commands_.writeImageByte(address, d[0], d[1], d[2], static_cast<std::uint8_t>(bytes.size()));
}

bool ImageTransfer::writeQuad(std::uint8_t address, std::span<const std::uint8_t, 4> code) {
    if (refreshGuard_) return false;
    return commands_.writeImageQuad(address, code[0], code[1], code[2], code[3]);
}

std::array<ImageTransfer::Area, 4> ImageTransfer::uncheckedAreas() const {
    const ImageLayout& layout = state_.copies.layout;
    return {{{image::kFireKeyOffset, image::kFireKeyLength},
             {image::kMacroOffset, image::kMacroLength},
             {image::kPatchBlockOffset, image::kPatchBlockLength},
             {layout.fireMacroAreaOffset, layout.fireMacroAreaLength}}};
}

bool ImageTransfer::readBytesHold(std::size_t offset, std::size_t length) {
    const auto areas = uncheckedAreas();
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const Area& a = areas[i];
        if (areaHolds_[i] || offset >= a.offset + a.length || offset + length <= a.offset) continue;
        std::vector<std::uint8_t> again(a.length, 0xFF);
        const auto read = std::span(state_.image).subspan(a.offset, a.length);
        if (!commands_.blockRead(static_cast<std::uint16_t>(a.offset), static_cast<std::uint16_t>(a.length),
                                 again, false) ||
            !std::equal(again.begin(), again.end(), read.begin())) {
            copiesTrusted_ = false;
            return false;
        }
        areaHolds_[i] = true;
    }
    return true;
}

bool ImageTransfer::blockWrite(std::size_t offset, std::span<const std::uint8_t> bytes, Carries carries) {
    if (refreshGuard_ || offset + bytes.size() > kImageSize) return false;
    if (carries == Carries::ReadBytes && !readBytesHold(offset, bytes.size())) return false;
    const auto address = static_cast<std::uint16_t>(offset);
    const auto length = static_cast<std::uint16_t>(bytes.size());
    if (!commands_.blockWrite(address, length, bytes)) return false;
    std::vector<std::uint8_t> back(bytes.size(), 0xFF);
    return commands_.blockRead(address, length, back, false) &&
           std::equal(back.begin(), back.end(), bytes.begin());
}

bool ImageTransfer::profileRewrite(bool withFireKeyBlock, bool withFireMacroArea) {
    if (refreshGuard_) return true;
    if (!copiesTrusted_) return false;
    auto& copies = state_.copies;
    // Nothing goes out unless the areas it carries back hold what the read gave.
    if ((withFireKeyBlock && !readBytesHold(image::kFireKeyOffset, image::kFireKeyLength)) ||
        (withFireMacroArea && !readBytesHold(copies.layout.fireMacroAreaOffset, copies.fireMacroArea.size())))
        return false;
    std::array<std::uint8_t, image::kProfilesLength> block{};
    for (std::size_t p = 0; p < 3; ++p) {
        storeSectionChecksum(copies.profiles[p]);
        std::copy(copies.profiles[p].begin(), copies.profiles[p].end(),
                  block.begin() + p * image::kProfileLength);
    }
    if (!commands_.blockWrite(image::kProfileOffset, image::kProfilesLength, block)) return false;
    if (withFireKeyBlock &&
        !commands_.blockWrite(image::kFireKeyOffset, image::kFireKeyLength, copies.fireKey))
        return false;
    if (withFireMacroArea &&
        !commands_.blockWrite(static_cast<std::uint16_t>(copies.layout.fireMacroAreaOffset),
                              static_cast<std::uint16_t>(copies.fireMacroArea.size()), copies.fireMacroArea))
        return false;
    // The byte written back to 0xA4 comes from this read: one that failed, or brought bytes that do
    // not add up to the section's checksum, must not become the current profile and colour.
    std::array<std::uint8_t, image::kUserLength> user{};
    if (!commands_.shortRead(image::kUserOffset, image::kUserLength, user) || !sectionChecksumGood(user))
        return false;
    copies.user = user;
    return commands_.writeImageByte(image::kUserOffset, 0x0F, 0, 0, 1) &&
           commands_.writeImageByte(image::kUserOffset, copies.user[0], 0, 0, 1);
}

bool ImageTransfer::vendorSectionRewrite() {
    if (refreshGuard_) return true;
    if (!copiesTrusted_) return false;
    storeSectionChecksum(state_.copies.vendor);
    return commands_.writeImageRange(0, image::kVendorOffset, image::kVendorLength, state_.copies.vendor);
}

bool ImageTransfer::userSectionRewrite() {
    if (refreshGuard_) return true;
    if (!copiesTrusted_) return false;
    storeSectionChecksum(state_.copies.user);
    return commands_.writeImageRange(0, image::kUserOffset, image::kUserLength, state_.copies.user);
}

} // namespace krm
