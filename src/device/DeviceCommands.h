#pragma once

#include "device/Clock.h"
#include "device/DeviceLink.h"
#include "device/UiPort.h"

#include <array>
#include <cstdint>
#include <span>

namespace krm {

// The mouse's command set over the report channel of a DeviceLink.
//
// A command report is 0x40, the command code, four argument bytes and two more bytes (0 except in
// the image write 0x05); the mouse's answer is fetched with query reports 0x41 carrying seven data
// bytes, and block writes send their data as 0x41 reports. Every operation does nothing and returns
// false when the handle it needs is -1. Each exchange holds the link's exchange lock to its end.
class DeviceCommands {
public:
    using Reply = std::array<std::uint8_t, 7>;

    DeviceCommands(DeviceLink& link, Clock& clock, UiPort& ui) : link_(link), clock_(clock), ui_(ui) {}

    DeviceLink& link() { return link_; }

    bool sendCommand(std::uint8_t code, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, std::uint8_t a4);
    bool sendDataReport(std::span<const std::uint8_t, 7> data);
    // Fills the reply buffer with 0xFF, fetches one query report and, when that worked, copies its
    // seven data bytes to the reply buffer and waits 500 µs. False when the fetch failed.
    bool readReply();
    // A copy of the reply buffer.
    Reply reply();

    // Single writes of up to three bytes (form 0, with a count) or four bytes (form 1) at an image
    // address below 256: busy window, the report, a 100 ms settle, busy window hidden.
    bool writeImageByte(std::uint8_t address, std::uint8_t d0, std::uint8_t d1, std::uint8_t d2,
                        std::uint8_t count);
    bool writeImageQuad(std::uint8_t address, std::uint8_t d0, std::uint8_t d1, std::uint8_t d2,
                        std::uint8_t d3);
    // Sends count bytes from start in form-0 pieces of 3 or form-1 pieces of 4, leaving the busy
    // window showing. False without sending anything for an invalid command handle, a form other than
    // 0 and 1, a form-1 count that is not a multiple of 4, or a source shorter than count; false, with
    // the pieces after it not sent, when a piece's report failed.
    bool writeImageRange(int form, std::uint8_t start, int count, std::span<const std::uint8_t> source);

    // Reads into destination (sized to the length; 0xFF where a fetch failed). False when the command
    // was refused, when any fetch failed or came back short (the read is incomplete, whatever the
    // other pieces hold), or when destination is shorter than the length (nothing is sent then).
    bool shortRead(std::uint8_t address, std::uint8_t count, std::span<std::uint8_t> destination);
    bool blockRead(std::uint16_t address, std::uint16_t length, std::span<std::uint8_t> destination,
                   bool showBusy);
    // Sends length bytes of source as data reports after command 0x07, leaving the busy window
    // showing. False when the command was refused, when source is shorter than the length, or when a
    // data report failed (the reports after it are not sent: the write is incomplete).
    bool blockWrite(std::uint16_t address, std::uint16_t length, std::span<const std::uint8_t> source);

    bool xdataWrite(std::uint16_t address, std::uint8_t value);
    // value is reply byte 0 (0xFF when the fetch failed). False when the command was refused or the
    // fetch failed.
    bool xdataRead(std::uint16_t address, std::uint8_t& value);
    // Command 0x0D and, when accepted, one fetch; the reply is copied to *reply while the exchange
    // still holds the buffers. False when the command was refused.
    bool identify(Reply* reply = nullptr);

    void waitMicroseconds(int us) { clock_.waitMicroseconds(us); }

private:
    bool sendReport(const std::array<std::uint8_t, 8>& report);
    bool writeSingle(const std::array<std::uint8_t, 8>& report);
    bool transferIn(const std::array<std::uint8_t, 8>& command, std::size_t length,
                    std::span<std::uint8_t> destination, bool showBusy);

    DeviceLink& link_;
    Clock& clock_;
    UiPort& ui_;
};

} // namespace krm
