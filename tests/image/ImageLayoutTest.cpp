#include "image/ImageLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace krm {

TEST(ImageLayout, SectionChecksum) {
    std::vector<std::uint8_t> zeros(164, 0);
    EXPECT_EQ(sectionChecksum(zeros), 0x5A);
    // Sections read as all 0xFF would need these checksums, never 0xFF itself.
    EXPECT_EQ(sectionChecksum(std::vector<std::uint8_t>(164, 0xFF)), 0x07);
    EXPECT_EQ(sectionChecksum(std::vector<std::uint8_t>(28, 0xFF)), 0xBF);
    EXPECT_EQ(sectionChecksum(std::vector<std::uint8_t>(49, 0xFF)), 0x8A);
}

TEST(ImageLayout, VariantAreas) {
    auto a = ImageLayout::forVariant(Variant::R210B);
    EXPECT_EQ(a.bodyOffset(0), 1808u);
    EXPECT_EQ(a.bodyOffset(9) + a.fireMacroBodySize, kImageSize);
    EXPECT_EQ(image::kPatchCodeOffset + a.patchCodeLength, a.fireMacroAreaOffset);
    auto b = ImageLayout::forVariant(Variant::R230B);
    EXPECT_EQ(b.bodyOffset(0), 1696u);
    EXPECT_EQ(b.bodyOffset(9) + b.fireMacroBodySize, 2016u);
    EXPECT_EQ(image::kPatchCodeOffset + b.patchCodeLength, b.fireMacroAreaOffset);
    EXPECT_EQ(image::profileOffset(3), 290u);
}

} // namespace krm
