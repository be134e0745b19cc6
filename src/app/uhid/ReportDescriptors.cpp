#include "app/uhid/ReportDescriptors.h"

namespace krm::uhid {

std::vector<std::uint8_t> configCollection() {
    return {
        0x06, 0x00, 0xFF, // Usage Page (Vendor 0xFF00)
        0x09, 0x01,       // Usage (1)
        0xA1, 0x01,       // Collection (Application)
        0x15, 0x00,       //   Logical Minimum (0)
        0x26, 0xFF, 0x00, //   Logical Maximum (255)
        0x75, 0x08,       //   Report Size (8)
        0x95, 0x07,       //   Report Count (7)
        0x85, 0x40,       //   Report ID (0x40): command reports
        0x09, 0x02,       //   Usage (2)
        0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
        0x85, 0x41,       //   Report ID (0x41): query and data reports
        0x09, 0x03,       //   Usage (3)
        0xB1, 0x02,       //   Feature (Data, Variable, Absolute)
        0x85, 0x42,       //   Report ID (0x42): button events
        0x09, 0x04,       //   Usage (4)
        0x81, 0x02,       //   Input (Data, Variable, Absolute)
        0xC0,             // End Collection
    };
}

std::vector<std::uint8_t> pointerCollection() {
    return {
        0x05, 0x01, // Usage Page (Generic Desktop)
        0x09, 0x02, // Usage (Mouse)
        0xA1, 0x01, // Collection (Application)
        0x85, 0x01, //   Report ID (1)
        0x09, 0x01, //   Usage (Pointer)
        0xA1, 0x00, //   Collection (Physical)
        0x05, 0x09, //     Usage Page (Button)
        0x19, 0x01, //     Usage Minimum (1)
        0x29, 0x03, //     Usage Maximum (3)
        0x15, 0x00, //     Logical Minimum (0)
        0x25, 0x01, //     Logical Maximum (1)
        0x95, 0x03, //     Report Count (3)
        0x75, 0x01, //     Report Size (1)
        0x81, 0x02, //     Input (Data, Variable, Absolute)
        0x95, 0x01, //     Report Count (1)
        0x75, 0x05, //     Report Size (5)
        0x81, 0x03, //     Input (Constant)
        0x05, 0x01, //     Usage Page (Generic Desktop)
        0x09, 0x30, //     Usage (X)
        0x09, 0x31, //     Usage (Y)
        0x09, 0x38, //     Usage (Wheel)
        0x15, 0x81, //     Logical Minimum (-127)
        0x25, 0x7F, //     Logical Maximum (127)
        0x75, 0x08, //     Report Size (8)
        0x95, 0x03, //     Report Count (3)
        0x81, 0x06, //     Input (Data, Variable, Relative)
        0xC0,       //   End Collection
        0xC0,       // End Collection
    };
}

std::vector<std::uint8_t> mouseDescriptor(int collections) {
    std::vector<std::uint8_t> d;
    if (collections >= 2) d = pointerCollection();
    const auto config = configCollection();
    d.insert(d.end(), config.begin(), config.end());
    return d;
}

std::vector<std::uint8_t> decoyDescriptor() {
    auto d = configCollection();
    d[1] = 0x01; // Usage Page (Vendor 0xFF01)
    return d;
}

} // namespace krm::uhid
