#include "device/BackendFactory.h"

#include "device/HidapiBackend.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMouse.h"

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

HidBackend& DeviceBackend::backend() {
    return trace_ ? static_cast<HidBackend&>(*trace_) : *base_;
}

} // namespace krm
