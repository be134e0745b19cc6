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

UsbIds usbIdsOf(const ConfigImage& image) {
    return UsbIds{readBe16(image, 0), readBe16(image, 2)};
}

std::string defaultImageName(Variant v, int k) {
    return "KRM" + std::string(variantName(v)) + "Data_Cfg" + std::to_string(k);
}

UsbIds loadDefaultImages(DefaultImageSet& out, int icConfigType) {
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        for (int k = 1; k <= 3; ++k) {
            const std::string name = defaultImageName(v, k);
            const auto bytes = ResourceTable::find(name);
            if (!bytes || bytes->size() != kImageSize)
                throw std::runtime_error("embedded default image " + name + " is missing or not " +
                                         std::to_string(kImageSize) + " bytes");
            auto& dst = v == Variant::R230B ? out.r230b : out.r210b;
            std::copy(bytes->begin(), bytes->end(), dst[static_cast<std::size_t>(k - 1)].begin());
        }
    }
    return usbIdsOf(out.image(icConfigType == 1 ? Variant::R210B : Variant::R230B, 1));
}

const ConfigImage& restoreSourceImage(const DefaultImageSet& images, std::optional<Variant> variant, int k) {
    return images.image(variant == Variant::R230B ? Variant::R230B : Variant::R210B, k);
}

void prepareRestore(ImageState& state, const DefaultImageSet& images, std::optional<Variant> variant, int k,
                    const DefaultInputs& in) {
    replaceImage(state, restoreSourceImage(images, variant, k), in);
}

void regenerateDefaults(ImageState& state, const DefaultInputs& in) {
    SectionCopies& c = state.copies;
    generateVendorSection(c.vendor, in);
    generateUserSection(c.user, in);
    for (auto& profile : c.profiles) generateProfileSection(profile, in);
    generateFireKeyBlock(c.fireKey);
    state.codeText = buildFunctionCodeText(c);
    c.macroBlock.fill(0);
    packImage(c, state.image);
    for (auto& body : c.fireMacroBodies) std::fill(body.begin(), body.end(), 0);
}

} // namespace krm
