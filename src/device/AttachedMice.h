#pragma once

#include "device/DeviceIdTable.h"
#include "device/HidBackend.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// One mouse attached to the machine: every interface with a table entry's ids and an 8-byte feature
// report that sits at one place.
struct AttachedMouse {
    std::string id;     // HidLocation::device: stable while the mouse stays in its port
    std::string node;   // the file that stands for it (HidLocation::node)
    std::string serial; // empty when it has none
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::vector<std::string> paths; // its interfaces, in enumeration order
};

// The attached mice, in the order their first interface is listed. Interfaces are opened without
// access only to read their ids and report lengths: nothing is sent to any device.
std::vector<AttachedMouse> attachedMice(HidBackend& hid, const DeviceIdTable& table);

// The mouse a user's choice names: its id, its node or one of its interface paths, or its number in
// the list (1 for the first); null when none matches.
const AttachedMouse* chooseMouse(const std::vector<AttachedMouse>& mice, std::string_view choice);

} // namespace krm
