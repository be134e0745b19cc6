#include "base/Bits.h"
#include "image/FunctionCode.h"

#include <gtest/gtest.h>

#include <vector>

namespace krm {

TEST(Bits, FieldsReadAndWriteOnlyTheirBits) {
    struct Case {
        std::uint8_t byte;
        int high, low, value;
        std::uint8_t written; // byte with the field set to `value` + 1 (wrapped to the field width)
    } cases[] = {
        {0xBF, 5, 4, 3, 0x8F}, // report rate 1000 Hz; writing 4 wraps to 0 and keeps the other bits
        {0x1F, 7, 6, 0, 0x5F}, {0x4F, 3, 3, 1, 0x47}, {0x82, 3, 0, 2, 0x83}, {0x82, 7, 0, 0x82, 0x83},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readBits(c.byte, c.high, c.low), c.value) << int(c.byte) << " " << c.high << ":" << c.low;
        EXPECT_EQ(writeBits(c.byte, c.high, c.low, c.value + 1), c.written) << int(c.byte);
    }
}

TEST(Bits, BigEndianWordsAndCodeText) {
    std::vector<std::uint8_t> bytes = {0x00, 0x3A, 0x7E, 0x00};
    EXPECT_EQ(readBe16(bytes, 1), 0x3A7E);
    writeBe16(bytes, 2, 0x0C51);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x00, 0x3A, 0x0C, 0x51}));

    const FunctionCode code = {0x10, 0x06, 0xA0, 0xFF};
    EXPECT_EQ(codeText(code), "1006A0FF");
    EXPECT_EQ(parseCodeText("1006a0ff"), code);
    EXPECT_FALSE(parseCodeText("1006A0F"));
    EXPECT_FALSE(parseCodeText("1006A0FG"));
}

} // namespace krm
