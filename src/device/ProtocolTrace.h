#pragma once

#include "device/HidBackend.h"

#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <streambuf>
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
    HidLocation location(const std::string& path) override { return inner_.location(path); }
    std::unique_ptr<DeviceLock> lock(const std::string& path, DeviceLock::Outcome& outcome,
                                     std::optional<LockHolder>* holder) override {
        return inner_.lock(path, outcome, holder);
    }

private:
    void line(const char* kind, std::span<const std::uint8_t> bytes, bool ok);

    HidBackend& inner_;
    std::ostream& out_;
    std::mutex mutex_;
};

// The file --trace or KRM_TRACE names, appended to. Opening never waits: a FIFO that no program reads
// is refused rather than waited on. A write that fails (a full disk, a reader that went away) is
// remembered with its reason, and nothing more is written.
class TraceFile final : private std::streambuf {
public:
    // Null with `error` set (the path and the reason) when the file cannot be opened for writing.
    static std::unique_ptr<TraceFile> open(const std::string& path, std::string& error);
    ~TraceFile() override;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    std::ostream& stream() { return stream_; }
    // Why the trace stopped being written ("No space left on device"), or nothing.
    std::optional<std::string> failure() const;

private:
    explicit TraceFile(int fd) : fd_(fd), stream_(this) {}
    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

    int fd_;
    int failedErrno_ = 0;
    std::ostream stream_;
};

// Lower-case hex bytes separated by spaces, as the trace writes them: "40 09 00 00".
std::string traceHex(std::span<const std::uint8_t> bytes);

} // namespace krm
