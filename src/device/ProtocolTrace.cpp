#include "device/ProtocolTrace.h"

namespace krm {

std::string traceHex(std::span<const std::uint8_t> bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) s += ' ';
        s += kDigits[bytes[i] >> 4];
        s += kDigits[bytes[i] & 15];
    }
    return s;
}

void TracingBackend::line(const char* kind, std::span<const std::uint8_t> bytes, bool ok) {
    std::string text = std::string(kind) + ' ' + traceHex(bytes);
    if (!ok) text += " !";
    text += '\n';
    std::lock_guard lock(mutex_);
    out_ << text << std::flush;
}

bool TracingBackend::setFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    const bool ok = inner_.setFeature(handle, report);
    line("set", report, ok);
    return ok;
}

bool TracingBackend::getFeature(HidHandle handle, std::span<std::uint8_t> report) {
    const bool ok = inner_.getFeature(handle, report);
    line("get", report, ok);
    return ok;
}

int TracingBackend::readInput(HidHandle handle, std::span<std::uint8_t> buffer) {
    const int n = inner_.readInput(handle, buffer);
    // A read that ended without a report (cancelled, device gone) carries no bytes to show.
    if (n > 0) line("in", buffer.first(static_cast<std::size_t>(n)), true);
    return n;
}

} // namespace krm
