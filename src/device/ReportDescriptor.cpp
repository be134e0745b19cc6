#include "device/ReportDescriptor.h"

#include <algorithm>
#include <map>

namespace krm {

namespace {

// The longest report a HID device can carry (the kernel's buffer size).
constexpr std::uint64_t kMaxReportBytes = 16384;
constexpr std::uint64_t kMaxFieldBits = kMaxReportBytes * 8;
constexpr std::size_t kMaxPushDepth = 32;

enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag { kInput = 0x8, kOutput = 0x9, kCollection = 0xA, kFeature = 0xB, kEndCollection = 0xC };
enum GlobalTag { kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9, kPush = 0xA, kPop = 0xB };
enum Kind { kKindInput, kKindOutput, kKindFeature };

struct Globals {
    std::uint64_t reportSize = 0;
    std::uint64_t reportCount = 0;
    std::uint32_t reportId = 0;
};

struct CollectionBits {
    // (kind, report id) -> bits
    std::map<std::pair<int, std::uint32_t>, std::uint64_t> bits;
};

int lengthOf(const CollectionBits& c, int kind) {
    std::uint64_t longest = 0;
    for (const auto& [key, bits] : c.bits)
        if (key.first == kind) longest = std::max(longest, (bits + 7) / 8 + 1);
    return static_cast<int>(longest);
}

} // namespace

std::optional<std::vector<CollectionReportLengths>> parseReportDescriptor(std::span<const std::uint8_t> bytes,
                                                                          std::string* error) {
    auto fail = [error](const std::string& why,
                        std::size_t at) -> std::optional<std::vector<CollectionReportLengths>> {
        if (error) *error = why + " at byte " + std::to_string(at);
        return std::nullopt;
    };

    std::vector<CollectionBits> collections;
    std::vector<Globals> stack;
    Globals g;
    int depth = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t at = i;
        const std::uint8_t prefix = bytes[i++];
        if (prefix == 0xFE) { // long item: size, tag, data; carries nothing we need
            if (i + 2 > bytes.size()) return fail("truncated long item", at);
            const std::size_t size = bytes[i];
            i += 2;
            if (i + size > bytes.size()) return fail("truncated long item", at);
            i += size;
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (i + size > bytes.size()) return fail("truncated item", at);
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < size; ++k) value |= static_cast<std::uint32_t>(bytes[i + k]) << (8 * k);
        i += size;

        if (type == kGlobal) {
            switch (tag) {
            case kReportSize:
                if (value > kMaxFieldBits) return fail("report size too large", at);
                g.reportSize = value;
                break;
            case kReportCount:
                if (value > kMaxFieldBits) return fail("report count too large", at);
                g.reportCount = value;
                break;
            case kReportId:
                if (value == 0) return fail("report id 0", at);
                g.reportId = value;
                break;
            case kPush:
                if (stack.size() >= kMaxPushDepth) return fail("push stack too deep", at);
                stack.push_back(g);
                break;
            case kPop:
                if (stack.empty()) return fail("pop without push", at);
                g = stack.back();
                stack.pop_back();
                break;
            default:
                break;
            }
        } else if (type == kMain) {
            switch (tag) {
            case kCollection:
                if (depth == 0) collections.emplace_back();
                ++depth;
                break;
            case kEndCollection:
                if (depth == 0) return fail("end of a collection that was not opened", at);
                --depth;
                break;
            case kInput:
            case kOutput:
            case kFeature: {
                if (depth == 0) return fail("report item outside a collection", at);
                const int kind = tag == kInput ? kKindInput : tag == kOutput ? kKindOutput : kKindFeature;
                std::uint64_t& bits = collections.back().bits[{kind, g.reportId}];
                bits += g.reportSize * g.reportCount;
                if (bits > kMaxFieldBits) return fail("report longer than a HID report can be", at);
                break;
            }
            default:
                break;
            }
        }
        // Local items (usages, strings, designators) do not change any length.
    }
    if (depth != 0) return fail("collection not closed", bytes.size());
    if (collections.empty()) return fail("no collection", bytes.size());

    std::vector<CollectionReportLengths> out;
    for (const auto& c : collections)
        out.push_back({lengthOf(c, kKindInput), lengthOf(c, kKindOutput), lengthOf(c, kKindFeature)});
    return out;
}

} // namespace krm
