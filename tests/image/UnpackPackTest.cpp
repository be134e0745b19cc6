#include "image/ConfigImage.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

namespace krm {

using test::slice;

namespace {

// An image with a distinct byte almost everywhere and valid checksums, so that a byte copied to
// or from the wrong place shows.
ConfigImage patterned() {
    ConfigImage image;
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    auto fix = [&](std::size_t offset, std::size_t length) {
        std::span<std::uint8_t> s(image.data() + offset, length);
        s.back() = sectionChecksum(s);
    };
    fix(image::kVendorOffset, image::kVendorLength);
    fix(image::kUserOffset, image::kUserLength);
    for (int p = 1; p <= 3; ++p) fix(image::profileOffset(p), image::kProfileLength);
    return image;
}

} // namespace

TEST(UnpackPack, RoundTripKeepsEveryByteForBothVariants) {
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        const ConfigImage original = patterned();
        ImageState state = ImageState::forVariant(v);
        replaceImage(state, original, DefaultInputs{});
        EXPECT_FALSE(state.lastUnpack.anyRepaired());

        ConfigImage packed{}; // bytes no copy covers (380..483) come out as they were here: 0
        packImage(state.copies, packed);
        for (std::size_t i = 0; i < kImageSize; ++i) {
            const bool free = i >= image::kFreeOffset && i < image::kFreeOffset + image::kFreeLength;
            ASSERT_EQ(packed[i], free ? 0 : original[i]) << variantName(v) << " byte " << i;
        }

        // Writing the bodies (and names) back changes nothing in the area.
        const auto area = state.copies.fireMacroArea;
        storeFireMacroBodies(state.copies);
        EXPECT_EQ(state.copies.fireMacroArea, area) << variantName(v);
    }
}

TEST(UnpackPack, FireMacroAreaSplitsIntoBodiesAndNames) {
    const ConfigImage image = patterned();
    SectionCopies r210 = SectionCopies::forVariant(Variant::R210B);
    unpackImage(image, r210, DefaultInputs{});
    EXPECT_EQ(r210.patchCode.size(), 784u);
    EXPECT_EQ(r210.fireMacroBodies[0], slice(image, 1808, 24));
    EXPECT_EQ(r210.fireMacroBodies[9], slice(image, 2024, 24));
    EXPECT_EQ(r210.fireMacroNames[3], (std::array<std::uint8_t, 16>{})) << "R210B has no names";

    SectionCopies r230 = SectionCopies::forVariant(Variant::R230B);
    unpackImage(image, r230, DefaultInputs{});
    EXPECT_EQ(r230.patchCode, slice(image, 1024, 512));
    EXPECT_EQ(r230.fireMacroArea, slice(image, 1536, 512));
    EXPECT_EQ(r230.fireMacroBodies[0], slice(image, 1696, 32));
    EXPECT_EQ(r230.fireMacroBodies[9], slice(image, 1984, 32));
    const auto name3 = slice(image, 1536 + 48, 16);
    EXPECT_TRUE(std::equal(name3.begin(), name3.end(), r230.fireMacroNames[3].begin()));
}

TEST(UnpackPack, GunMacroBodiesReplaceOnlyTheirBytes) {
    ConfigImage image = patterned();
    SectionCopies c = SectionCopies::forVariant(Variant::R230B);
    unpackImage(image, c, DefaultInputs{});
    const auto before = c.fireMacroArea;
    std::fill(c.fireMacroBodies[2].begin(), c.fireMacroBodies[2].end(), 0xAB);
    storeFireMacroBodies(c);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool body2 = i >= 160 + 64 && i < 160 + 96;
        ASSERT_EQ(c.fireMacroArea[i], body2 ? 0xAB : before[i]) << i;
    }
}

} // namespace krm
