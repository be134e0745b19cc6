#include "device/DeviceCommands.h"

#include <algorithm>

namespace krm {

namespace {
constexpr std::uint8_t kCommandReport = 0x40;
constexpr std::uint8_t kQueryReport = 0x41;
constexpr std::size_t kPiece = 7;
constexpr int kFetchWaitUs = 500;
constexpr int kSettleMs = 100;

std::uint8_t hi(std::uint16_t v) {
    return static_cast<std::uint8_t>(v >> 8);
}
std::uint8_t lo(std::uint16_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
} // namespace

bool DeviceCommands::sendReport(const std::array<std::uint8_t, 8>& report) {
    auto lock = link_.exchange();
    const HidHandle h = link_.commandHandle();
    if (h == kInvalidHandle) return false;
    auto& buffer = link_.reportBuffer();
    buffer = report;
    return link_.setFeatureReport(h, buffer);
}

bool DeviceCommands::sendCommand(std::uint8_t code, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3,
                                 std::uint8_t a4) {
    return sendReport({kCommandReport, code, a1, a2, a3, a4, 0x00, 0x00});
}

bool DeviceCommands::sendDataReport(std::span<const std::uint8_t, 7> data) {
    auto lock = link_.exchange();
    const HidHandle h = link_.queryHandle();
    if (h == kInvalidHandle) return false;
    auto& buffer = link_.reportBuffer();
    buffer[0] = kQueryReport;
    std::copy(data.begin(), data.end(), buffer.begin() + 1);
    return link_.setFeatureReport(h, buffer);
}

bool DeviceCommands::readReply() {
    auto lock = link_.exchange();
    auto& reply = link_.replyBuffer();
    reply.fill(0xFF);
    const HidHandle h = link_.queryHandle();
    if (h == kInvalidHandle) return false;
    auto& buffer = link_.reportBuffer();
    buffer = {kQueryReport, 0, 0, 0, 0, 0, 0, 0};
    if (!link_.getFeatureReport(h, buffer)) return false;
    std::copy(buffer.begin() + 1, buffer.end(), reply.begin());
    waitMicroseconds(kFetchWaitUs);
    return true;
}

DeviceCommands::Reply DeviceCommands::reply() {
    auto lock = link_.exchange();
    return link_.replyBuffer();
}

bool DeviceCommands::writeSingle(const std::array<std::uint8_t, 8>& report) {
    if (link_.commandHandle() == kInvalidHandle) return false;
    ui_.showBusy();
    ui_.processEvents();
    const bool ok = sendReport(report);
    clock_.sleepMs(kSettleMs);
    ui_.hideBusy();
    ui_.processEvents();
    return ok;
}

bool DeviceCommands::writeImageByte(std::uint8_t address, std::uint8_t d0, std::uint8_t d1, std::uint8_t d2,
                                    std::uint8_t count) {
    return writeSingle({kCommandReport, 0x05, 0x00, address, d0, d1, d2, count});
}

bool DeviceCommands::writeImageQuad(std::uint8_t address, std::uint8_t d0, std::uint8_t d1, std::uint8_t d2,
                                    std::uint8_t d3) {
    return writeSingle({kCommandReport, 0x05, 0x01, address, d0, d1, d2, d3});
}

bool DeviceCommands::writeImageRange(int form, std::uint8_t start, int count,
                                     std::span<const std::uint8_t> source) {
    if (link_.commandHandle() == kInvalidHandle) return false;
    if (form != 0 && form != 1) return false;
    if (count < 0 || source.size() < static_cast<std::size_t>(count)) return false;
    // Form 1 carries no count: a short last piece would store stale bytes.
    if (form == 1 && count % 4 != 0) return false;

    auto lock = link_.exchange();
    auto& scratch = link_.replyBuffer();
    scratch.fill(0xFF);
    const int size = form == 0 ? 3 : 4;
    for (int at = 0; at < count; at += size) {
        ui_.showBusy();
        ui_.processEvents();
        const int n = std::min(size, count - at);
        std::copy_n(source.begin() + at, n, scratch.begin());
        const auto address = static_cast<std::uint8_t>(start + at);
        const bool sent = form == 0 ? sendReport({kCommandReport, 0x05, 0x00, address, scratch[0], scratch[1],
                                                  scratch[2], static_cast<std::uint8_t>(n)})
                                    : sendReport({kCommandReport, 0x05, 0x01, address, scratch[0], scratch[1],
                                                  scratch[2], scratch[3]});
        // The pieces after a lost one would leave a hole the caller could not see: stop here.
        if (!sent) return false;
    }
    return true;
}

bool DeviceCommands::transferIn(const std::array<std::uint8_t, 8>& command, std::size_t length,
                                std::span<std::uint8_t> destination, bool showBusy) {
    if (destination.size() < length) return false;
    auto lock = link_.exchange();
    std::fill_n(destination.begin(), length, 0xFF);
    auto& reply = link_.replyBuffer();
    reply.fill(0xFF);
    if (!sendReport(command)) return false;
    bool everyFetch = true;
    for (std::size_t at = 0; at < length; at += kPiece) {
        if (showBusy) {
            ui_.showBusy();
            ui_.processEvents();
        }
        if (!readReply()) everyFetch = false;
        std::copy_n(reply.begin(), std::min(kPiece, length - at),
                    destination.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return everyFetch;
}

bool DeviceCommands::shortRead(std::uint8_t address, std::uint8_t count,
                               std::span<std::uint8_t> destination) {
    return transferIn({kCommandReport, 0x06, 0x00, address, 0x00, count, 0x00, 0x00}, count, destination,
                      false);
}

bool DeviceCommands::blockRead(std::uint16_t address, std::uint16_t length,
                               std::span<std::uint8_t> destination, bool showBusy) {
    return transferIn({kCommandReport, 0x09, hi(address), lo(address), hi(length), lo(length), 0x00, 0x00},
                      length, destination, showBusy);
}

bool DeviceCommands::blockWrite(std::uint16_t address, std::uint16_t length,
                                std::span<const std::uint8_t> source) {
    if (source.size() < length) return false;
    auto lock = link_.exchange();
    auto& scratch = link_.replyBuffer();
    scratch.fill(0xFF);
    if (!sendCommand(0x07, hi(address), lo(address), hi(length), lo(length))) return false;
    for (std::size_t at = 0; at < length; at += kPiece) {
        ui_.showBusy();
        ui_.processEvents();
        // Past the end of a short last piece the scratch area keeps what it held.
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(at),
                    std::min<std::size_t>(kPiece, length - at), scratch.begin());
        // The mouse stores data reports in order: after a lost one the rest would land at the wrong
        // addresses, so the write ends there.
        if (!sendDataReport(scratch)) return false;
    }
    return true;
}

bool DeviceCommands::xdataWrite(std::uint16_t address, std::uint8_t value) {
    return sendCommand(0x01, hi(address), lo(address), value, 0x00);
}

bool DeviceCommands::xdataRead(std::uint16_t address, std::uint8_t& value) {
    auto lock = link_.exchange();
    value = 0xFF;
    if (!sendCommand(0x02, hi(address), lo(address), 0x00, 0x01)) return false;
    const bool fetched = readReply();
    value = link_.replyBuffer()[0];
    return fetched;
}

bool DeviceCommands::identify(Reply* out) {
    auto lock = link_.exchange();
    if (!sendCommand(0x0D, 0x00, 0x00, 0x00, 0x00)) return false;
    readReply();
    if (out) *out = link_.replyBuffer();
    return true;
}

} // namespace krm
