#include "device/BackendFactory.h"

#include "device/HidapiBackend.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMachine.h"
#include "device/SimulatedMouse.h"

namespace krm {

std::unique_ptr<DeviceBackend> DeviceBackend::create(const GlobalOptions& options, Clock& clock,
                                                     std::string& error) {
    std::unique_ptr<DeviceBackend> d(new DeviceBackend);
    if (options.simulate) {
        const Variant variant = variantFromName(options.simVariant).value_or(Variant::R210B);
        std::vector<std::unique_ptr<SimulatedMouse>> mice;
        std::vector<std::string> images{options.simImage};
        images.insert(images.end(), options.moreSimImages.begin(), options.moreSimImages.end());
        for (const std::string& image : images) {
            const int number = static_cast<int>(mice.size()) + 1;
            auto mouse = image.empty() ? std::make_unique<SimulatedMouse>(variant, clock, number)
                                       : SimulatedMouse::withImageFile(variant, clock, image, error, number);
            if (!mouse) return nullptr;
            // The faults are the first mouse's: the machine's other mice behave.
            if (mice.empty())
                for (const auto& fault : options.simFaults) mouse->addFault(fault);
            mice.push_back(std::move(mouse));
        }
        d->simulated_ = mice.front().get();
        if (mice.size() == 1) {
            d->base_ = std::move(mice.front());
        } else {
            auto machine = std::make_unique<SimulatedMachine>(std::move(mice));
            d->machine_ = machine.get();
            d->base_ = std::move(machine);
        }
    } else {
        d->base_ = std::make_unique<HidapiBackend>();
    }
    if (!options.trace.empty()) {
        d->traceFile_ = TraceFile::open(options.trace, error);
        if (!d->traceFile_) return nullptr;
        d->trace_ = std::make_unique<TracingBackend>(*d->base_, d->traceFile_->stream());
    }
    return d;
}

DeviceBackend::~DeviceBackend() = default;

std::optional<std::string> DeviceBackend::traceFailure(const GlobalOptions& options) const {
    const auto why = traceFile_ ? traceFile_->failure() : std::nullopt;
    if (!why) return std::nullopt;
    return options.trace + ": the trace could not be written whole (" + *why + ")";
}

std::vector<SimulatedMouse*> DeviceBackend::simulatedMice() const {
    if (!machine_)
        return simulated_ ? std::vector<SimulatedMouse*>{simulated_} : std::vector<SimulatedMouse*>{};
    std::vector<SimulatedMouse*> mice;
    for (std::size_t i = 0; i < machine_->size(); ++i) mice.push_back(&machine_->mouse(i));
    return mice;
}

HidBackend& DeviceBackend::backend() {
    return trace_ ? static_cast<HidBackend&>(*trace_) : *base_;
}

} // namespace krm
