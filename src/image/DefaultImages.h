#pragma once

#include "image/ConfigImage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace krm {

// The six embedded factory images, images 1..3 of each variant.
struct DefaultImageSet {
    std::array<ConfigImage, 3> r210b{};
    std::array<ConfigImage, 3> r230b{};

    const ConfigImage& image(Variant v, int k /*1..3*/) const;
};

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    bool operator==(const UsbIds&) const = default;
};

// The USB vendor and product id an image carries (bytes 0..3, big-endian).
UsbIds usbIdsOf(const ConfigImage& image);

// "KRMR210BData_Cfg1" .. "KRMR230BData_Cfg3".
std::string defaultImageName(Variant v, int k);

// Read the six embedded images into `out` and give the ids for entry 1 of the device id table: those
// of R210B image 1 when the branding value icConfigType is 1, of R230B image 1 otherwise.
// Throws std::runtime_error when an image is missing or not 2048 bytes (a broken build).
UsbIds loadDefaultImages(DefaultImageSet& out, int icConfigType);

// The image restore k (1..3) takes: the R230B one when the identified variant is R230B, the R210B one
// otherwise, also when no variant has been identified.
const ConfigImage& restoreSourceImage(const DefaultImageSet& images, std::optional<Variant> variant, int k);

// The in-memory part of restore k: the chosen default image replaces the image and is unpacked. The
// caller then writes state.image whole and restarts the mouse.
void prepareRestore(ImageState& state, const DefaultImageSet& images, std::optional<Variant> variant, int k,
                    const DefaultInputs& in);

// The in-memory part of the regeneration for a new LED type (regenerateForLedType): every checksummed
// section and the fire-key block are generated for in.ledType, the code text is rebuilt, the macro block
// copy is emptied, the copies are packed into state.image, and the ten fire-macro bodies are zeroed in
// memory (the fire-macro area buffer, and so the mouse, keep the fire macros). The caller then writes
// state.image whole and restarts the mouse; the macros subsystem rebuilds its list from the empty block.
void regenerateDefaults(ImageState& state, const DefaultInputs& in);

} // namespace krm
