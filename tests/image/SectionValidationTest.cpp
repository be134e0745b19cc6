#include "image/ConfigImage.h"
#include "image/SectionDefaults.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

namespace krm {

using test::hex;
using test::slice;

namespace {

std::array<std::uint8_t, image::kVendorLength> generatedVendor(const DefaultInputs& in) {
    std::array<std::uint8_t, image::kVendorLength> v{};
    generateVendorSection(v, in);
    return v;
}

// The vendor section of R210B factory image 1: valid, with colours other than the generated ones.
std::array<std::uint8_t, image::kVendorLength> factoryVendor() {
    std::array<std::uint8_t, image::kVendorLength> v{};
    const auto& image = test::factoryImages().image(Variant::R210B, 1);
    std::copy_n(image.begin(), v.size(), v.begin());
    return v;
}

} // namespace

TEST(SectionValidation, ImageReadAsAllFFIsRepairedInTheCopiesOnly) {
    ConfigImage ff;
    ff.fill(0xFF);
    ImageState state = ImageState::forVariant(Variant::R210B);
    replaceImage(state, ff, DefaultInputs{"", 0});

    const char* expected[] = {"07", "BF", "8A", "8A", "8A"}; // what all-FF sections would need
    for (std::size_t i = 0; i < 5; ++i) {
        const SectionCheck& s = state.lastUnpack.sections[i];
        EXPECT_TRUE(s.repaired) << sectionName(s.id);
        EXPECT_EQ(s.stored, 0xFF);
        EXPECT_EQ(s.expected, hex(expected[i])[0]) << sectionName(s.id);
    }
    EXPECT_EQ(state.image, ff) << "validation leaves the image as read";

    // The copies now hold the generated defaults; an empty LED type counts as "RGB".
    EXPECT_EQ(slice(state.copies.vendor, 0, 8), hex("3A7E 0C51 BF FF 7F 7F"));
    EXPECT_EQ(slice(state.copies.vendor, 40, 8), hex("06 87 3F 03 64 98 00 00"));
    EXPECT_EQ(slice(state.copies.user, 0, 4), hex("00 05 01 01"));
    for (const auto& profile : state.copies.profiles)
        EXPECT_EQ(slice(profile, 0, 12), hex("01010000 01080000 06120010"));
    EXPECT_TRUE(state.lastUnpack.anyRepaired());
    EXPECT_EQ(state.codeText.profiles[1][5], "02080700") << "code text follows the repaired copies";
    EXPECT_EQ(state.codeText.comboKeys[2], "08010000");
}

TEST(SectionValidation, GeneratedBytesFollowTheLedType) {
    struct Case {
        const char* type;
        const char* bytes5to7;
        const char* modeMask;
        const char* breathing; // 48..56
        const char* typeByte;  // user byte 165
    } cases[] = {
        {"RGB", "FF 7F 7F", "3F", "01 00 80 00 00 64 00 64 08", "05"},
        {"", "FF 7F 7F", "3F", "01 00 80 00 00 64 00 64 08", "05"},
        {"Sync", "3F 7F BF", "05", "00 00 00 FF 00 64 6D 60 08", "42"},
        {"NT", "3F 7F CF", "37", "00 00 00 FF 00 64 00 64 08", "F5"},
        {"MCULED", "3F 7F CF", "7F", "00 00 00 FF 00 64 00 64 08", "81"},
    };
    for (const auto& c : cases) {
        const DefaultInputs in{c.type, 1};
        const auto v = generatedVendor(in);
        EXPECT_EQ(slice(v, 5, 3), hex(c.bytes5to7)) << c.type;
        EXPECT_EQ(slice(v, 40, 3), hex(std::string("10 E0 ") + c.modeMask)) << c.type;
        EXPECT_EQ(slice(v, 48, 9), hex(c.breathing)) << c.type;
        EXPECT_EQ(std::string(v.begin() + 111, v.begin() + 127), "HID Gaming mouse");
        EXPECT_EQ(v[163], sectionChecksum(v)) << c.type;

        std::array<std::uint8_t, image::kUserLength> u;
        u.fill(0xEE);
        generateUserSection(u, in);
        EXPECT_EQ(slice(u, 0, 4), hex(std::string("00 ") + c.typeByte + " 01 01")) << c.type;
        EXPECT_EQ(slice(u, 4, 23), std::vector<std::uint8_t>(23, 0));
        EXPECT_EQ(u[27], sectionChecksum(u));
    }
}

TEST(SectionValidation, DamagedVendorSectionKeepsColoursOnlyForSync) {
    auto vendor = factoryVendor();
    vendor[163] ^= 1; // checksum off by one
    const auto oldColours = slice(vendor, 57, 54);

    auto sync = vendor;
    EXPECT_TRUE(checkVendorSection(sync, DefaultInputs{"Sync", 0}));
    EXPECT_EQ(slice(sync, 57, 54), oldColours) << "bytes 57..110 kept for Sync";
    EXPECT_EQ(slice(sync, 5, 3), hex("3F 7F BF"));
    EXPECT_EQ(sync[163], sectionChecksum(sync));

    auto rgb = vendor;
    EXPECT_TRUE(checkVendorSection(rgb, DefaultInputs{"RGB", 0}));
    EXPECT_EQ(slice(rgb, 57, 6), hex("FF0000 FF8000"));
    EXPECT_EQ(slice(rgb, 87, 6), hex("00FF00 FFFF00"));
    EXPECT_EQ(slice(rgb, 127, 36),
              hex("00000000 00000000 08010000 00000000 00000000 00000000 00000000 00000000 00000000"));

    auto unselected = vendor;
    EXPECT_TRUE(checkVendorSection(unselected, DefaultInputs{"RGB", std::nullopt}));
    EXPECT_EQ(slice(unselected, 40, 2), slice(vendor, 40, 2))
        << "LED init bytes kept without a cb_Package selection";

    auto good = factoryVendor();
    EXPECT_FALSE(checkVendorSection(good, DefaultInputs{}));
    EXPECT_EQ(good, factoryVendor()) << "a good section is left alone";
}

TEST(SectionValidation, DamagedProfile2IsRegeneratedWhileProfiles1And3Stay) {
    ConfigImage image = test::factoryImages().image(Variant::R230B, 1);
    image[image::profileOffset(2) + 7] ^= 0x40; // a code byte changes, the checksum does not
    ImageState state = ImageState::forVariant(Variant::R230B);
    replaceImage(state, image, DefaultInputs{"RGB", 0});

    EXPECT_FALSE(state.lastUnpack.sections[2].repaired);
    EXPECT_TRUE(state.lastUnpack.sections[3].repaired);
    EXPECT_FALSE(state.lastUnpack.sections[4].repaired);
    EXPECT_EQ(state.codeText.profiles[0][9], "02080700") << "profile 1 as read";
    EXPECT_EQ(state.codeText.profiles[2][5], "02080700") << "profile 3 as read";
    const std::array<std::string, 12> defaults = {"01010000", "01080000", "06120010", "01020000",
                                                  "01100000", "02080700", "01040000", "09000000",
                                                  "08000000", "00000000", "00000000", "00000000"};
    EXPECT_EQ(state.codeText.profiles[1], defaults);
    EXPECT_EQ(state.copies.profiles[1][48], sectionChecksum(state.copies.profiles[1]));

    // Without a cb_Package selection (the first read) the image's own package decides: the damaged codes
    // are never kept under a fresh checksum.
    replaceImage(state, image, DefaultInputs{"RGB", std::nullopt});
    EXPECT_TRUE(state.lastUnpack.sections[3].repaired);
    EXPECT_EQ(state.codeText.profiles[1], defaults);
    EXPECT_NE(slice(state.copies.profiles[1], 0, 48), slice(image, image::profileOffset(2), 48));
}

TEST(SectionValidation, GeneratedFireKeyBlock) {
    std::array<std::uint8_t, image::kFireKeyLength> block{};
    generateFireKeyBlock(block);
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.end()),
              hex("FF FF 01 00 3C 03 00 78 07 00 C8 E0"));
}

} // namespace krm
