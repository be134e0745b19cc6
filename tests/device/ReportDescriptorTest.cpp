#include "device/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace krm {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A vendor collection with feature reports 0x40 and 0x41 of `featureData` data bytes and input
// report 0x42 of 7 data bytes.
Bytes vendorCollection(std::uint8_t featureData) {
    return {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1,        0x01,       // usage page FF00, usage 1, collection
            0x15, 0x00, 0x26, 0xFF, 0x00, 0x75,        0x08,       // logical 0..255, size 8
            0x85, 0x40, 0x09, 0x01, 0x95, featureData, 0xB1, 0x02, // feature 0x40
            0x85, 0x41, 0x09, 0x02, 0x95, featureData, 0xB1, 0x02, // feature 0x41
            0x85, 0x42, 0x09, 0x03, 0x95, 0x07,        0x81, 0x02, // input 0x42
            0xC0};
}

// A pointer collection (report id 1: three buttons, padding, x and y) with a nested physical one.
const Bytes kPointer = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1,
                        0x00, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x75, 0x01, 0x95, 0x03,
                        0x81, 0x02, 0x75, 0x05, 0x95, 0x01, 0x81, 0x03, 0x05, 0x01, 0x09,
                        0x30, 0x09, 0x31, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};

} // namespace

TEST(ReportDescriptor, LengthsPerTopLevelCollection) {
    struct Case {
        const char* name;
        Bytes descriptor;
        std::vector<CollectionReportLengths> expected; // input, output, feature
    };
    const Case cases[] = {
        {"mouse configuration collection", vendorCollection(7), {{8, 0, 8}}},
        {"7-byte feature reports", vendorCollection(6), {{8, 0, 7}}},
        {"9-byte feature reports", vendorCollection(8), {{8, 0, 9}}},
        {"pointer then vendor", join({kPointer, vendorCollection(7)}), {{4, 0, 0}, {8, 0, 8}}},
        // No report ids: the length still counts one byte for the (absent) id.
        {"no report ids",
         {0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x03, 0x81, 0x02, 0x91, 0x02, 0xC0},
         {{4, 4, 0}}},
        // Push/pop restores the report size; a long item is skipped.
        {"push, pop and a long item",
         {0xA1, 0x01, 0x75, 0x08, 0xA4, 0x75, 0x10, 0xB4, 0x95, 0x02, 0xB1, 0x02, 0xFE, 0x02, 0x10, 0xAA,
          0xBB, 0xC0},
         {{0, 0, 3}}},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto got = parseReportDescriptor(c.descriptor, &error);
        ASSERT_TRUE(got) << c.name << ": " << error;
        ASSERT_EQ(got->size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < got->size(); ++i) {
            EXPECT_EQ((*got)[i].inputReportLength, c.expected[i].inputReportLength) << c.name << " #" << i;
            EXPECT_EQ((*got)[i].outputReportLength, c.expected[i].outputReportLength) << c.name << " #" << i;
            EXPECT_EQ((*got)[i].featureReportLength, c.expected[i].featureReportLength)
                << c.name << " #" << i;
        }
    }
}

TEST(ReportDescriptor, MalformedIsRejected) {
    Bytes truncated = vendorCollection(7);
    truncated.resize(11); // cuts the two-byte logical maximum in half
    const struct {
        const char* name;
        Bytes descriptor;
    } cases[] = {
        {"empty", {}},
        {"item runs past the end", truncated},
        {"end without collection", {0xC0}},
        {"collection never closed", {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report outside any collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report id 0", {0xA1, 0x01, 0x85, 0x00, 0xC0}},
        {"pop without push", {0xA1, 0x01, 0xB4, 0xC0}},
        {"truncated long item", {0xFE, 0x05, 0x10, 0x01}},
        {"report too long",
         {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0x00, 0x00, 0x97, 0xFF, 0xFF, 0x00, 0x00, 0x81, 0x02, 0xC0}},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseReportDescriptor(c.descriptor, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

} // namespace krm
