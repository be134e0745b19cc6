#pragma once

#include "device/HidBackend.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <thread>

namespace krm {

// The thread that blocks on the mouse's input handle and hands every input report to a handler.
// It runs from start() until stop(); stop() cancels a blocked read and joins the thread, so the
// program never ends with the reader stuck in a read.
class InputReader {
public:
    struct Source {
        HidHandle handle = kInvalidHandle;
        int reportLength = 0; // input report length of the open collection
    };
    using SourceFn = std::function<Source()>;
    using ReportFn = std::function<void(std::span<const std::uint8_t> report)>;

    InputReader(HidBackend& backend, SourceFn source, ReportFn onReport);
    ~InputReader();
    InputReader(const InputReader&) = delete;
    InputReader& operator=(const InputReader&) = delete;

    void start();
    void stop();
    bool running() const { return thread_.joinable(); }
    // Wakes the reader when the input handle may have changed (a mouse was opened).
    void sourceChanged();

private:
    void run();

    HidBackend& backend_;
    SourceFn source_;
    ReportFn onReport_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool sourceChanged_ = false;
};

} // namespace krm
