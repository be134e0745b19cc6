#include "image/DefaultImages.h"
#include "base/Bits.h"
#include "base/ResourceTable.h"
#include "image/ImageFields.h"
#include "image/SectionDefaults.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace krm {

using test::hex;
using test::slice;

namespace {

const ConfigImage& img(Variant v, int k) {
    return test::factoryImages().image(v, k);
}

// Byte offsets where two images differ.
std::vector<std::size_t> differences(const ConfigImage& a, const ConfigImage& b) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) out.push_back(i);
    return out;
}

bool within(const std::vector<std::size_t>& offsets,
            std::initializer_list<std::pair<std::size_t, std::size_t>> ranges) {
    return std::all_of(offsets.begin(), offsets.end(), [&](std::size_t i) {
        return std::any_of(ranges.begin(), ranges.end(),
                           [&](auto r) { return i >= r.first && i < r.second; });
    });
}

// A fire-macro body as the gun page reads it, written out from its shape: y and iv are the
// Y movement and the interval (two bytes).
std::vector<std::uint8_t> shapedBody(char shape, int y, int interval, std::size_t size) {
    const char* tpl = shape == 'A'   ? "A1 FE 00 01 FD 00 04 00 yy FE ii ii FC 21 FE 00 01"
                      : shape == 'B' ? "FD 00 A1 FE 00 01 04 00 yy FE ii ii 21 FE 00 01 FC"
                      : shape == 'C' ? "FD 00 A1 21 04 00 yy FE ii ii FC"
                                     : "A1 FE 00 18 FD 00 04 00 yy FE ii ii FC 21 FE 00 10 A1 21";
    std::string text = tpl;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", y);
    text.replace(text.find("yy"), 2, buf);
    std::snprintf(buf, sizeof buf, "%02X %02X", interval >> 8, interval & 0xFF);
    text.replace(text.find("ii ii"), 5, buf);
    auto body = hex(text);
    body.resize(size, 0);
    return body;
}

struct Shot {
    char shape;
    int y, interval;
};

} // namespace

TEST(DefaultImages, EveryImageIsValidWithTheCommonAreas) {
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        const ImageLayout layout = ImageLayout::forVariant(v);
        for (int k = 1; k <= 3; ++k) {
            const ConfigImage& image = img(v, k);
            const std::span<const std::uint8_t> s(image);
            const std::string what = defaultImageName(v, k);
            EXPECT_TRUE(sectionChecksumGood(s.subspan(0, 164))) << what;
            EXPECT_TRUE(sectionChecksumGood(s.subspan(164, 28))) << what;
            for (int p = 1; p <= 3; ++p)
                EXPECT_TRUE(sectionChecksumGood(s.subspan(image::profileOffset(p), 49))) << what;
            EXPECT_EQ(image[495], 0xE0) << what;
            EXPECT_EQ(slice(image, 339, 145), std::vector<std::uint8_t>(145, 0xFF)) << what;
            EXPECT_EQ(slice(image, 496, 512), std::vector<std::uint8_t>(512, 0)) << what;
            // The patch code agrees with the checksum its descriptor carries, and is the variant's own.
            const auto code = slice(image, 1024, layout.patchCodeLength);
            EXPECT_EQ(patchCodeChecksum(code), readBe16(image, 1014)) << what;
            EXPECT_EQ(code, slice(img(v, 1), 1024, layout.patchCodeLength)) << what;
        }
    }
    EXPECT_EQ(img(Variant::R210B, 1), img(Variant::R210B, 2));
    EXPECT_EQ(img(Variant::R210B, 1), img(Variant::R210B, 3));
}

TEST(DefaultImages, Image1FieldsOfBothVariants) {
    struct Field {
        std::size_t offset;
        const char* r210b;
        const char* r230b;
    } fields[] = {
        {0, "3A7E 0C51", "3A7E 0C51"},
        {4, "BF 1F 7F 4F AF", "BF FF 7F FF AF"},
        {9, "20 35 29 10 30 1A 00 00 45 02 EF 10 EF 10 EF 10 FF 10 50 03 01 02 48 96 FA 20 1E 02 01 20 00",
         "20 35 29 10 30 1A 00 00 45 02 EF 10 EF 10 EF 10 FF 10 50 03 01 02 48 96 FA 20 1E 02 01 20 00"},
        {40, "06 87 FE", "1C 1A 3F"},
        {43, "05 63 98 BA 00", "05 63 98 BA 0A"},
        {48, "00 00 00 FF 00 64 00 64 08", "01 00 80 00 00 64 01 2C 08"},
        {57, "FF7F00 7FFF00 FF7F7F FF007F 00FF7F 007FFF 7F7FFF 7FFF7F 7F7FFF FFFFFF",
         "FF0000 00FF00 0000FF FFFF00 FF00FF 00FFFF 7FFF00 7F00FF 00FF7F FFFFFF"},
        {87, "FF0000 00FF00 0000FF FFFF00 00FFFF FF00FF 8000FF 0000FF",
         "00FF00 FF00FF 0000FF FF0000 FFFF00 00FFFF FFFFFF 000008"},
        {127, "00000000 0E000000 00000000 07D1F018 00000000 00000000 00000000 00000000 00000000",
         "00000000 0E000000 00000000 07D1F020 00000000 00000000 00000000 00000000 00000000"},
        {164, "00 82 01 00", "00 04 01 00"},
        {168, "0000000000000000000000000000000000000000000000",
         "0000000000000000000000000000000000000000000000"},
        {484, "FF FF 02 00 3C 04 00 3C 07 00 3C E0", "FF FF 01 00 3C 02 00 3C 04 00 3C E0"},
        {1008, "04 00 02 E0 00 1A 5F 63 01 83 00 00 00 00 00 DE",
         "04 00 02 00 00 1A 07 A2 FF FF FF FF FF FF FF FF"},
    };
    for (const auto& f : fields) {
        const auto a = hex(f.r210b), b = hex(f.r230b);
        EXPECT_EQ(slice(img(Variant::R210B, 1), f.offset, a.size()), a) << "R210B at " << f.offset;
        EXPECT_EQ(slice(img(Variant::R230B, 1), f.offset, b.size()), b) << "R230B at " << f.offset;
    }
    for (Variant v : {Variant::R210B, Variant::R230B})
        EXPECT_EQ(productString(slice(img(v, 1), 0, 164)), "HID Gaming Mouse");
    EXPECT_EQ(decodeLedType(img(Variant::R210B, 1)[165]).type, LedType::MCULED);
}

TEST(DefaultImages, FactoryButtonTables) {
    const char* r210Office =
        "01010000 01080002 0692003C 01020000 01100000 09010000 01040000 09000000 09020000 "
        "00000000 00000000 00000000";
    const char* r210Third =
        "01010000 01080002 0692003C 01020000 01100000 02080700 01040000 09000000 08000000 "
        "00000000 00000000 00000000";
    const char* r230Office =
        "01010000 01080002 0691003C 01020000 01100000 09010008 01040000 09000008 09020008 "
        "02080700 0E000000 08000000";
    const char* r230Game = "1006A0FF 0A000000 0B120108 01020000 0B100108 0B110108 01040000 0B110108 0B150208 "
                           "0B140108 0B170308 01010000";
    const char* r230Third =
        "01010000 01080002 0691003C 01020000 01100000 02080700 01040000 09000008 08000000 "
        "00000000 00000000 00000000";
    const char* tables[2][3] = {{r210Office, r210Office, r210Third}, {r230Office, r230Game, r230Third}};
    for (int k = 1; k <= 3; ++k) {
        for (int p = 1; p <= 3; ++p) {
            auto expected = hex(tables[0][p - 1]);
            EXPECT_EQ(slice(img(Variant::R210B, k), image::profileOffset(p), 48), expected)
                << "R210B " << k << "/" << p;
            expected = hex(tables[1][p - 1]);
            if (k == 3 && p == 2) expected = hex(std::string(tables[1][1]).substr(0, 99) + " 05000000");
            EXPECT_EQ(slice(img(Variant::R230B, k), image::profileOffset(p), 48), expected)
                << "R230B " << k << "/" << p;
        }
    }
}

TEST(DefaultImages, R230BImagesDifferOnlyWhereStated) {
    const auto& one = img(Variant::R230B, 1);
    const auto& two = img(Variant::R230B, 2);
    const auto& three = img(Variant::R230B, 3);
    EXPECT_TRUE(within(differences(one, two), {{164, 192}, {1696, 2016}}));
    EXPECT_EQ(slice(two, 164, 7), hex("F1 04 01 04 0F 00 20"));
    EXPECT_EQ(two[191], 0x73);
    EXPECT_TRUE(within(differences(two, three), {{285, 290}, {1696, 2016}}));
    EXPECT_EQ(slice(three, 285, 5), hex("05 00 00 00 85"));
}

TEST(DefaultImages, FireMacroAreas) {
    // The bodies of the examples, byte for byte.
    EXPECT_EQ(slice(img(Variant::R210B, 1), 1808, 24),
              hex("A1 FE 00 01 FD 00 04 00 01 FE 00 28 FC 21 FE 00 01 00 00 00 00 00 00 00"));
    auto c6 = hex("FD 00 A1 21 04 00 06 FE 00 01 FC");
    c6.resize(32, 0);
    EXPECT_EQ(slice(img(Variant::R230B, 1), 1696, 32), c6);

    // Fire macro n: shape, Y movement, interval for the R210B images | R230B image 1 | 2 | 3.
    const char* rows[10] = {
        "A 1 40 | C 6 1 | D 5 50 | B 6 1",    "B 2 1 | C 5 1 | B 3 1 | B 5 1",
        "A 3 18 | C 5 1 | D 4 40 | B 5 1",    "A 4 32 | C 4 1 | D 3 30 | B 4 1",
        "A 5 32 | C 6 1 | D 4 40 | B 6 1",    "A 6 32 | C 16 1 | D 5 40 | B 16 1",
        "A 7 32 | C 22 1 | D 9 40 | B 22 1",  "A 8 32 | C 10 1 | D 5 50 | B 20 1",
        "A 9 32 | C 26 1 | D 22 50 | B 26 1", "A 10 32 | C 32 1 | D 38 50 | B 32 1",
    };
    for (int i = 0; i < 10; ++i) {
        Shot s[4];
        ASSERT_EQ(std::sscanf(rows[i], " %c %d %d | %c %d %d | %c %d %d | %c %d %d", &s[0].shape, &s[0].y,
                              &s[0].interval, &s[1].shape, &s[1].y, &s[1].interval, &s[2].shape, &s[2].y,
                              &s[2].interval, &s[3].shape, &s[3].y, &s[3].interval),
                  12);
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(slice(img(Variant::R210B, k), 1808 + 24 * i, 24),
                      shapedBody(s[0].shape, s[0].y, s[0].interval, 24))
                << "R210B image " << k << " macro " << i + 1;
            const Shot& t = s[k];
            EXPECT_EQ(slice(img(Variant::R230B, k), 1696 + 32 * i, 32),
                      shapedBody(t.shape, t.y, t.interval, 32))
                << "R230B image " << k << " macro " << i + 1;
            EXPECT_EQ(decodeName16(slice(img(Variant::R230B, k), 1536 + 16 * i, 16)),
                      "Macro" + std::to_string(i + 1));
        }
    }
    EXPECT_EQ(slice(img(Variant::R230B, 1), 1536, 16), hex("004D 0061 0063 0072 006F 0031 0000 0000"));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(slice(img(Variant::R230B, k), 2016, 32), std::vector<std::uint8_t>(32, 0xFF));
}

TEST(DefaultImages, LoadingGivesTheDeviceIdsAndTheEmptyMacroLibrary) {
    DefaultImageSet set;
    EXPECT_EQ(loadDefaultImages(set, 1), (UsbIds{0x3A7E, 0x0C51}));
    EXPECT_EQ(loadDefaultImages(set, 0), (UsbIds{0x3A7E, 0x0C51}));
    EXPECT_EQ(set.image(Variant::R230B, 2)[164], 0xF1);

    const auto library = ResourceTable::find("PCMacroData");
    ASSERT_TRUE(library);
    EXPECT_EQ(library->size(), 27200u);
    EXPECT_TRUE(std::all_of(library->begin(), library->end(), [](std::uint8_t b) { return b == 0; }));
}

} // namespace krm
