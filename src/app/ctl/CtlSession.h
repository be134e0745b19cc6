#pragma once

#include "app/ctl/Commands.h"
#include "app/ctl/ConsoleUiPort.h"
#include "device/AttachedMice.h"
#include "device/BackendFactory.h"
#include "device/Clock.h"
#include "session/ImageOperations.h"
#include "session/Session.h"

#include <memory>

namespace krm::ctl {

// krmctl's window: the core Session on the HID stack the global options chose, with the real clock
// and the console for messages. It accepts both variants. In the program that owns the mouse, for a
// client, it is that program's session instead (Context::attached), already open and read.
class CtlSession {
public:
    explicit CtlSession(const Context& ctx) : ctx_(ctx), clock_(ctx.clock ? *ctx.clock : systemClock_) {}
    ~CtlSession();
    CtlSession(const CtlSession&) = delete;
    CtlSession& operator=(const CtlSession&) = delete;

    // Builds the backend and the session; prints the reason and returns kBadFile when it cannot.
    // When another of our programs holds the mouse and serves it on the session bus, the command is
    // carried out there instead: what it printed is printed, and start returns kCarriedOut (the
    // command returns at once; run() exits with the owner's code).
    int start(const GlobalOptions& options);
    static constexpr int kCarriedOut = -1;
    // Opens, identifies and reads the mouse. Prints a clear message on stderr and returns kNoMouse
    // when there is none or it answers identification wrongly, kTransfer when its image could not be
    // read whole (nothing has been written then).
    //
    // The mouse is the one --device names; with several attached and none named, a command that
    // will write (`writing` names it) is refused before anything is sent (kUsage), and a read goes to
    // the first and says so. While another process holds the mouse, krmctl waits for it, at most
    // kHeldWaitMs (then kBusy). A current-profile byte left without a profile by a cut write is
    // repaired before a write and reported by a read.
    int connect(const char* writing = nullptr);
    // connect(command), for the commands that change the mouse: also kTransfer, with a message, when what the
    // mouse sent cannot be its configuration, since every edit builds on it (nothing is written then).
    int connectToEdit(const char* command);
    // Carries out an editor's outcome (through Session::apply) and reports it: see outcomeCode.
    int carryOut(const char* command, EditOutcome outcome, EditOutcome* done = nullptr);
    // After connect, for the commands that hand the image on (a file, a dump): kTransfer, with a
    // message, when the image read has a defect that says it is not what the mouse holds.
    // With `sectionChecksums` false, damaged sections pass (the dump shows them as regenerated).
    int checkImage(const char* command, bool sectionChecksums = true);
    // Opens the gun-key list ("Fire Macro.bin"), which names gun buttons; a problem is printed and the
    // list stays empty.
    void openGunKeyList();
    // After an operation that restarted the mouse: kOk when it came back and was read again,
    // otherwise a message and kNoMouse.
    int checkReturned();

    // How long krmctl waits for a mouse another process holds, and how often it asks.
    static constexpr int kHeldWaitMs = 30000;
    static constexpr int kHeldStepMs = 100;

    Session& session() { return *session_; }
    ImageOperations& operations() { return *operations_; }
    HidBackend& backend() { return backend_ ? backend_->backend() : session_->link().backend(); }
    // The simulated mouse of this krmctl (none when running in the mouse's owner for a client).
    SimulatedMouse* simulated() { return backend_ ? backend_->simulated() : nullptr; }
    ConsoleUiPort& ui() { return ui_; }
    Clock& clock() { return clock_; }

    // The mouse --device names (or the only one) becomes the session's; with several and none named,
    // `writing` refuses (kUsage) and a read takes the first. For the commands that keep the mouse
    // through the presence poll rather than connect.
    int pickMouse(const char* writing);

private:
    // The program that holds the mouse this command would reach, asked to carry the command out.
    std::optional<ClientRun> askOwner();
    // The window's messages that krmctl says in its own words.
    void muteWindowMessages();
    // Opens the mouse, waiting while another process holds it; kBusy after kHeldWaitMs.
    int openWaiting();

    const Context& ctx_;
    SystemClock systemClock_;
    Clock& clock_;
    ConsoleUiPort ui_;
    std::unique_ptr<DeviceBackend> backend_;
    std::unique_ptr<Session> ownSession_;
    Session* session_ = nullptr; // ownSession_, or the owner's (Context::attached)
    std::unique_ptr<ImageOperations> operations_;
    std::size_t miceAttached_ = 0; // when several are and none was named: how many
};

// The attached mice as a numbered list, one a line, for messages and `list`.
std::string miceList(const std::vector<AttachedMouse>& mice);

// The exit code for an outcome Session::apply returned: kOk when the mouse took every write;
// otherwise what went wrong, on stderr, and kRefused (an editor rule kept the change from being made)
// or kTransfer (a write the mouse did not take). Nothing may be printed as done after a code other than
// kOk.
int outcomeCode(const char* command, const EditOutcome& done);

// The exit code for an operation's result (its message was shown already).
int exitCodeFor(OperationResult result);

} // namespace krm::ctl
