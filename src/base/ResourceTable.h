#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

namespace detail {
struct ResourceRow {
    const char* name; // lower case
    const unsigned char* begin;
    const unsigned char* end;
};
extern const ResourceRow kResourceRows[];
extern const std::size_t kResourceRowCount;
} // namespace detail

// The product data embedded in the program: pictures, INI sections, language tables, default images.
// Names are those of the files under resources/ without their extension; letter case is ignored, so
// "MSG" and "Msg" name the same picture.
class ResourceTable {
public:
    using Bytes = std::span<const std::uint8_t>;

    // The bytes of the named resource, or nothing when there is none.
    static std::optional<Bytes> find(std::string_view name);

    // Every resource name (lower case), in sorted order.
    static std::vector<std::string> names();
};

} // namespace krm
