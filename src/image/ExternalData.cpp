#include "image/ExternalData.h"
#include "base/Bits.h"

#include "image/FunctionCode.h"
#include "image/ImageFields.h"

#include <algorithm>

namespace krm {

void checkEePatchCodeSection(std::span<std::uint8_t, image::kPatchBlockLength> block,
                             std::span<const std::uint8_t> code) {
    writeBe16(block, 0, static_cast<std::uint16_t>(image::kPatchCodeOffset));
    writeBe16(block, 4, 0x001A);
    writeBe16(block, 6, patchCodeChecksum(code));
}

FileResult<PatchFile> readPatchFile(const std::string& path, const ImageLayout& layout) {
    using R = FileResult<PatchFile>;
    const std::size_t needed = image::kPatchBlockLength + layout.patchCodeLength;
    const std::size_t longest =
        image::kPatchBlockLength + std::max(ImageLayout::forVariant(Variant::R210B).patchCodeLength,
                                            ImageLayout::forVariant(Variant::R230B).patchCodeLength);
    // One byte past the longest patch tells a file that is longer than any.
    auto bytes = readFilePrefix(path, longest + 1);
    if (!bytes) return R::fail(bytes.error.kind, bytes.error.message);
    const auto& b = *bytes.value;
    // Code for the other chip would be cut short or padded: it is refused before anything is sent.
    std::string what;
    for (Variant v : {Variant::R210B, Variant::R230B})
        if (b.size() == image::kPatchBlockLength + ImageLayout::forVariant(v).patchCodeLength)
            what =
                std::to_string(b.size()) + " bytes, a patch for an " + std::string(variantName(v)) + " mouse";
    if (b.size() < needed && what.empty())
        return R::fail(FileErrorKind::TooShort, tooShortMessage(path, b.size(), needed));
    if (b.size() != needed) {
        if (what.empty()) what = "longer than any patch file";
        return R::fail(FileErrorKind::WrongSize,
                       "File \"" + path + "\" is " + what + "; an " +
                           std::string(variantName(layout.variant)) + " mouse takes " +
                           std::to_string(needed) + " bytes (a 16-byte patch block and " +
                           std::to_string(layout.patchCodeLength) + " bytes of patch code).");
    }
    PatchFile patch;
    std::copy_n(b.begin(), image::kPatchBlockLength, patch.block.begin());
    patch.code.assign(b.begin() + image::kPatchBlockLength, b.begin() + static_cast<std::ptrdiff_t>(needed));
    return R{std::move(patch), {}};
}

void storePatch(SectionCopies& copies, const PatchFile& patch) {
    copies.patchBlock = patch.block;
    copies.patchCode = patch.code;
    copies.patchCode.resize(copies.layout.patchCodeLength, 0);
    checkEePatchCodeSection(copies.patchBlock, copies.patchCode);
}

FileResult<std::array<std::uint8_t, image::kMacroLength>> readBaseMacroFile(const std::string& path) {
    using R = FileResult<std::array<std::uint8_t, image::kMacroLength>>;
    auto bytes = readFilePrefix(path, image::kMacroLength);
    if (!bytes) return R::fail(bytes.error.kind, bytes.error.message);
    const auto& b = *bytes.value;
    if (b.size() < image::kMacroLength)
        return R::fail(FileErrorKind::TooShort, tooShortMessage(path, b.size(), image::kMacroLength));
    std::array<std::uint8_t, image::kMacroLength> block{};
    std::copy(b.begin(), b.end(), block.begin());
    return R{block, {}};
}

FileResult<FireMacroBodies> readGunMacroFile(const std::string& path, const ImageLayout& layout) {
    using R = FileResult<FireMacroBodies>;
    const std::size_t needed = kGunMacroFileStride * image::kFireMacroCount;
    auto bytes = readFilePrefix(path, needed);
    if (!bytes) return R::fail(bytes.error.kind, bytes.error.message);
    const auto& b = *bytes.value;
    if (b.size() < needed) return R::fail(FileErrorKind::TooShort, tooShortMessage(path, b.size(), needed));
    FireMacroBodies bodies;
    const std::size_t take = std::min(kGunMacroFileStride, layout.fireMacroBodySize);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        bodies[i].assign(layout.fireMacroBodySize, 0);
        const auto from = b.begin() + static_cast<std::ptrdiff_t>(kGunMacroFileStride * i);
        std::copy_n(from, take, bodies[i].begin());
    }
    return R{std::move(bodies), {}};
}

void storeGunMacros(SectionCopies& copies, const FireMacroBodies& bodies) {
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        copies.fireMacroBodies[i] = bodies[i];
        copies.fireMacroBodies[i].resize(copies.layout.fireMacroBodySize, 0);
    }
    storeFireMacroBodies(copies);
}

} // namespace krm
