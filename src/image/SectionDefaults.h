#pragma once

#include "image/ImageLayout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace krm {

// The four kinds of LED hardware; the lighting editor holds the current one as text.
enum class LedType { RGB, Sync, NT, MCULED };

std::string_view ledTypeText(LedType type);
// "RGB", "Sync", "NT" or "MCULED"; any other text (the empty one before the first refresh) gives nothing.
std::optional<LedType> ledTypeFromText(std::string_view text);

// What decides some bytes of the generated sections.
struct DefaultInputs {
    std::string ledType;             // the lighting editor's type text; empty is treated like "RGB"
    std::optional<int> packageIndex; // cb_Package: 0 "A-Tech LED", 1 "RGB LED"; nothing when unselected
};

using VendorCopy = std::span<std::uint8_t, image::kVendorLength>;
using UserCopy = std::span<std::uint8_t, image::kUserLength>;
using ProfileCopy = std::span<std::uint8_t, image::kProfileLength>;
using FireKeyCopy = std::span<std::uint8_t, image::kFireKeyLength>;

// Fill a section copy with the generated defaults, checksum included. Bytes the inputs leave alone
// (colours for "Sync", LED init bytes and profile codes without a cb_Package selection) keep their values.
void generateVendorSection(VendorCopy vendor, const DefaultInputs& in);
void generateUserSection(UserCopy user, const DefaultInputs& in);
void generateProfileSection(ProfileCopy profile, const DefaultInputs& in);
void generateFireKeyBlock(FireKeyCopy fireKey);

// Validate a section copy: when its checksum byte is wrong, fill it with the generated defaults.
// True when the copy was repaired.
bool checkVendorSection(VendorCopy vendor, const DefaultInputs& in);
bool checkUserSection(UserCopy user, const DefaultInputs& in);
bool checkProfile1Section(ProfileCopy profile, const DefaultInputs& in);
bool checkProfile2Section(ProfileCopy profile, const DefaultInputs& in);
bool checkProfile3Section(ProfileCopy profile, const DefaultInputs& in);

// True when the last byte of the section is its checksum.
bool sectionChecksumGood(std::span<const std::uint8_t> section);
// Recompute and store the checksum in the last byte.
void storeSectionChecksum(std::span<std::uint8_t> section);

} // namespace krm
