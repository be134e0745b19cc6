#include "device/HidapiBackend.h"

#include "device/ReportDescriptor.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <vector>

namespace krm {

namespace {

constexpr int kReadSliceMs = 100;

std::optional<std::vector<CollectionReportLengths>> readCollections(const std::string& node) {
    std::ifstream in(reportDescriptorPath(node), std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseReportDescriptor(bytes);
}

// "/dev/hidraw3#1" -> ("/dev/hidraw3", 1); a plain node path names its first collection.
std::pair<std::string, std::size_t> splitPath(const std::string& path) {
    const auto hash = path.rfind('#');
    if (hash == std::string::npos || hash + 1 >= path.size()) return {path, 0};
    std::size_t index = 0;
    for (std::size_t i = hash + 1; i < path.size(); ++i) {
        if (path[i] < '0' || path[i] > '9') return {path, 0};
        index = index * 10 + static_cast<std::size_t>(path[i] - '0');
        if (index > 1000) return {path, 0};
    }
    return {path.substr(0, hash), index};
}

} // namespace

namespace hidtransfer {

bool sendWhole(std::span<const std::uint8_t> report,
               const std::function<int(const std::uint8_t*, std::size_t)>& call) {
    if (report.empty()) return false;
    return call(report.data(), report.size()) == static_cast<int>(report.size());
}

bool fetchWhole(std::span<std::uint8_t> report, const std::function<int(std::uint8_t*, std::size_t)>& call) {
    if (report.empty()) return false;
    std::vector<std::uint8_t> copy(report.begin(), report.end());
    if (call(copy.data(), copy.size()) != static_cast<int>(copy.size())) return false;
    std::copy(copy.begin(), copy.end(), report.begin());
    return true;
}

int readOne(std::span<std::uint8_t> buffer, const std::function<int(std::uint8_t*, std::size_t)>& call) {
    if (buffer.empty()) return -1;
    const int n = call(buffer.data(), buffer.size());
    if (n < 0 || n > static_cast<int>(buffer.size())) return -1;
    std::fill(buffer.begin() + n, buffer.end(), std::uint8_t{0});
    return n;
}

} // namespace hidtransfer

std::string reportDescriptorPath(const std::string& nodePath) {
    const auto slash = nodePath.rfind('/');
    const std::string node = slash == std::string::npos ? nodePath : nodePath.substr(slash + 1);
    return "/sys/class/hidraw/" + node + "/device/report_descriptor";
}

HidLocation hidrawLocation(const std::string& nodePath, const std::string& uevent,
                           const std::string& hidName) {
    HidLocation where;
    where.node = nodePath;
    std::istringstream lines(uevent);
    std::string line, phys;
    while (std::getline(lines, line)) {
        if (line.starts_with("HID_PHYS=")) phys = line.substr(9);
        if (line.starts_with("HID_UNIQ=")) where.serial = line.substr(9);
    }
    // "usb-0000:00:14.0-2/input1": the interface is the part after the last '/'.
    if (const auto slash = phys.rfind("/input"); slash != std::string::npos) phys.erase(slash);
    where.device = phys.empty() ? "hid-" + hidName : phys;
    return where;
}

HidLocation HidapiBackend::location(const std::string& path) {
    const std::string node = splitPath(path).first;
    const auto slash = node.rfind('/');
    const std::string sysDevice =
        "/sys/class/hidraw/" + (slash == std::string::npos ? node : node.substr(slash + 1)) + "/device";
    std::ifstream in(sysDevice + "/uevent");
    const std::string uevent((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::error_code ec;
    const std::string hidName = std::filesystem::canonical(sysDevice, ec).filename().string();
    return hidrawLocation(node, uevent, hidName);
}

struct HidapiBackend::Device {
    hid_device* dev = nullptr;
    HidAttributes attributes;
    HidCapabilities capabilities;
    std::atomic<bool> closed{false};
    ~Device() {
        if (dev) hid_close(dev);
    }
};

HidapiBackend::HidapiBackend() {
    hid_init();
}

HidapiBackend::~HidapiBackend() {
    {
        std::lock_guard lock(mutex_);
        open_.clear();
    }
    hid_exit();
}

std::vector<std::string> HidapiBackend::enumerate() {
    std::vector<std::string> nodes;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* d = list; d; d = d->next) {
        // hidapi lists a node once per collection; we want each node once here.
        if (d->path && std::find(nodes.begin(), nodes.end(), d->path) == nodes.end())
            nodes.emplace_back(d->path);
    }
    hid_free_enumeration(list);

    std::vector<std::string> paths;
    for (const auto& node : nodes) {
        const auto collections = readCollections(node);
        if (!collections || collections->size() < 2) {
            paths.push_back(node);
            continue;
        }
        for (std::size_t i = 0; i < collections->size(); ++i) paths.push_back(node + "#" + std::to_string(i));
    }
    return paths;
}

HidHandle HidapiBackend::open(const std::string& path, bool /*readWrite*/) {
    // hidraw needs read/write access to the node for feature reports too, so both kinds of open are
    // the same here.
    const auto [node, index] = splitPath(path);
    hid_device* dev = hid_open_path(node.c_str());
    if (!dev) return kInvalidHandle;
    auto device = std::make_shared<Device>();
    device->dev = dev;
    if (hid_device_info* info = hid_get_device_info(dev)) {
        device->attributes = {info->vendor_id, info->product_id, info->release_number};
    }
    if (const auto collections = readCollections(node); collections && index < collections->size()) {
        device->capabilities = {(*collections)[index].inputReportLength,
                                (*collections)[index].featureReportLength};
    }
    std::lock_guard lock(mutex_);
    const HidHandle handle = next_++;
    open_[handle] = std::move(device);
    return handle;
}

void HidapiBackend::close(HidHandle handle) {
    std::shared_ptr<Device> device;
    {
        std::lock_guard lock(mutex_);
        auto it = open_.find(handle);
        if (it == open_.end()) return;
        device = std::move(it->second);
        open_.erase(it);
    }
    // A read still waiting on this device holds its own reference; it sees the flag and returns,
    // and the last reference closes the device.
    device->closed = true;
}

std::shared_ptr<HidapiBackend::Device> HidapiBackend::find(HidHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second;
}

bool HidapiBackend::attributes(HidHandle handle, HidAttributes& out) {
    auto device = find(handle);
    if (!device) return false;
    out = device->attributes;
    return true;
}

bool HidapiBackend::capabilities(HidHandle handle, HidCapabilities& out) {
    auto device = find(handle);
    if (!device) return false;
    out = device->capabilities;
    return true;
}

bool HidapiBackend::setFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    auto device = find(handle);
    if (!device || report.empty()) return false;
    return hidtransfer::sendWhole(report, [&](const std::uint8_t* data, std::size_t size) {
        return hid_send_feature_report(device->dev, data, size);
    });
}

bool HidapiBackend::getFeature(HidHandle handle, std::span<std::uint8_t> report) {
    auto device = find(handle);
    if (!device || report.empty()) return false;
    return hidtransfer::fetchWhole(report, [&](std::uint8_t* data, std::size_t size) {
        return hid_get_feature_report(device->dev, data, size);
    });
}

int HidapiBackend::readInput(HidHandle handle, std::span<std::uint8_t> buffer) {
    auto device = find(handle);
    if (!device || buffer.empty()) return -1;
    while (!cancelled_ && !device->closed) {
        const int n = hidtransfer::readOne(buffer, [&](std::uint8_t* data, std::size_t size) {
            return hid_read_timeout(device->dev, data, size, kReadSliceMs);
        });
        if (n != 0) return n;
    }
    return -1;
}

void HidapiBackend::cancelReads() {
    cancelled_ = true;
}

} // namespace krm
