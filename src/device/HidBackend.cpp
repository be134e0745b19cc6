#include "device/HidBackend.h"

namespace krm {

std::unique_ptr<DeviceLock> HidBackend::lock(const std::string& path, DeviceLock::Outcome& outcome,
                                             std::optional<LockHolder>* holder) {
    if (holder) holder->reset();
    const std::string node = location(path).node;
    if (node.empty()) {
        outcome = DeviceLock::Outcome::Taken;
        return nullptr;
    }
    return DeviceLock::tryTake(node, outcome, holder);
}

} // namespace krm
