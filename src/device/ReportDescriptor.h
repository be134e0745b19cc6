#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krm {

// Report lengths of one top-level collection, counted as the HID stack reports them: the longest
// report of each kind plus one byte for the report id (also when the device uses no report ids);
// 0 when the collection has no report of that kind.
struct CollectionReportLengths {
    int inputReportLength = 0;
    int outputReportLength = 0;
    int featureReportLength = 0;
};

// Reads the main and global items of a HID report descriptor and sums the report sizes per
// top-level collection and report id. Returns nothing for a malformed descriptor (an item that runs
// past the end, unbalanced collections, a report item outside any collection, report id 0, a pop
// without a push, a report longer than a HID report can be) and says why in *error.
std::optional<std::vector<CollectionReportLengths>> parseReportDescriptor(std::span<const std::uint8_t> bytes,
                                                                          std::string* error = nullptr);

} // namespace krm
