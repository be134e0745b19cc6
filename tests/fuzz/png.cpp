// The PNG decoder that every skin picture goes through.

#include "base/PngImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)krm::PngImage::decode(std::span<const std::uint8_t>(data, size));
    return 0;
}
