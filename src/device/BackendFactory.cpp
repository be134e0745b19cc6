#include "device/BackendFactory.h"

#include "device/HidapiBackend.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMouse.h"

#include <cerrno>
#include <cstring>

namespace krm {

std::unique_ptr<DeviceBackend> DeviceBackend::create(const GlobalOptions& options, Clock& clock,
                                                     std::string& error) {
    std::unique_ptr<DeviceBackend> d(new DeviceBackend);
    if (options.simulate) {
        const Variant variant = variantFromName(options.simVariant).value_or(Variant::R210B);
        std::unique_ptr<SimulatedMouse> mouse;
        if (options.simImage.empty())
            mouse = std::make_unique<SimulatedMouse>(variant, clock);
        else
            mouse = SimulatedMouse::withImageFile(variant, clock, options.simImage, error);
        if (!mouse) return nullptr;
        for (const auto& fault : options.simFaults) mouse->addFault(fault);
        d->simulated_ = mouse.get();
        d->base_ = std::move(mouse);
    } else {
        d->base_ = std::make_unique<HidapiBackend>();
    }
    if (!options.trace.empty()) {
        d->traceFile_.open(options.trace, std::ios::out | std::ios::app);
        if (!d->traceFile_) {
            error = options.trace + ": cannot open the trace file: " + std::strerror(errno);
            return nullptr;
        }
        d->trace_ = std::make_unique<TracingBackend>(*d->base_, d->traceFile_);
    }
    return d;
}

DeviceBackend::~DeviceBackend() = default;

HidBackend& DeviceBackend::backend() {
    return trace_ ? static_cast<HidBackend&>(*trace_) : *base_;
}

} // namespace krm
