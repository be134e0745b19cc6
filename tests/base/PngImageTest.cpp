#include "base/PngImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace krm {

namespace {
std::vector<std::uint8_t> checkerPng() {
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint8_t v = (x + y) % 2 ? 255 : 0;
            rgba.insert(rgba.end(),
                        {v, static_cast<std::uint8_t>(x * 10), static_cast<std::uint8_t>(y * 20), 200});
        }
    return encodePng(4, 3, rgba);
}
} // namespace

TEST(PngImage, RoundTripsPixels) {
    auto bytes = checkerPng();
    ASSERT_FALSE(bytes.empty());
    PngImage img = PngImage::decode(bytes);
    ASSERT_FALSE(img.isNull()) << img.error();
    EXPECT_EQ(img.width(), 4);
    EXPECT_EQ(img.height(), 3);
    ASSERT_EQ(img.rgba().size(), 4u * 3 * 4);
    // pixel (1, 2): odd sum -> red 255, green 10, blue 40, alpha 200
    const std::uint8_t* p = &img.rgba()[(2 * 4 + 1) * 4];
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 10);
    EXPECT_EQ(p[2], 40);
    EXPECT_EQ(p[3], 200);
}

TEST(PngImage, RefusesDamagedData) {
    auto good = checkerPng();
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"not a png", {'h', 'e', 'l', 'l', 'o'}});
    cases.push_back({"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 33)});
    cases.push_back({"truncated pixels", std::vector<std::uint8_t>(good.begin(), good.end() - 20)});
    auto flipped = good;
    flipped[good.size() / 2] ^= 0xFF; // inside the compressed pixel data
    cases.push_back({"corrupt pixels", flipped});

    for (const auto& c : cases) {
        PngImage img = PngImage::decode(c.bytes);
        EXPECT_TRUE(img.isNull()) << c.what;
        EXPECT_TRUE(img.rgba().empty()) << c.what;
        EXPECT_FALSE(img.error().empty()) << c.what;
    }
}

TEST(PngImage, RefusesAHeaderClaimingGigabytesBeforeTakingTheMemory) {
    // The fuzzer's reproducer: 68 bytes whose header claims 32767 x 32767 RGBA pixels (4 GiB).
    std::ifstream in("fuzz/crashes/png/huge-dimensions.png", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 68u);
    const PngImage img = PngImage::decode(bytes);
    EXPECT_TRUE(img.isNull());
    EXPECT_NE(img.error().find("too large: 32767 x 32767"), std::string::npos) << img.error();
}

TEST(PngImage, MissingResourceIsAnError) {
    PngImage img = PngImage::fromResource("NoSuchPicture");
    EXPECT_TRUE(img.isNull());
    EXPECT_NE(img.error().find("NoSuchPicture"), std::string::npos);
}

} // namespace krm
