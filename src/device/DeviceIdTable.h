#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace krm {

// The (vendor id, product id) pairs tried, in order, when the mouse is opened. Entry 0 is the
// product's own pair; entry 1 comes from bytes 0..3 of a factory default image; entry 2 holds the ids
// the mouse's own image gives it (bytes 0..3 as last read or written), so that a mouse given new ids is
// found again after its restart. An entry with a zero id is skipped.
struct DeviceIdTable {
    struct Entry {
        std::uint32_t vendorId = 0;
        std::uint32_t productId = 0;
        bool operator==(const Entry&) const = default;
    };
    static constexpr std::uint32_t kVendorId = 0x3A7E;
    static constexpr std::uint32_t kProductId = 0x0C51;

    std::array<Entry, 3> entries{Entry{kVendorId, kProductId}, Entry{}, Entry{}};

    // Entry 1 from the big-endian ids at the start of a configuration image.
    void setEntry1FromImage(std::span<const std::uint8_t> image) {
        if (image.size() < 4) return;
        entries[1] = {static_cast<std::uint32_t>(image[0] << 8 | image[1]),
                      static_cast<std::uint32_t>(image[2] << 8 | image[3])};
    }

    // The udev rule line that gives the seat's user access to a mouse under these ids.
    static std::string udevRule(Entry ids) {
        char line[128];
        std::snprintf(line, sizeof line,
                      "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", "
                      "TAG+=\"uaccess\"",
                      ids.vendorId & 0xFFFF, ids.productId & 0xFFFF);
        return line;
    }
};

} // namespace krm
