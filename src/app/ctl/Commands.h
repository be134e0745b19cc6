#pragma once

#include "base/GlobalOptions.h"
#include "device/Clock.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace krm {
class Session;
class UiPort;
} // namespace krm

namespace krm::ctl {

// Exit codes of krmctl.
enum Exit : int {
    kOk = 0,
    kDiffers = 1,  // diff: the mouse differs from the settings file (no other run ends with 1)
    kNoMouse = 2,  // no mouse, or it answered identification wrongly
    kBadFile = 3,  // a file is missing, unreadable, short, has a bad marker or is a settings file with errors
    kRefused = 4,  // the change was refused by an editor rule, or the mouse cannot take a settings file
    kTransfer = 5, // a read or write did not move whole, or the mouse read back differs from what was sent
    kBusy = 6,     // another program held the mouse for as long as krmctl waited for it
    kUsage = 64,   // unknown command, option or bad arguments (sysexits' EX_USAGE): never taken for a diff
};

class OwnerLink;
struct Command;

struct Context {
    Clock* clock = nullptr;           // the machine's clock when null; tests pass virtual time
    const Command* command = nullptr; // the command running
    // How to reach the program that owns a mouse (null: krmctl opens the mouse itself or waits for it),
    // and, once it carried out the command, its exit code (what it printed has been printed).
    OwnerLink* owner = nullptr;
    mutable std::optional<int> ownersCode;
    GlobalOptions options;
    // In the program that owns the mouse, running a command for a client: its session (the mouse open
    // and read), and where the session's messages go meanwhile (the command's console, then null).
    Session* attached = nullptr;
    std::function<void(UiPort*)> divertMessages;
    std::vector<std::string> args; // the command's own arguments
    // Set when the session ends if the trace file could not be written whole: the run then fails.
    mutable std::optional<std::string> traceFailure;
    // Set when the session ends if the simulated mouse's image file could not keep a change: the mouse
    // refused that write, and the run fails as a file problem (exit 3).
    mutable std::optional<std::string> simImageFailure;
};

struct Command {
    const char* name;
    const char* synopsis; // arguments, shown in the usage text
    const char* summary;
    int (*run)(Context&);
    // Runs in this krmctl whoever has the mouse: it needs no mouse (list, inspect, functions) or stays
    // with the user (monitor, watch, serve-rgb). The others are carried out by the program that owns
    // the mouse, when one does.
    bool runsHere = false;
};

// Every command krmctl knows, in the order the usage text lists them.
const std::vector<Command>& commands();

// What a command run for a client printed, and its exit code.
struct ClientRun {
    int code = kUsage;
    std::string out;
    std::string err;
};

// The program that owns the mouse and serves it on the session bus (the window, the background
// companion), as krmctl reaches it.
class OwnerLink {
public:
    virtual ~OwnerLink() = default;
    // Runs krmctl's command `args` (its name first) in the owner of the mouse at `node`, from folder
    // `cwd`. Nothing when no program on the bus serves that mouse (`why` says what was found).
    virtual std::optional<ClientRun> run(const std::string& node, const std::vector<std::string>& args,
                                         const std::string& cwd, std::string& why) = 0;

    // What the owner tells of the mouse as it happens: its buttons' events (`value` the code) and the
    // profile, DPI level and readiness as they change.
    struct MouseEvent {
        enum class Kind { Button, Profile, DpiLevel, Ready, OwnerGone };
        Kind kind = Kind::Button;
        int value = 0;
    };
    // Starts listening to the owner of the mouse at `node`; false when no program on the bus serves it.
    virtual bool listen(const std::string& node, std::string& why) = 0;
    // The events that arrive within `waitMs` (at least one when any arrives sooner).
    virtual std::vector<MouseEvent> events(int waitMs) = 0;
};

// Runs a command of a client's (`args`, its name first) against `session`, the mouse this program
// owns: its output captured, relative file names taken from `cwd`, and the session's messages
// diverted to the command's console (`divert` is handed the console, then null). The bytes are those
// the command sends when it opens the mouse itself.
ClientRun runForClient(Session& session, const std::vector<std::string>& args, const std::string& cwd,
                       const std::function<void(UiPort*)>& divert, Clock* clock = nullptr);

// krmctl as a whole: options, then the command; returns the exit code. `clock` null: the machine's.
// `owner`: how to reach the program that owns a mouse (null: krmctl always opens it itself).
int run(int argc, const char* const* argv, Clock* clock, OwnerLink* owner = nullptr);

} // namespace krm::ctl
