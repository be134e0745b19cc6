// Everything a mouse can answer, taken from the input: the probes, identification, the whole-image
// read, the dump of what was read, and button events with their re-reads. Each report the program
// sends takes one input byte (0xFF: the report fails); each fetch takes one byte (0: the fetch fails)
// and seven reply bytes. After the connection, a byte is a button event code, and the re-reads it
// causes take the bytes after it.

#include "device/Clock.h"
#include "device/QuietUiPort.h"
#include "session/ImageOperations.h"
#include "session/MouseDump.h"
#include "session/Session.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

using namespace krm;

class ScriptedMouse final : public HidBackend {
public:
    explicit ScriptedMouse(std::span<const std::uint8_t> script) : script_(script) {}

    std::vector<std::string> enumerate() override { return {"fuzz-mouse"}; }
    HidHandle open(const std::string&, bool readWrite) override { return readWrite ? 2 : 1; }
    void close(HidHandle) override {}
    bool attributes(HidHandle, HidAttributes& out) override {
        out = {0x3A7E, 0x0C51, 0x0100};
        return true;
    }
    bool capabilities(HidHandle, HidCapabilities& out) override {
        out = {8, 8};
        return true;
    }
    bool setFeature(HidHandle, std::span<const std::uint8_t>) override { return take() != 0xFF; }
    bool getFeature(HidHandle, std::span<std::uint8_t> report) override {
        if (take() == 0) return false;
        for (std::size_t i = 1; i < report.size(); ++i) report[i] = take();
        return true;
    }
    int readInput(HidHandle, std::span<std::uint8_t>) override { return -1; }
    void cancelReads() override {}

    // The next button event code, when the script has bytes left.
    bool nextEvent(std::uint8_t& code) {
        if (at_ >= script_.size()) return false;
        code = take();
        return true;
    }

private:
    std::uint8_t take() { return at_ < script_.size() ? script_[at_++] : 0xFF; }

    std::span<const std::uint8_t> script_;
    std::size_t at_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScriptedMouse mouse(std::span(data, size));
    FakeClock clock;
    QuietUiPort ui;
    Branding branding;
    branding.icConfigType = 0;
    Session session(mouse, clock, ui, branding);
    session.setDeviceIdEntry0();
    session.loadDefaultImages();
    if (!session.connectNow()) return 0;
    (void)imageDefect(session.image());
    (void)dumpMouseJson(session).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);

    for (std::uint8_t code = 0; mouse.nextEvent(code);) {
        const std::uint8_t report[4] = {0x42, 0, 0, code};
        session.buttonEvents().onInputReport(report);
    }
    return 0;
}
