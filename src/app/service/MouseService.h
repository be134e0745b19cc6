#pragma once

#include "app/ctl/Commands.h"
#include "session/Session.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace krm::service {

// What the session bus shows of one mouse (io.krm.Mouse1's properties), read from its session.
struct MouseState {
    std::string id, node, serial, variant;
    std::uint16_t vendorId = 0, productId = 0;
    std::uint8_t chipCode = 0;
    bool ready = false;
    std::uint8_t currentProfile = 0; // 1..3, 0 before the mouse is read
    std::uint8_t dpiLevel = 0;       // 1..8, 0 when it holds none
    std::uint8_t dpiLevelCount = 0;
    std::uint16_t dpi = 0;
    std::vector<std::uint16_t> dpiValues; // levels 1..8, 0 where a level has no value
    std::uint16_t reportRate = 0;
    std::string lightingMode; // English, as the lighting page names it

    bool operator==(const MouseState&) const = default;
};
MouseState mouseState(Session& session);
// The names of the properties that differ, in io.krm.Mouse1's order.
std::vector<std::string> changedProperties(const MouseState& before, const MouseState& after);

// The object path of a mouse: the prefix and its id, every character but a letter or digit as _ and
// two hex digits ("usb-0000:00:14.0-2" -> ".../usb_2d0000_3a00_3a14_2e0_2d2").
std::string mouseObjectPath(const std::string& id);

struct Button {
    int button = 0;
    std::string code; // 8 hex digits
    std::string name; // in the window's language
};
std::vector<Button> buttons(Session& session, int profile);
struct Macro {
    int slot = 0;
    std::string name;
};
std::vector<Macro> macros(Session& session);

// How the owner carries out a client's request: a krmctl command against the mouse's session
// (ctl::runForClient with the owner's message diversion and clock).
using RunCommand =
    std::function<ctl::ClientRun(const std::vector<std::string>& args, const std::string& cwd)>;

// The typed methods, each the krmctl command that makes the same change (so the bytes are the
// window's): a value out of range comes back as krmctl's usage error.
ctl::ClientRun selectProfile(const RunCommand& run, int profile);
ctl::ClientRun setDpi(const RunCommand& run, int level, int dpi);
ctl::ClientRun setDpiLevelCount(const RunCommand& run, int count);
ctl::ClientRun setDpiLevel(const RunCommand& run, int level);
ctl::ClientRun setReportRate(const RunCommand& run, int hz);
ctl::ClientRun setButton(const RunCommand& run, int profile, int button, const std::string& code);
ctl::ClientRun setLightingMode(const RunCommand& run, const std::string& mode);
ctl::ClientRun setLightingSpeed(const RunCommand& run, int speed);
ctl::ClientRun setColour(const RunCommand& run, int index, const std::string& colour);
ctl::ClientRun addMacro(const RunCommand& run, const std::string& name);
ctl::ClientRun deleteMacro(const RunCommand& run, int slot);
ctl::ClientRun setFireSlot(const RunCommand& run, int slot, int repeat, int interval, bool continuous);

// Settings text in and out, through a file of the owner's own (in `folder`) that krmctl's export, diff
// and apply read or write; the file is removed afterwards. `text` out: the exported text.
ctl::ClientRun exportSettings(const RunCommand& run, const std::string& folder, std::string& text);
ctl::ClientRun diffSettings(const RunCommand& run, const std::string& folder, const std::string& text);
ctl::ClientRun applySettings(const RunCommand& run, const std::string& folder, const std::string& text);

// The bus error a krmctl exit code stands for ("io.krm.Error.Refused"), and its message: what krmctl
// printed on its error stream, without the "krmctl: " of each line.
std::string errorName(int code);
std::string errorMessage(const ctl::ClientRun& run);

} // namespace krm::service
