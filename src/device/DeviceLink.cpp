#include "device/DeviceLink.h"

#include <algorithm>
#include <vector>

namespace krm {

namespace {
constexpr int kFeatureReportLength = 8;
}

DeviceLink::DeviceLink(HidBackend& backend) : backend_(backend) {}

DeviceLink::~DeviceLink() {
    auto lock = exchange();
    onHandlesChanged = nullptr;
    replaceHandles(kInvalidHandle, kInvalidHandle, kInvalidHandle);
    lock_.reset();
}

int DeviceLink::countHidInterfaces() {
    int count = 0;
    for (const auto& path : backend_.enumerate()) {
        const HidHandle h = backend_.open(path, false);
        if (h == kInvalidHandle) continue;
        ++count;
        backend_.close(h);
    }
    return count;
}

bool DeviceLink::openDevice(std::uint32_t vendorId, std::uint32_t productId) {
    auto lock = exchange();
    bool found = false;
    HidHandle command = kInvalidHandle, query = kInvalidHandle, input = kInvalidHandle;
    int inputLength = 0;
    std::vector<HidHandle> opened; // every handle kept during the walk; the unused ones are closed at the end
    // The device this open settles on, its place and its lock (the one held already when it is the same).
    std::optional<HidLocation> device;
    std::unique_ptr<DeviceLock> deviceLock;
    bool lockKept = false;

    for (const auto& path : backend_.enumerate()) {
        const HidHandle h = backend_.open(path, false);
        if (h == kInvalidHandle) continue;
        HidAttributes attributes{};
        HidCapabilities caps{};
        if (!backend_.attributes(h, attributes)) attributes = {};
        if (!backend_.capabilities(h, caps)) caps = {};
        if (caps.featureReportLength != kFeatureReportLength || attributes.vendorId != vendorId ||
            attributes.productId != productId) {
            backend_.close(h);
            continue;
        }
        // Nothing is sent to a device that was not chosen, nor to one another process holds.
        HidLocation where = backend_.location(path);
        const bool other =
            device ? where.device != device->device : !chosen_.empty() && where.device != chosen_;
        if (other) {
            backend_.close(h);
            continue;
        }
        if (!device) {
            if (lock_ && location_.device == where.device && lock_->file() == where.node &&
                lock_->stillNamed()) {
                lockKept = true;
            } else {
                DeviceLock::Outcome outcome{};
                std::optional<LockHolder> holder;
                deviceLock = backend_.lock(path, outcome, &holder);
                if (outcome != DeviceLock::Outcome::Taken) {
                    if (outcome == DeviceLock::Outcome::Held) {
                        heldBy_ = holder.value_or(LockHolder{});
                        heldDevice_ = where.device;
                    }
                    backend_.close(h);
                    continue;
                }
            }
            device = where;
        }
        // A collection of the mouse: the read/write handle for input reports, then the two probes.
        const HidHandle rw = backend_.open(path, true);
        if (rw != kInvalidHandle) opened.push_back(rw);
        input = rw;
        found = true;
        inputLength = caps.inputReportLength;

        bool kept = false;
        report_ = {0x40, 0x0D, 0, 0, 0, 0, 0, 0};
        if (setFeatureReport(h, report_)) {
            command = h;
            kept = true;
        }
        report_ = {0x41, 0, 0, 0, 0, 0, 0, 0};
        if (getFeatureReport(h, report_)) {
            query = h;
            kept = true;
        }
        if (kept)
            opened.push_back(h);
        else
            backend_.close(h);
    }

    // When several collections qualify, the last one to accept a probe supplies that handle.
    for (HidHandle h : opened)
        if (h != command && h != query && h != input) backend_.close(h);
    if (!found) return false;

    heldBy_.reset();
    heldDevice_.clear();
    if (!lockKept) {
        lock_.reset(); // the device opened before, if another
        lock_ = std::move(deviceLock);
    }
    location_ = *device;
    vendorId_ = vendorId;
    productId_ = productId;
    featureReportLength_ = kFeatureReportLength;
    inputReportLength_ = inputLength;
    replaceHandles(command, query, input);
    return true;
}

int DeviceLink::openFromTable(const DeviceIdTable& table) {
    auto lock = exchange();
    heldBy_.reset();
    heldDevice_.clear();
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const auto& e = table.entries[i];
        if (e.vendorId == 0 || e.productId == 0) continue;
        if (openDevice(e.vendorId, e.productId)) {
            vendorId_ = e.vendorId;
            productId_ = e.productId;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DeviceLink::setFeatureReport(HidHandle handle, std::span<const std::uint8_t, 8> report) {
    if (handle == kInvalidHandle) return false;
    return backend_.setFeature(handle, report);
}

bool DeviceLink::getFeatureReport(HidHandle handle, std::span<std::uint8_t, 8> report) {
    if (handle == kInvalidHandle) return false;
    return backend_.getFeature(handle, report);
}

bool DeviceLink::readInputReport(HidHandle handle, std::span<std::uint8_t> buffer) {
    if (handle == kInvalidHandle) return false;
    const int length = std::min<int>(inputReportLength_, static_cast<int>(buffer.size()));
    if (length <= 0) return false;
    return backend_.readInput(handle, buffer.first(static_cast<std::size_t>(length))) > 0;
}

void DeviceLink::reset() {
    auto lock = exchange();
    vendorId_ = 0;
    productId_ = 0;
    replaceHandles(kInvalidHandle, kInvalidHandle, kInvalidHandle);
    lock_.reset();
    location_ = {};
}

HidLocation DeviceLink::location() const {
    auto lock = const_cast<DeviceLink*>(this)->exchange();
    return location_;
}

void DeviceLink::replaceHandles(HidHandle command, HidHandle query, HidHandle input) {
    const HidHandle old[] = {commandHandle_, queryHandle_, inputHandle_};
    const HidHandle now[] = {command, query, input};
    commandHandle_ = command;
    queryHandle_ = query;
    inputHandle_ = input;
    for (std::size_t i = 0; i < 3; ++i) {
        const HidHandle h = old[i];
        if (h == kInvalidHandle || std::find(std::begin(now), std::end(now), h) != std::end(now)) continue;
        if (std::find(std::begin(old), std::begin(old) + i, h) != std::begin(old) + i)
            continue; // closed already
        backend_.close(h);
    }
    if (onHandlesChanged) onHandlesChanged();
}

} // namespace krm
