#pragma once

#include "device/DeviceLock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krm {

// An open HID interface; -1 means none.
using HidHandle = std::intptr_t;
inline constexpr HidHandle kInvalidHandle = -1;

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0;
};

// Where an interface sits: the device it belongs to and the file that stands for that device.
struct HidLocation {
    // Equal for every interface of one device and kept while it stays in its place: its USB port path
    // (or what the kernel reports as its physical path), never its hidraw number.
    std::string device;
    std::string serial; // the device's serial number, empty when it has none
    // The file whose lock makes a process the device's only user among our programs (its hidraw
    // node, the simulated mouse's image file); empty when no other process can reach the device.
    std::string node;
};

struct HidCapabilities {
    int inputReportLength = 0;   // bytes, report id included
    int featureReportLength = 0; // bytes, report id included
};

// The operations the device link needs from the operating system's HID stack.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Paths of every present HID interface, in enumeration order.
    virtual std::vector<std::string> enumerate() = 0;
    // Opens a path, for feature reports only (readWrite false) or for reading input reports too.
    virtual HidHandle open(const std::string& path, bool readWrite) = 0;
    virtual void close(HidHandle handle) = 0;
    virtual bool attributes(HidHandle handle, HidAttributes& out) = 0;
    virtual bool capabilities(HidHandle handle, HidCapabilities& out) = 0;
    // Sends one feature report; report[0] is the report id.
    virtual bool setFeature(HidHandle handle, std::span<const std::uint8_t> report) = 0;
    // Fetches one feature report into report; report[0] is preset to the report id.
    virtual bool getFeature(HidHandle handle, std::span<std::uint8_t> report) = 0;
    // Blocks until one input report arrives and returns its length, or -1 when the read failed or
    // was cancelled.
    virtual int readInput(HidHandle handle, std::span<std::uint8_t> buffer) = 0;
    // Makes every blocked and later readInput return -1 at once (used when the program ends).
    virtual void cancelReads() = 0;

    // Where the interface at `path` sits (nothing is opened or sent). A stack that cannot tell takes
    // each interface for a device of its own, with nothing to lock.
    virtual HidLocation location(const std::string& path) { return {path, "", ""}; }
    // Makes this process the only user of the device behind `path` while the lock lives (see
    // DeviceLock); null with `outcome` Held or Failed when it cannot. A device with no node needs no
    // lock and is always taken.
    virtual std::unique_ptr<DeviceLock> lock(const std::string& path, DeviceLock::Outcome& outcome,
                                             std::optional<LockHolder>* holder);
};

} // namespace krm
