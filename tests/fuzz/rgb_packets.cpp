// What an RGB program can send the RGB-sync server: the input is the byte stream of one client, handed
// over in pieces whose sizes the first byte chooses, to a server that offers a simulated mouse (its
// first bit chooses the variant, so both LED types' modes are met). Every payload reader also reads the
// input whole, in each version's layout.

#include "device/Clock.h"
#include "device/QuietUiPort.h"
#include "device/SimulatedMouse.h"
#include "rgb/RgbServer.h"
#include "session/Session.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace {

using namespace krm;

// A mouse of each variant, read once; the writes the inputs make stay on it, on virtual time.
struct Served {
    explicit Served(Variant variant) : mouse(variant, clock), session(mouse, clock, ui) {
        session.setDeviceIdEntry0();
        session.loadDefaultImages();
        session.connectNow();
    }
    FakeClock clock;
    QuietUiPort ui;
    SimulatedMouse mouse;
    Session session;
    rgb::SessionMice mice{session};
    rgb::RgbServer server{mice, clock, [](const std::string&) {}};
};

Served& served(Variant variant) {
    static Served r210b(Variant::R210B), r230b(Variant::R230B);
    return variant == Variant::R210B ? r210b : r230b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace krm::rgb;
    if (size == 0) return 0;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    for (std::uint32_t version = 0; version <= kNewestVersion; ++version) readModeChange(input, version);
    readUpdateLeds(input);
    readUpdateZoneLeds(input);
    readUpdateSingleLed(input);
    readResizeZone(input);
    readU32(input);

    Served& s = served((data[0] & 1) ? Variant::R230B : Variant::R210B);
    const auto id = s.server.connect("fuzz");
    if (!id) return 0;
    const std::size_t piece = 1 + (data[0] >> 1);
    for (std::size_t at = 0; at < input.size(); at += piece) {
        s.server.received(*id, input.subspan(at, std::min(piece, input.size() - at)));
        s.server.run();
        s.server.sent(*id, s.server.output(*id).size());
        s.clock.advanceUs(700'000);
    }
    s.server.disconnected(*id);
    s.server.takeDropped();
    return 0;
}
