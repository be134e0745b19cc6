#pragma once

#include "device/HidBackend.h"
#include "device/SimulatedMouse.h"

#include <memory>
#include <vector>

namespace krm {

// A machine with several simulated mice plugged in: each mouse's interfaces ("sim:R210B/config",
// "sim2:R210B/config", ...) as one HID stack. Every call goes to the mouse whose interface it names.
class SimulatedMachine final : public HidBackend {
public:
    explicit SimulatedMachine(std::vector<std::unique_ptr<SimulatedMouse>> mice);

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
    std::unique_ptr<DeviceLock> lock(const std::string& path, DeviceLock::Outcome& outcome,
                                     std::optional<LockHolder>* holder) override;

    SimulatedMouse& mouse(std::size_t index) { return *mice_.at(index); }
    std::size_t size() const { return mice_.size(); }

private:
    static constexpr HidHandle kMice = 16; // handles carry the mouse's index in their low part
    SimulatedMouse& owner(const std::string& path);
    SimulatedMouse* owner(HidHandle handle);
    static HidHandle inner(HidHandle handle) { return handle / kMice; }

    std::vector<std::unique_ptr<SimulatedMouse>> mice_;
};

} // namespace krm
