// The rules by which HidapiBackend counts one hidapi call, shown on calls that move part of a report
// (as a kernel does when a device answers short) without a device.

#include "device/HidapiBackend.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace krm {
namespace {

using Bytes = std::array<std::uint8_t, 8>;

// A hid_get_feature_report stand-in that writes `answer` (of `length` bytes) and returns `result`.
auto fetchAnswering(const Bytes& answer, std::size_t length, int result) {
    return [answer, length, result](std::uint8_t* data, std::size_t size) {
        std::memcpy(data, answer.data(), std::min(length, size));
        return result;
    };
}

TEST(HidTransfer, WholeFetchIsTaken) {
    Bytes report{0x41, 0, 0, 0, 0, 0, 0, 0};
    const Bytes answer{0x41, 0x45, 0x3A, 1, 2, 3, 4, 5};
    EXPECT_TRUE(hidtransfer::fetchWhole(report, fetchAnswering(answer, 8, 8)));
    EXPECT_EQ(report, answer);
}

TEST(HidTransfer, ShortFetchFailsAndLeavesTheRequest) {
    // A mouse that answers 4 of 8 bytes: the kernel copies 4 bytes and returns 4.
    Bytes report{0x41, 0, 0, 0, 0, 0, 0, 0};
    const Bytes request = report;
    const Bytes answer{0x41, 0x45, 0x3A, 0x07, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(hidtransfer::fetchWhole(report, fetchAnswering(answer, 4, 4)));
    EXPECT_EQ(report, request);
}

TEST(HidTransfer, EmptyFetchFails) {
    // A 0-byte answer must not read as seven 0x00 data bytes.
    Bytes report{0x41, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(hidtransfer::fetchWhole(report, fetchAnswering({}, 0, 0)));
}

TEST(HidTransfer, FailedFetchFails) {
    Bytes report{0x41, 0, 0, 0, 0, 0, 0, 0};
    const Bytes request = report;
    EXPECT_FALSE(hidtransfer::fetchWhole(report, fetchAnswering({0x41, 9, 9, 9, 9, 9, 9, 9}, 8, -1)));
    EXPECT_EQ(report, request);
}

TEST(HidTransfer, SendCountsOnlyAWholeReport) {
    const Bytes report{0x40, 0x0D, 0, 0, 0, 0, 0, 0};
    auto sending = [](int result) { return [result](const std::uint8_t*, std::size_t) { return result; }; };
    EXPECT_TRUE(hidtransfer::sendWhole(report, sending(8)));
    EXPECT_FALSE(hidtransfer::sendWhole(report, sending(4)));
    EXPECT_FALSE(hidtransfer::sendWhole(report, sending(0)));
    EXPECT_FALSE(hidtransfer::sendWhole(report, sending(-1)));
}

TEST(HidTransfer, InputReadKeepsNoStaleBytes) {
    std::array<std::uint8_t, 8> buffer;
    buffer.fill(0xAA);
    const int n = hidtransfer::readOne(buffer, [](std::uint8_t* data, std::size_t) {
        const std::uint8_t report[] = {0x42, 0, 0, 0x01};
        std::memcpy(data, report, sizeof report);
        return 4;
    });
    EXPECT_EQ(n, 4);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 8>{0x42, 0, 0, 0x01, 0, 0, 0, 0}));
}

TEST(HidTransfer, InputReadFailuresAreFailures) {
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(hidtransfer::readOne(buffer, [](std::uint8_t*, std::size_t) { return -1; }), -1);
    EXPECT_EQ(hidtransfer::readOne(buffer, [](std::uint8_t*, std::size_t) { return 9; }), -1);
    EXPECT_EQ(hidtransfer::readOne(buffer, [](std::uint8_t*, std::size_t) { return 0; }), 0);
}

} // namespace
} // namespace krm
