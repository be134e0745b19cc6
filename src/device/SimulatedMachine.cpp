#include "device/SimulatedMachine.h"

namespace krm {

SimulatedMachine::SimulatedMachine(std::vector<std::unique_ptr<SimulatedMouse>> mice)
    : mice_(std::move(mice)) {}

SimulatedMouse& SimulatedMachine::owner(const std::string& path) {
    for (const auto& m : mice_)
        if (path == m->configPath() || path == m->pointerPath()) return *m;
    return *mice_.front(); // the other interfaces of the machine
}

SimulatedMouse* SimulatedMachine::owner(HidHandle handle) {
    if (handle == kInvalidHandle || handle < 0) return nullptr;
    const auto index = static_cast<std::size_t>(handle % kMice);
    return index < mice_.size() ? mice_[index].get() : nullptr;
}

std::vector<std::string> SimulatedMachine::enumerate() {
    std::vector<std::string> paths;
    for (const auto& m : mice_) {
        for (auto& p : m->enumerate()) {
            if (m != mice_.front() && p != m->configPath() && p != m->pointerPath()) continue;
            paths.push_back(std::move(p));
        }
    }
    return paths;
}

HidHandle SimulatedMachine::open(const std::string& path, bool readWrite) {
    SimulatedMouse& m = owner(path);
    const HidHandle h = m.open(path, readWrite);
    if (h == kInvalidHandle) return kInvalidHandle;
    for (std::size_t i = 0; i < mice_.size(); ++i)
        if (mice_[i].get() == &m) return h * kMice + static_cast<HidHandle>(i);
    return kInvalidHandle;
}

void SimulatedMachine::close(HidHandle handle) {
    if (auto* m = owner(handle)) m->close(inner(handle));
}

bool SimulatedMachine::attributes(HidHandle handle, HidAttributes& out) {
    auto* m = owner(handle);
    return m && m->attributes(inner(handle), out);
}

bool SimulatedMachine::capabilities(HidHandle handle, HidCapabilities& out) {
    auto* m = owner(handle);
    return m && m->capabilities(inner(handle), out);
}

bool SimulatedMachine::setFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    auto* m = owner(handle);
    return m && m->setFeature(inner(handle), report);
}

bool SimulatedMachine::getFeature(HidHandle handle, std::span<std::uint8_t> report) {
    auto* m = owner(handle);
    return m && m->getFeature(inner(handle), report);
}

int SimulatedMachine::readInput(HidHandle handle, std::span<std::uint8_t> buffer) {
    auto* m = owner(handle);
    return m ? m->readInput(inner(handle), buffer) : -1;
}

void SimulatedMachine::cancelReads() {
    for (const auto& m : mice_) m->cancelReads();
}

HidLocation SimulatedMachine::location(const std::string& path) {
    return owner(path).location(path);
}

std::unique_ptr<DeviceLock> SimulatedMachine::lock(const std::string& path, DeviceLock::Outcome& outcome,
                                                   std::optional<LockHolder>* holder) {
    return owner(path).lock(path, outcome, holder);
}

} // namespace krm
