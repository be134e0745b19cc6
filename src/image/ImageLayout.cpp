#include "image/ImageLayout.h"

namespace krm {

std::optional<Variant> variantFromName(std::string_view name) {
    if (name == "R210B") return Variant::R210B;
    if (name == "R230B") return Variant::R230B;
    return std::nullopt;
}

std::uint8_t sectionChecksum(std::span<const std::uint8_t> section) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < section.size(); ++i) sum = static_cast<std::uint8_t>(sum + section[i]);
    return static_cast<std::uint8_t>(sum ^ 0x5A);
}

} // namespace krm
