#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace krm {

// The two chip variants of the KRM family.
enum class Variant { R210B, R230B };

constexpr std::string_view variantName(Variant v) {
    return v == Variant::R210B ? "R210B" : "R230B";
}
std::optional<Variant> variantFromName(std::string_view name);

inline constexpr std::size_t kImageSize = 2048;

// Sections of the configuration image that are the same for both variants.
namespace image {
inline constexpr std::size_t kVendorOffset = 0, kVendorLength = 164;    // checksum at 163
inline constexpr std::size_t kUserOffset = 164, kUserLength = 28;       // checksum at 191
inline constexpr std::size_t kProfileOffset = 192, kProfileLength = 49; // profile p at 192 + 49(p-1)
inline constexpr std::size_t kProfilesLength = 3 * kProfileLength;      // 147, written as one block
inline constexpr std::size_t kReservedOffset = 339, kReservedLength = 41;
inline constexpr std::size_t kFreeOffset = 380, kFreeLength = 104;      // never read or written alone
inline constexpr std::size_t kFireKeyOffset = 484, kFireKeyLength = 12; // marker at 495
inline constexpr std::size_t kMarkerOffset = 495;
inline constexpr std::uint8_t kMarker = 0xE0;
inline constexpr std::size_t kMacroOffset = 496, kMacroLength = 512;
inline constexpr std::size_t kPatchBlockOffset = 1008, kPatchBlockLength = 16;
inline constexpr std::size_t kPatchCodeOffset = 1024;
inline constexpr std::size_t kMacroHalfLength = 256;  // the macro block goes in two halves
inline constexpr std::size_t kFireMacroNameSize = 16; // R230B: 10 names in front of the bodies
inline constexpr std::size_t kComboKeyOffset = 127;   // combo key n at 127 + 4(n-1)
inline constexpr int kFireMacroCount = 10;

constexpr std::size_t profileOffset(int profile /*1..3*/) {
    return kProfileOffset + kProfileLength * static_cast<std::size_t>(profile - 1);
}
} // namespace image

// Where the variant-dependent areas lie (from byte 1024 on).
struct ImageLayout {
    Variant variant = Variant::R210B;
    std::size_t patchCodeLength = 784;
    std::size_t fireMacroAreaOffset = 1808;
    std::size_t fireMacroAreaLength = 240;
    std::size_t fireMacroBodySize = 24;
    std::size_t firstBodyOffset = 0; // within the fire-macro area; R230B keeps its ten names in front

    static constexpr ImageLayout forVariant(Variant v) {
        if (v == Variant::R210B) return ImageLayout{};
        return ImageLayout{Variant::R230B, 512, 1536, 512, 32, 160};
    }
    // Image offset of fire-macro body i (0..9).
    constexpr std::size_t bodyOffset(int i) const {
        return fireMacroAreaOffset + firstBodyOffset + fireMacroBodySize * static_cast<std::size_t>(i);
    }
};

// The integrity byte of a section: the sum of all bytes but the last, modulo 256, XOR 0x5A.
// `section` is the whole section including its checksum byte.
std::uint8_t sectionChecksum(std::span<const std::uint8_t> section);

} // namespace krm
