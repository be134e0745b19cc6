// A profile file as the decoder and the dump see it: byte 0 picks the variant, the rest is the image
// (zero-filled when short).

#include "image/ImageDump.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace krm;
    if (size == 0) return 0;
    const Variant variant = (data[0] & 1) ? Variant::R230B : Variant::R210B;
    ConfigImage image{};
    std::copy_n(data + 1, std::min(size - 1, image.size()), image.begin());
    // Bytes past the image choose the inputs the section repairs take.
    DefaultInputs in;
    if (size > 1 + image.size()) {
        const std::uint8_t choice = data[1 + image.size()];
        const char* const types[] = {"", "RGB", "Single", "MCU"};
        in.ledType = types[choice & 3];
        if (choice & 4) in.packageIndex = (choice >> 3) & 1;
    }
    ImageState state = ImageState::forVariant(variant);
    replaceImage(state, image, in);
    DumpContext ctx;
    ctx.source = "fuzz";
    (void)dumpImageText(state, ctx);
    (void)dumpImageJson(state, ctx).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    return 0;
}
