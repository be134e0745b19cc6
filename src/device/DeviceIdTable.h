#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace krm {

// The two (vendor id, product id) pairs tried, in order, when the mouse is opened. Entry 0 is the
// product's own pair; entry 1 comes from bytes 0..3 of a factory default image. An entry with a zero
// id is skipped.
struct DeviceIdTable {
    struct Entry {
        std::uint32_t vendorId = 0;
        std::uint32_t productId = 0;
    };
    static constexpr std::uint32_t kVendorId = 0x3A7E;
    static constexpr std::uint32_t kProductId = 0x0C51;

    std::array<Entry, 2> entries{Entry{kVendorId, kProductId}, Entry{}};

    // Entry 1 from the big-endian ids at the start of a configuration image.
    void setEntry1FromImage(std::span<const std::uint8_t> image) {
        if (image.size() < 4) return;
        entries[1] = {static_cast<std::uint32_t>(image[0] << 8 | image[1]),
                      static_cast<std::uint32_t>(image[2] << 8 | image[3])};
    }
};

} // namespace krm
