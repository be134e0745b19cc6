#include "image/ImageFields.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

#include <map>

namespace krm {

using test::hex;

TEST(FieldDecoding, LedTypeByte) {
    struct Case {
        std::uint8_t byte;
        LedType type;
        int mode, count;
    } cases[] = {
        {0x04, LedType::RGB, 4, 0},
        {0x3F, LedType::RGB, 15, 0},
        {0x42, LedType::Sync, 2, 0},
        {0x82, LedType::MCULED, 2, 0},
        {0x8F, LedType::MCULED, 15, 0},
        {0x95, LedType::NT, 5, 2},
        {0xB4, LedType::NT, 4, 4},
        {0xC0, LedType::NT, 0, 5},
        {0xF5, LedType::NT, 5, 8},
        // NT with one LED is written as 0x80 + mode and cannot be told from MCULED.
        {0x80 + 0x01, LedType::MCULED, 1, 0},
    };
    for (const auto& c : cases) {
        const LedTypeByte d = decodeLedType(c.byte);
        EXPECT_EQ(d.type, c.type) << std::hex << int(c.byte);
        EXPECT_EQ(d.mode, c.mode) << std::hex << int(c.byte);
        EXPECT_EQ(d.ledCount, c.count) << std::hex << int(c.byte);
    }
    EXPECT_EQ(ledTypeFromText("MCULED"), LedType::MCULED);
    EXPECT_FALSE(ledTypeFromText(""));
    EXPECT_FALSE(ledTypeFromText("rgb"));
}

TEST(FieldDecoding, UserBytesWithReadingRules) {
    struct Colour {
        std::uint8_t byte164;
        std::optional<int> index;
    } colours[] = {{0x00, 0}, {0x91, 9}, {0xA0, std::nullopt}, {0xE2, std::nullopt}, {0xF1, 10}};
    for (const auto& c : colours) EXPECT_EQ(profileColourIndex(c.byte164), c.index) << int(c.byte164);
    EXPECT_EQ(currentProfile(0xF1), 1);

    struct Effect {
        std::uint8_t byte167;
        std::optional<int> index;
    } effects[] = {{0, 0}, {1, 1}, {2, std::nullopt}, {3, std::nullopt}, {4, 0}, {5, 1}, {6, std::nullopt}};
    for (const auto& e : effects) EXPECT_EQ(buttonEffectIndex(e.byte167), e.index) << int(e.byte167);

    std::vector<std::uint8_t> user(28, 0);
    user[user::kXAdjust + 2] = 0x7F;
    user[user::kYAdjust + 9] = 0x80;
    user[user::kYAdjust] = 0xFF;
    EXPECT_EQ(fireMacroXAdjust(user, 2), 127);
    EXPECT_EQ(fireMacroYAdjust(user, 9), -128);
    EXPECT_EQ(fireMacroYAdjust(user, 0), -1);
}

TEST(FieldDecoding, VendorFields) {
    std::vector<std::uint8_t> v(164, 0);
    v[4] = 0xBF;
    v[5] = 0x1F;
    v[6] = 0x7F;
    const auto dpi = hex("05 63 98 BA F0");
    std::copy(dpi.begin(), dpi.end(), v.begin() + 43);
    const auto breathing = hex("01 00 80 00 00 64 01 2C 33");
    std::copy(breathing.begin(), breathing.end(), v.begin() + 48);
    v[57] = 0x11, v[58] = 0x22, v[59] = 0x33;
    const std::string product = "HID";
    std::copy(product.begin(), product.end(), v.begin() + 111);

    EXPECT_EQ(reportRateHz(v), 1000);
    const DpiLevels d = decodeDpiLevels(v);
    EXPECT_EQ(d.count, 6);
    EXPECT_EQ(d.steps, (std::array<int, 8>{3, 6, 8, 9, 10, 11, 0, 15}));
    EXPECT_EQ(dpiStepText(3), "800");
    EXPECT_EQ(dpiStepText(11), "6400");
    EXPECT_EQ(dpiStepText(15), "") << "no value";
    EXPECT_EQ(dpiStepText(12), "");

    const Breathing b = decodeBreathing(v);
    EXPECT_EQ(b.lowerBrightness, 0x0100);
    EXPECT_EQ(b.upperBrightness, 0x8000);
    EXPECT_EQ(b.upperHold, 300);
    EXPECT_EQ(speedLevelFromStepTime(b.stepTime), 1) << "0x33 = 51 is above 45";
    for (auto [time, level] :
         std::initializer_list<std::pair<int, int>>{{45, 2}, {41, 2}, {40, 3}, {6, 9}, {5, 10}, {0, 10}})
        EXPECT_EQ(speedLevelFromStepTime(static_cast<std::uint8_t>(time)), level) << time;

    EXPECT_EQ(colourTableEntry(v, 1), (Rgb{0x11, 0x22, 0x33}));
    EXPECT_EQ(colourTableEntry(v, 1).screen(), 0x332211u);
    EXPECT_EQ(productString(v), "HID");

    // Option texts go by field value: DPI set value 3 is "800,1200,1600,2400", prescale 3 is "1.00x".
    std::map<std::string_view, std::string_view> texts;
    for (const auto& f : optionFields()) texts[f.name] = optionText(f, readOption(f, v));
    EXPECT_EQ(texts["report rate"], "1000Hz");
    EXPECT_EQ(texts["DPI indication"], "No Indication") << "value 1";
    EXPECT_EQ(texts["DPI set"], "800,1200,1600,2400");
    EXPECT_EQ(texts["DPI level preset"], "2nd");
    EXPECT_EQ(texts["DPI prescale"], "1.00x");
    EXPECT_EQ(texts["sensor rotation"], "180°");
    EXPECT_EQ(sensorRegisters().size(), 33u);
    EXPECT_EQ(sensorRegisters().back().offset, 41u);
}

TEST(FieldDecoding, FireKeyAndPatchBlocks) {
    const auto fireKey = hex("FF FF 02 00 3C 04 00 3C 0E 0F FE E0");
    EXPECT_EQ(readFireKeySlot(fireKey, 1).repeat, 3);
    EXPECT_EQ(readFireKeySlot(fireKey, 2).interval, 60);
    EXPECT_EQ(readFireKeySlot(fireKey, 3).repeat, 15);
    EXPECT_EQ(readFireKeySlot(fireKey, 3).interval, 4094);
    EXPECT_EQ(imageMarker(fireKey), 0xE0);

    const auto patch = hex("04 00 02 E0 00 1A 5F 63 01 83 00 00 00 00 00 DE");
    EXPECT_EQ(decodePatchDescriptor(patch).checksum, 0x5F63);
    const McuLed m = decodeMcuLed(patch);
    EXPECT_EQ(m.speedStep, 1);
    EXPECT_TRUE(m.fullBright);
    EXPECT_EQ(m.ledCount, 10);
    EXPECT_TRUE(m.checksumGood);
    const auto blank = hex("04 00 02 00 00 1A 07 A2 FF FF FF FF FF FF FF FF");
    EXPECT_FALSE(decodeMcuLed(blank).ledCount) << "count code 15 names no count";
    EXPECT_FALSE(decodeMcuLed(blank).checksumGood);

    EXPECT_EQ(patchCodeChecksum(std::vector<std::uint8_t>(784, 0)), 0x015A);
    EXPECT_EQ(patchCodeChecksum(std::vector<std::uint8_t>(512, 0xFF)), ((512 * 0xFF) & 0xFFFF) ^ 0x015A);
}

TEST(FieldDecoding, SixteenByteNames) {
    const auto ab = encodeName16("AB");
    EXPECT_EQ(std::vector<std::uint8_t>(ab.begin(), ab.end()),
              hex("0041 0042 0000 0000 0000 0000 0000 0000"));
    EXPECT_EQ(decodeName16(ab), "AB");
    EXPECT_EQ(decodeName16(encodeName16("Macro10")), "Macro10");
    EXPECT_EQ(decodeName16(encodeName16("宏一")), "宏一");
    EXPECT_EQ(decodeName16(encodeName16("123456789")), "12345678") << "eight code units at most";
    EXPECT_EQ(decodeName16(encodeName16("1234567\xF0\x9F\x98\x80")), "1234567") << "a pair is not split";
    EXPECT_EQ(decodeName16(encodeName16("\xF0\x9F\x98\x80")), "\xF0\x9F\x98\x80");
    EXPECT_EQ(decodeName16(hex("D800 0041 0000 0000 0000 0000 0000 0000")), "\xEF\xBF\xBD"
                                                                            "A")
        << "lone surrogate";
}

} // namespace krm
