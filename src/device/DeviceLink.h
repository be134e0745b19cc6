#pragma once

#include "device/DeviceIdTable.h"
#include "device/HidBackend.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

namespace krm {

// The open mouse: its ids, report lengths and three handles, and the report channel on them.
//
// Feature reports travel on handles opened without read/write access: the command handle (command
// reports 0x40) and the query handle (query reports 0x41). The input handle, opened for reading, is
// only read by the input reader. A handle of -1 means none; every primitive checks it first.
//
// One exchange (a command report and the fetches or data reports that follow it) must run to its
// end before another starts, whichever thread starts it: hold exchange() for its whole length. The
// lock is recursive, so an exchange started from inside another on the same thread (a timer tick
// run while a transfer lets window messages through) cannot deadlock.
class DeviceLink {
public:
    explicit DeviceLink(HidBackend& backend);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    using ExchangeLock = std::unique_lock<std::recursive_mutex>;
    [[nodiscard]] ExchangeLock exchange() { return ExchangeLock(mutex_); }

    // Number of present HID interfaces that can be opened.
    int countHidInterfaces();
    // Looks for an interface with these ids and an 8-byte feature report and probes it for the
    // command and query handles. True when such an interface was found, even when both probes failed.
    //
    // One device is opened: the chosen one (choose()), or else the first that this process can lock.
    // Its lock is taken before anything is sent to it and kept while it is open (see DeviceLock); a
    // device another process holds gets no report: heldBy() then says who holds it.
    bool openDevice(std::uint32_t vendorId, std::uint32_t productId);
    // Tries the table's entries in order; on success the link carries the entry's ids. Returns the
    // index of the entry that opened, or -1.
    int openFromTable(const DeviceIdTable& table);

    bool setFeatureReport(HidHandle handle, std::span<const std::uint8_t, 8> report);
    bool getFeatureReport(HidHandle handle, std::span<std::uint8_t, 8> report);
    bool readInputReport(HidHandle handle, std::span<std::uint8_t> buffer);

    // Ids back to 0 and the three handles to -1 (the handles are closed); the lock is let go.
    void reset();

    // Only the device at this place (HidLocation::device) is opened from now on; empty: any.
    void choose(std::string device) { chosen_ = std::move(device); }
    const std::string& chosen() const { return chosen_; }
    // Where the open mouse sits; empty when none is open.
    HidLocation location() const;
    // After an open that found no free device: who holds the one it would have opened, and where.
    const std::optional<LockHolder>& heldBy() const { return heldBy_; }
    const std::string& heldDevice() const { return heldDevice_; }

    HidHandle commandHandle() const { return commandHandle_; }
    HidHandle queryHandle() const { return queryHandle_; }
    HidHandle inputHandle() const { return inputHandle_; }
    std::uint32_t vendorId() const { return vendorId_; }
    std::uint32_t productId() const { return productId_; }
    int featureReportLength() const { return featureReportLength_; }
    int inputReportLength() const { return inputReportLength_; }

    // The report buffer and the reply buffer (also the scratch area of block writes). Only touch
    // them while holding exchange().
    std::array<std::uint8_t, 8>& reportBuffer() { return report_; }
    std::array<std::uint8_t, 7>& replyBuffer() { return reply_; }

    HidBackend& backend() { return backend_; }

    // Called after the handles changed (opened or reset), e.g. to wake the input reader.
    std::function<void()> onHandlesChanged;

private:
    void replaceHandles(HidHandle command, HidHandle query, HidHandle input);

    HidBackend& backend_;
    std::recursive_mutex mutex_;
    std::string chosen_;
    HidLocation location_;             // of the open device (guarded by mutex_)
    std::unique_ptr<DeviceLock> lock_; // its lock, null for a device no other process can reach
    std::optional<LockHolder> heldBy_;
    std::string heldDevice_;
    std::atomic<std::uint32_t> vendorId_{0};
    std::atomic<std::uint32_t> productId_{0};
    std::atomic<int> featureReportLength_{0};
    std::atomic<int> inputReportLength_{0};
    std::atomic<HidHandle> commandHandle_{kInvalidHandle};
    std::atomic<HidHandle> queryHandle_{kInvalidHandle};
    std::atomic<HidHandle> inputHandle_{kInvalidHandle};
    std::array<std::uint8_t, 8> report_{};
    std::array<std::uint8_t, 7> reply_{};
};

} // namespace krm
