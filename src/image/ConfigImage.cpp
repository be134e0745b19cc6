#include "image/ConfigImage.h"

#include <algorithm>

namespace krm {

namespace {

template <typename Dst> void copyOut(const ConfigImage& image, std::size_t offset, Dst& dst) {
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), dst.size(), dst.begin());
}

template <typename Src> void copyIn(const Src& src, std::size_t offset, ConfigImage& image) {
    std::copy(src.begin(), src.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

SectionCheck check(SectionId id, std::span<const std::uint8_t> section) {
    return SectionCheck{id, section.back(), sectionChecksum(section), false};
}

} // namespace

SectionCopies SectionCopies::forVariant(Variant v) {
    SectionCopies c;
    c.layout = ImageLayout::forVariant(v);
    c.patchCode.assign(c.layout.patchCodeLength, 0);
    c.fireMacroArea.assign(c.layout.fireMacroAreaLength, 0);
    for (auto& body : c.fireMacroBodies) body.assign(c.layout.fireMacroBodySize, 0);
    return c;
}

std::string_view sectionName(SectionId id) {
    switch (id) {
    case SectionId::Vendor:
        return "vendor";
    case SectionId::User:
        return "user";
    case SectionId::Profile1:
        return "profile1";
    case SectionId::Profile2:
        return "profile2";
    case SectionId::Profile3:
        return "profile3";
    }
    return "";
}

bool UnpackReport::anyRepaired() const {
    return std::any_of(sections.begin(), sections.end(), [](const SectionCheck& s) { return s.repaired; });
}

UnpackReport unpackImage(const ConfigImage& image, SectionCopies& c, const DefaultInputs& in) {
    using namespace image;
    UnpackReport report;

    copyOut(image, kVendorOffset, c.vendor);
    report.sections[0] = check(SectionId::Vendor, c.vendor);
    report.sections[0].repaired = checkVendorSection(c.vendor, in);

    copyOut(image, kUserOffset, c.user);
    report.sections[1] = check(SectionId::User, c.user);
    report.sections[1].repaired = checkUserSection(c.user, in);

    bool (*const checks[])(ProfileCopy, const DefaultInputs&) = {checkProfile1Section, checkProfile2Section,
                                                                 checkProfile3Section};
    // A damaged profile takes the default codes of the LED package its own (checked) vendor section
    // names, so that damaged codes never come back with a fresh checksum.
    DefaultInputs profileInputs = in;
    if (!profileInputs.packageIndex) profileInputs.packageIndex = (c.vendor[5] & 0x80) ? 1 : 0;
    for (int p = 0; p < 3; ++p) {
        auto& profile = c.profiles[static_cast<std::size_t>(p)];
        copyOut(image, profileOffset(p + 1), profile);
        auto& entry = report.sections[static_cast<std::size_t>(2 + p)];
        entry = check(static_cast<SectionId>(static_cast<int>(SectionId::Profile1) + p), profile);
        entry.repaired = checks[p](profile, profileInputs);
    }

    copyOut(image, kReservedOffset, c.reserved);
    copyOut(image, kFireKeyOffset, c.fireKey);
    copyOut(image, kMacroOffset, c.macroBlock);
    copyOut(image, kPatchBlockOffset, c.patchBlock);

    const ImageLayout& layout = c.layout;
    c.patchCode.resize(layout.patchCodeLength);
    copyOut(image, kPatchCodeOffset, c.patchCode);
    c.fireMacroArea.resize(layout.fireMacroAreaLength);
    copyOut(image, layout.fireMacroAreaOffset, c.fireMacroArea);
    for (int i = 0; i < kFireMacroCount; ++i) {
        auto& body = c.fireMacroBodies[static_cast<std::size_t>(i)];
        body.resize(layout.fireMacroBodySize);
        copyOut(image, layout.bodyOffset(i), body);
        auto& name = c.fireMacroNames[static_cast<std::size_t>(i)];
        if (layout.firstBodyOffset > 0)
            copyOut(image, layout.fireMacroAreaOffset + kFireMacroNameSize * static_cast<std::size_t>(i),
                    name);
        else
            name.fill(0);
    }
    return report;
}

void packImage(const SectionCopies& c, ConfigImage& image) {
    using namespace image;
    copyIn(c.vendor, kVendorOffset, image);
    copyIn(c.user, kUserOffset, image);
    for (int p = 0; p < 3; ++p) copyIn(c.profiles[static_cast<std::size_t>(p)], profileOffset(p + 1), image);
    copyIn(c.reserved, kReservedOffset, image);
    copyIn(c.fireKey, kFireKeyOffset, image);
    copyIn(c.macroBlock, kMacroOffset, image);
    copyIn(c.patchBlock, kPatchBlockOffset, image);
    const ImageLayout& layout = c.layout;
    std::copy_n(c.patchCode.begin(), std::min(c.patchCode.size(), layout.patchCodeLength),
                image.begin() + static_cast<std::ptrdiff_t>(kPatchCodeOffset));
    std::copy_n(c.fireMacroArea.begin(), std::min(c.fireMacroArea.size(), layout.fireMacroAreaLength),
                image.begin() + static_cast<std::ptrdiff_t>(layout.fireMacroAreaOffset));
}

void storeFireMacroBodies(SectionCopies& c) {
    const ImageLayout& layout = c.layout;
    c.fireMacroArea.resize(layout.fireMacroAreaLength);
    for (int i = 0; i < image::kFireMacroCount; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        if (layout.firstBodyOffset > 0)
            std::copy(c.fireMacroNames[idx].begin(), c.fireMacroNames[idx].end(),
                      c.fireMacroArea.begin() + static_cast<std::ptrdiff_t>(image::kFireMacroNameSize * idx));
        const auto& body = c.fireMacroBodies[idx];
        const auto at = static_cast<std::ptrdiff_t>(layout.firstBodyOffset + layout.fireMacroBodySize * idx);
        std::copy_n(body.begin(), std::min(body.size(), layout.fireMacroBodySize),
                    c.fireMacroArea.begin() + at);
    }
}

void splitFireMacroArea(SectionCopies& c) {
    const ImageLayout& layout = c.layout;
    c.fireMacroArea.resize(layout.fireMacroAreaLength);
    for (int i = 0; i < image::kFireMacroCount; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        if (layout.firstBodyOffset > 0)
            std::copy_n(c.fireMacroArea.begin() +
                            static_cast<std::ptrdiff_t>(image::kFireMacroNameSize * idx),
                        image::kFireMacroNameSize, c.fireMacroNames[idx].begin());
        auto& body = c.fireMacroBodies[idx];
        body.resize(layout.fireMacroBodySize);
        const auto at = static_cast<std::ptrdiff_t>(layout.firstBodyOffset + layout.fireMacroBodySize * idx);
        std::copy_n(c.fireMacroArea.begin() + at, layout.fireMacroBodySize, body.begin());
    }
}

FunctionCode profileCode(const SectionCopies& c, int profile, int slot) {
    FunctionCode code{};
    const auto& p = c.profiles[static_cast<std::size_t>(profile - 1)];
    std::copy_n(p.begin() + 4 * (slot - 1), 4, code.begin());
    return code;
}

FunctionCode comboKeyCode(const SectionCopies& c, int key) {
    FunctionCode code{};
    std::copy_n(c.vendor.begin() + static_cast<std::ptrdiff_t>(image::kComboKeyOffset) + 4 * (key - 1), 4,
                code.begin());
    return code;
}

FunctionCodeText buildFunctionCodeText(const SectionCopies& c) {
    FunctionCodeText t;
    for (int p = 1; p <= 3; ++p)
        for (int k = 1; k <= 12; ++k)
            t.profiles[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(k - 1)] =
                codeText(profileCode(c, p, k));
    for (int n = 1; n <= 9; ++n) t.comboKeys[static_cast<std::size_t>(n - 1)] = codeText(comboKeyCode(c, n));
    return t;
}

} // namespace krm

namespace krm {

ImageState ImageState::forVariant(Variant v) {
    ImageState s;
    s.copies = SectionCopies::forVariant(v);
    return s;
}

void replaceImage(ImageState& state, const ConfigImage& image, const DefaultInputs& in) {
    state.image = image;
    state.lastUnpack = unpackImage(state.image, state.copies, in);
    state.codeText = buildFunctionCodeText(state.copies);
}

} // namespace krm
