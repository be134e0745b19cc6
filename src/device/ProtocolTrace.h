#pragma once

#include "device/HidBackend.h"

#include <mutex>
#include <ostream>
#include <string>

namespace krm {

// Writes one line per report that passes through the wrapped backend:
//   set 40 09 00 00 08 00 00 00     a feature report sent
//   get 41 3a 7e 0c 51 37 00 00     a feature report fetched, as fetched
//   in 42 00 00 01 00 00 00 00      an input report read (its own length)
// A refused or failed report ends its line with " !". Each line is flushed at once, so the trace is
// complete up to the last report even when the program is killed. Safe for several threads.
class TracingBackend final : public HidBackend {
public:
    TracingBackend(HidBackend& inner, std::ostream& out) : inner_(inner), out_(out) {}

    std::vector<std::string> enumerate() override { return inner_.enumerate(); }
    HidHandle open(const std::string& path, bool readWrite) override { return inner_.open(path, readWrite); }
    void close(HidHandle handle) override { inner_.close(handle); }
    bool attributes(HidHandle handle, HidAttributes& out) override { return inner_.attributes(handle, out); }
    bool capabilities(HidHandle handle, HidCapabilities& out) override {
        return inner_.capabilities(handle, out);
    }
    bool setFeature(HidHandle handle, std::span<const std::uint8_t> report) override;
    bool getFeature(HidHandle handle, std::span<std::uint8_t> report) override;
    int readInput(HidHandle handle, std::span<std::uint8_t> buffer) override;
    void cancelReads() override { inner_.cancelReads(); }

private:
    void line(const char* kind, std::span<const std::uint8_t> bytes, bool ok);

    HidBackend& inner_;
    std::ostream& out_;
    std::mutex mutex_;
};

// Lower-case hex bytes separated by spaces, as the trace writes them: "40 09 00 00".
std::string traceHex(std::span<const std::uint8_t> bytes);

} // namespace krm
