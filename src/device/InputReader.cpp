#include "device/InputReader.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace krm {

InputReader::InputReader(HidBackend& backend, SourceFn source, ReportFn onReport)
    : backend_(backend), source_(std::move(source)), onReport_(std::move(onReport)) {}

InputReader::~InputReader() {
    stop();
}

void InputReader::start() {
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void InputReader::stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    backend_.cancelReads();
    {
        std::lock_guard lock(mutex_);
        sourceChanged_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void InputReader::sourceChanged() {
    {
        std::lock_guard lock(mutex_);
        sourceChanged_ = true;
    }
    wake_.notify_all();
}

void InputReader::run() {
    std::vector<std::uint8_t> buffer;
    while (!stopping_) {
        Source src = source_();
        if (src.handle == kInvalidHandle) {
            // No mouse open: wait until one is (or a little while, in case nobody tells us).
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(50),
                           [this] { return sourceChanged_ || stopping_.load(); });
            sourceChanged_ = false;
            continue;
        }
        buffer.assign(static_cast<std::size_t>(std::max(src.reportLength, 4)), 0);
        int n = backend_.readInput(src.handle, buffer);
        if (stopping_) break;
        if (n <= 0) {
            // A failed read is simply tried again; pause briefly so a dead handle cannot spin a core.
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return stopping_.load(); });
            continue;
        }
        onReport_(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
    }
}

} // namespace krm
