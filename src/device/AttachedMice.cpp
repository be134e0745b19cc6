#include "device/AttachedMice.h"

#include <algorithm>
#include <charconv>

namespace krm {

std::vector<AttachedMouse> attachedMice(HidBackend& hid, const DeviceIdTable& table) {
    std::vector<AttachedMouse> mice;
    for (const auto& path : hid.enumerate()) {
        const HidHandle h = hid.open(path, false);
        if (h == kInvalidHandle) continue;
        HidAttributes a{};
        HidCapabilities c{};
        if (!hid.attributes(h, a)) a = {};
        if (!hid.capabilities(h, c)) c = {};
        hid.close(h);
        const bool known = std::any_of(table.entries.begin(), table.entries.end(), [&](const auto& e) {
            return e.vendorId != 0 && e.productId != 0 && e.vendorId == a.vendorId &&
                   e.productId == a.productId;
        });
        if (!known || c.featureReportLength != 8) continue;
        const HidLocation where = hid.location(path);
        auto it = std::find_if(mice.begin(), mice.end(), [&](const auto& m) { return m.id == where.device; });
        if (it == mice.end())
            it = mice.insert(mice.end(),
                             {where.device, where.node, where.serial, a.vendorId, a.productId, {}});
        it->paths.push_back(path);
    }
    return mice;
}

const AttachedMouse* chooseMouse(const std::vector<AttachedMouse>& mice, std::string_view choice) {
    for (const auto& m : mice) {
        if (choice == m.id || (!m.node.empty() && choice == m.node) ||
            std::find(m.paths.begin(), m.paths.end(), choice) != m.paths.end())
            return &m;
    }
    std::size_t number = 0;
    const auto [end, ec] = std::from_chars(choice.data(), choice.data() + choice.size(), number);
    if (ec == std::errc() && end == choice.data() + choice.size() && number >= 1 && number <= mice.size())
        return &mice[number - 1];
    return nullptr;
}

} // namespace krm
