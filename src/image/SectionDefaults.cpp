#include "image/SectionDefaults.h"

#include <algorithm>
#include <array>

namespace krm {

namespace {

using Bytes3 = std::array<std::uint8_t, 3>;

// Bytes 8..39: the last option byte, then the 31 sensor registers.
constexpr std::array<std::uint8_t, 32> kOptionAndSensorBytes = {
    0xAF, 0x20, 0x35, 0x29, 0x10, 0x30, 0x1A, 0x00, 0x00, 0x45, 0x02, 0xEF, 0x10, 0xEF, 0x10, 0xEF,
    0x10, 0xFF, 0x10, 0x50, 0x03, 0x01, 0x02, 0x48, 0x96, 0xFA, 0x20, 0x1E, 0x02, 0x01, 0x20, 0x00};

constexpr std::array<std::uint8_t, 5> kDpiBytes = {0x03, 0x64, 0x98, 0x00, 0x00}; // 4 levels: 4, 6, 8, 9

constexpr std::array<std::uint8_t, 30> kColours = {
    0xFF, 0x00, 0x00, 0xFF, 0x80, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x80, 0x00, 0xFF, 0xFF, 0x80, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};

constexpr std::array<std::uint8_t, 24> kDpiColours = {0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x80,
                                                      0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x80, 0xFF,
                                                      0x00, 0xFF, 0x80, 0x00, 0xFF, 0x00, 0x00, 0xFF};

constexpr std::string_view kProductString = "HID Gaming mouse";

constexpr std::array<std::uint8_t, 48> kProfileCodes = {
    0x01, 0x01, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x06, 0x12, 0x00, 0x10, 0x01, 0x02, 0x00, 0x00,
    0x01, 0x10, 0x00, 0x00, 0x02, 0x08, 0x07, 0x00, 0x01, 0x04, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00,
    0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

constexpr std::array<std::uint8_t, 12> kFireKeyBlock = {0xFF, 0xFF, 0x01, 0x00, 0x3C, 0x03,
                                                        0x00, 0x78, 0x07, 0x00, 0xC8, 0xE0};

LedType effectiveType(const DefaultInputs& in) {
    return ledTypeFromText(in.ledType).value_or(LedType::RGB);
}

template <std::size_t N>
void put(std::span<std::uint8_t> dst, std::size_t at, const std::array<std::uint8_t, N>& src) {
    std::copy(src.begin(), src.end(), dst.begin() + static_cast<std::ptrdiff_t>(at));
}

bool checkProfile(ProfileCopy profile, const DefaultInputs& in) {
    if (sectionChecksumGood(profile)) return false;
    generateProfileSection(profile, in);
    return true;
}

} // namespace

std::string_view ledTypeText(LedType type) {
    switch (type) {
    case LedType::RGB:
        return "RGB";
    case LedType::Sync:
        return "Sync";
    case LedType::NT:
        return "NT";
    case LedType::MCULED:
        return "MCULED";
    }
    return "";
}

std::optional<LedType> ledTypeFromText(std::string_view text) {
    for (LedType t : {LedType::RGB, LedType::Sync, LedType::NT, LedType::MCULED})
        if (text == ledTypeText(t)) return t;
    return std::nullopt;
}

bool sectionChecksumGood(std::span<const std::uint8_t> section) {
    return !section.empty() && sectionChecksum(section) == section.back();
}

void storeSectionChecksum(std::span<std::uint8_t> section) {
    section.back() = sectionChecksum(section);
}

void generateVendorSection(VendorCopy v, const DefaultInputs& in) {
    const LedType type = effectiveType(in);
    put(v, 0, std::array<std::uint8_t, 5>{0x3A, 0x7E, 0x0C, 0x51, 0xBF});
    switch (type) {
    case LedType::RGB:
        put(v, 5, Bytes3{0xFF, 0x7F, 0x7F});
        break;
    case LedType::Sync:
        put(v, 5, Bytes3{0x3F, 0x7F, 0xBF});
        break;
    case LedType::NT:
    case LedType::MCULED:
        put(v, 5, Bytes3{0x3F, 0x7F, 0xCF});
        break;
    }
    put(v, 8, kOptionAndSensorBytes);
    if (in.packageIndex == 0) put(v, 40, std::array<std::uint8_t, 2>{0x06, 0x87});
    if (in.packageIndex == 1) put(v, 40, std::array<std::uint8_t, 2>{0x10, 0xE0});
    constexpr std::uint8_t kModeMask[] = {0x3F, 0x05, 0x37, 0x7F}; // in LedType order
    v[42] = kModeMask[static_cast<int>(type)];
    put(v, 43, kDpiBytes);
    switch (type) {
    case LedType::RGB:
        put(v, 48, std::array<std::uint8_t, 9>{0x01, 0x00, 0x80, 0x00, 0x00, 0x64, 0x00, 0x64, 0x08});
        break;
    case LedType::Sync:
        put(v, 48, std::array<std::uint8_t, 9>{0x00, 0x00, 0x00, 0xFF, 0x00, 0x64, 0x6D, 0x60, 0x08});
        break;
    case LedType::NT:
    case LedType::MCULED:
        put(v, 48, std::array<std::uint8_t, 9>{0x00, 0x00, 0x00, 0xFF, 0x00, 0x64, 0x00, 0x64, 0x08});
        break;
    }
    if (type != LedType::Sync) {
        put(v, 57, kColours);
        put(v, 87, kDpiColours);
    }
    std::fill(v.begin() + 111, v.begin() + 127, 0);
    std::copy(kProductString.begin(), kProductString.end(), v.begin() + 111);
    std::fill(v.begin() + 127, v.begin() + 163, 0);
    put(v, image::kComboKeyOffset + 8, std::array<std::uint8_t, 4>{0x08, 0x01, 0x00, 0x00}); // combo key 3
    storeSectionChecksum(v);
}

void generateUserSection(UserCopy u, const DefaultInputs& in) {
    std::fill(u.begin(), u.end(), 0);
    constexpr std::uint8_t kTypeByte[] = {0x05, 0x42, 0xF5, 0x81}; // in LedType order
    u[1] = kTypeByte[static_cast<int>(effectiveType(in))];
    u[2] = 0x01;
    u[3] = 0x01;
    storeSectionChecksum(u);
}

void generateProfileSection(ProfileCopy p, const DefaultInputs& in) {
    if (in.packageIndex == 0 || in.packageIndex == 1) put(p, 0, kProfileCodes);
    storeSectionChecksum(p);
}

void generateFireKeyBlock(FireKeyCopy f) {
    put(f, 0, kFireKeyBlock);
}

bool checkVendorSection(VendorCopy vendor, const DefaultInputs& in) {
    if (sectionChecksumGood(vendor)) return false;
    generateVendorSection(vendor, in);
    return true;
}

bool checkUserSection(UserCopy user, const DefaultInputs& in) {
    if (sectionChecksumGood(user)) return false;
    generateUserSection(user, in);
    return true;
}

bool checkProfile1Section(ProfileCopy profile, const DefaultInputs& in) {
    return checkProfile(profile, in);
}
bool checkProfile2Section(ProfileCopy profile, const DefaultInputs& in) {
    return checkProfile(profile, in);
}
bool checkProfile3Section(ProfileCopy profile, const DefaultInputs& in) {
    return checkProfile(profile, in);
}

} // namespace krm
