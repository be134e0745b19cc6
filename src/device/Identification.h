#pragma once

#include "image/ImageLayout.h"

#include <array>
#include <cstdint>
#include <optional>

namespace krm {

enum class IdentifyVerdict { R210B, R230B, NoColon, NotAccepted };

// Reads the identify reply: ':' in byte 1, the chip code in byte 0 (0x40 and above R210B, below
// R230B). icConfigType limits the variants accepted: 1 only R210B, 2 only R230B, anything else both.
constexpr IdentifyVerdict judgeIdentifyReply(const std::array<std::uint8_t, 7>& reply, int icConfigType) {
    if (reply[1] != ':') return IdentifyVerdict::NoColon;
    if (reply[0] >= 0x40 && icConfigType != 2) return IdentifyVerdict::R210B;
    if (reply[0] < 0x40 && icConfigType != 1) return IdentifyVerdict::R230B;
    return IdentifyVerdict::NotAccepted;
}

constexpr std::optional<Variant> variantOf(IdentifyVerdict v) {
    if (v == IdentifyVerdict::R210B) return Variant::R210B;
    if (v == IdentifyVerdict::R230B) return Variant::R230B;
    return std::nullopt;
}

} // namespace krm
