#pragma once

#include "device/HidBackend.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>

namespace krm {

// The HID stack of the machine through hidapi (hidraw).
//
// Interfaces are top-level collections, as the mouse's protocol sees them: a hidraw node whose report
// descriptor holds one collection is listed by its node path ("/dev/hidraw3"); a node with several is
// listed once per collection ("/dev/hidraw3#0", "/dev/hidraw3#1"), each with its own report lengths.
// The lengths come from the node's report descriptor in sysfs. Input reads wait in short slices so
// that cancelReads() and close() end them promptly.
class HidapiBackend final : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;

    std::vector<std::string> enumerate() override;
    HidHandle open(const std::string& path, bool readWrite) override;
    void close(HidHandle handle) override;
    bool attributes(HidHandle handle, HidAttributes& out) override;
    bool capabilities(HidHandle handle, HidCapabilities& out) override;
    bool setFeature(HidHandle handle, std::span<const std::uint8_t> report) override;
    bool getFeature(HidHandle handle, std::span<std::uint8_t> report) override;
    int readInput(HidHandle handle, std::span<std::uint8_t> buffer) override;
    void cancelReads() override;
    HidLocation location(const std::string& path) override;

private:
    struct Device;
    std::shared_ptr<Device> find(HidHandle handle);

    std::mutex mutex_;
    std::map<HidHandle, std::shared_ptr<Device>> open_;
    HidHandle next_ = 1;
    std::atomic<bool> cancelled_{false};
};

// "/dev/hidraw3" -> "/sys/class/hidraw/hidraw3/device/report_descriptor"
std::string reportDescriptorPath(const std::string& nodePath);

// Where a hidraw interface sits, from its HID device's uevent text ("HID_PHYS=usb-0000:00:14.0-2/input1",
// "HID_UNIQ=...") and the HID device's own name ("0003:3A7E:0C51.0004"), which stands in for a device
// whose physical path is empty. The interface suffix of the physical path is left out, so that every
// interface of one device has the same id.
HidLocation hidrawLocation(const std::string& nodePath, const std::string& uevent,
                           const std::string& hidName);

// The rules by which one hidapi call counts, apart from hidapi so that they can be tested without a
// device. `call` is the hidapi function on the open device (hid_send_feature_report,
// hid_get_feature_report, hid_read_timeout) and returns what it returns: a byte count or -1.
namespace hidtransfer {
// A send succeeds only when the whole report went out.
bool sendWhole(std::span<const std::uint8_t> report,
               const std::function<int(const std::uint8_t*, std::size_t)>& call);
// A fetch succeeds only when the whole report came back (report id included). The fetch runs on a
// copy: a failed or short fetch leaves `report` as it was (the request), so no byte of a partial
// answer is ever taken for data.
bool fetchWhole(std::span<std::uint8_t> report, const std::function<int(std::uint8_t*, std::size_t)>& call);
// One input read: the length of the report that arrived (bytes after it in `buffer` are zeroed), 0
// when none arrived in time, -1 when the read failed. A count above the buffer's size is a failure.
int readOne(std::span<std::uint8_t> buffer, const std::function<int(std::uint8_t*, std::size_t)>& call);
} // namespace hidtransfer

} // namespace krm
