#include "image/DefaultImages.h"
#include "base/Bits.h"

#include "base/ResourceTable.h"

#include <algorithm>
#include <stdexcept>

namespace krm {

const ConfigImage& DefaultImageSet::image(Variant v, int k) const {
    const auto& set = v == Variant::R230B ? r230b : r210b;
    return set.at(static_cast<std::size_t>(k - 1));
}

UsbIds UsbIdsOf(const ConfigImage& image) {
    return UsbIds{readBe16(image, 0), readBe16(image, 2)};
}

std::string DefaultImageName(Variant v, int k) {
    return "KRM" + std::string(variantName(v)) + "Data_Cfg" + std::to_string(k);
}

UsbIds LoadDefaultImages(DefaultImageSet& out, int icConfigType) {
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        for (int k = 1; k <= 3; ++k) {
            const std::string name = DefaultImageName(v, k);
            const auto bytes = ResourceTable::find(name);
            if (!bytes || bytes->size() != kImageSize)
                throw std::runtime_error("embedded default image " + name + " is missing or not " +
                                         std::to_string(kImageSize) + " bytes");
            auto& dst = v == Variant::R230B ? out.r230b : out.r210b;
            std::copy(bytes->begin(), bytes->end(), dst[static_cast<std::size_t>(k - 1)].begin());
        }
    }
    return UsbIdsOf(out.image(icConfigType == 1 ? Variant::R210B : Variant::R230B, 1));
}

const ConfigImage& RestoreSourceImage(const DefaultImageSet& images, std::optional<Variant> variant, int k) {
    return images.image(variant == Variant::R230B ? Variant::R230B : Variant::R210B, k);
}

void PrepareRestore(ImageState& state, const DefaultImageSet& images, std::optional<Variant> variant, int k,
                    const DefaultInputs& in) {
    ReplaceImage(state, RestoreSourceImage(images, variant, k), in);
}

void RegenerateDefaults(ImageState& state, const DefaultInputs& in) {
    SectionCopies& c = state.copies;
    GenerateVendorSection(c.vendor, in);
    GenerateUserSection(c.user, in);
    for (auto& profile : c.profiles) GenerateProfileSection(profile, in);
    GenerateFireKeyBlock(c.fireKey);
    state.codeText = BuildFunctionCodeText(c);
    c.macroBlock.fill(0);
    PackImage(c, state.image);
    for (auto& body : c.fireMacroBodies) std::fill(body.begin(), body.end(), 0);
}

} // namespace krm
