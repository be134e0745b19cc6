#include "base/ResourceTable.h"

#include <algorithm>
#include <cctype>

namespace krm {

namespace {
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}
} // namespace

std::optional<ResourceTable::Bytes> ResourceTable::find(std::string_view name) {
    for (std::size_t i = 0; i < detail::kResourceRowCount; ++i) {
        const auto& row = detail::kResourceRows[i];
        if (equalsIgnoringCase(row.name, name))
            return Bytes(row.begin, static_cast<std::size_t>(row.end - row.begin));
    }
    return std::nullopt;
}

std::vector<std::string> ResourceTable::names() {
    std::vector<std::string> out;
    out.reserve(detail::kResourceRowCount);
    for (std::size_t i = 0; i < detail::kResourceRowCount; ++i)
        out.emplace_back(detail::kResourceRows[i].name);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace krm
