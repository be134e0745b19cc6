#pragma once

#include <cstdint>
#include <vector>

namespace krm::uhid {

// The report descriptors krm-uhid-mouse gives the kernel.
//
// The mouse's configuration collection: vendor page 0xFF00, feature reports 0x40 (command) and 0x41
// (query), 7 data bytes each, and the input report 0x42 (button events), 7 data bytes: every report
// is 8 bytes with its id, as the protocol wants.
std::vector<std::uint8_t> configCollection();
// A plain pointer collection (report id 1: three buttons, X, Y, wheel), as a real mouse shows
// beside its configuration collection.
std::vector<std::uint8_t> pointerCollection();
// One collection: the configuration collection alone. Two: the pointer collection, then it.
std::vector<std::uint8_t> mouseDescriptor(int collections);
// The decoy: another vendor's device with the same report ids and lengths, which the programs must
// never talk to.
std::vector<std::uint8_t> decoyDescriptor();

} // namespace krm::uhid
