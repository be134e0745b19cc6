#include "image/DefaultImages.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

namespace krm {

using test::slice;

TEST(Restore, ChoosesTheImageOfTheIdentifiedVariant) {
    const auto& set = test::factoryImages();
    struct Case {
        std::optional<Variant> variant;
        int k;
        Variant source;
    } cases[] = {{Variant::R230B, 2, Variant::R230B},
                 {Variant::R210B, 2, Variant::R210B},
                 {std::nullopt, 3, Variant::R210B}}; // no variant identified yet
    for (const auto& c : cases)
        EXPECT_EQ(&restoreSourceImage(set, c.variant, c.k), &set.image(c.source, c.k)) << c.k;

    ImageState r230 = ImageState::forVariant(Variant::R230B);
    prepareRestore(r230, set, Variant::R230B, 2, DefaultInputs{});
    EXPECT_EQ(r230.image[164], 0xF1) << "profile 2 stays current";
    EXPECT_EQ(r230.copies.user[0], 0xF1);
    EXPECT_FALSE(r230.lastUnpack.anyRepaired());
    EXPECT_EQ(r230.codeText.profiles[1][0], "1006A0FF");

    ImageState r210 = ImageState::forVariant(Variant::R210B);
    prepareRestore(r210, set, Variant::R210B, 2, DefaultInputs{});
    EXPECT_EQ(r210.image, set.image(Variant::R210B, 1)) << "restore 2 on R210B gives the image of restore 1";
}

TEST(Restore, RegenerationRebuildsSectionsEmptiesMacrosAndZeroesBodiesInMemoryOnly) {
    ConfigImage start = test::factoryImages().image(Variant::R230B, 2);
    start[600] = 0x42; // a macro block byte
    start[400] = 0x17; // a free byte: no copy covers it
    ImageState state = ImageState::forVariant(Variant::R230B);
    replaceImage(state, start, DefaultInputs{});
    const auto area = state.copies.fireMacroArea;

    regenerateDefaults(state, DefaultInputs{"Sync", 0});

    const ConfigImage& out = state.image;
    EXPECT_EQ(slice(out, 5, 3), test::hex("3F 7F BF"));
    EXPECT_EQ(slice(out, 57, 54), slice(start, 57, 54)) << "Sync keeps the colour tables";
    EXPECT_EQ(out[165], 0x42);
    EXPECT_EQ(slice(out, 484, 12), test::hex("FF FF 01 00 3C 03 00 78 07 00 C8 E0"));
    for (auto [offset, length] :
         {std::pair<std::size_t, std::size_t>{0, 164}, {164, 28}, {192, 49}, {241, 49}, {290, 49}})
        EXPECT_EQ(out[offset + length - 1],
                  sectionChecksum(std::span<const std::uint8_t>(out).subspan(offset, length)));
    EXPECT_EQ(state.codeText.profiles[1][0], "01010000");
    EXPECT_EQ(slice(out, 496, 512), std::vector<std::uint8_t>(512, 0)) << "macro block emptied";
    EXPECT_EQ(out[400], 0x17);
    EXPECT_EQ(slice(out, 1008, 1040), slice(start, 1008, 1040))
        << "patch and fire-macro areas go out unchanged";
    EXPECT_EQ(state.copies.fireMacroArea, area);
    for (const auto& body : state.copies.fireMacroBodies) EXPECT_EQ(body, std::vector<std::uint8_t>(32, 0));
}

} // namespace krm
