#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"

#include "device/SimulatedMouse.h"
#include "image/ImageFields.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace krm::ctl {

int CtlSession::start(const GlobalOptions& options) {
    if (ctx_.attached) {
        session_ = ctx_.attached;
        operations_ = std::make_unique<ImageOperations>(*session_, ui_);
        muteWindowMessages();
        if (ctx_.divertMessages) ctx_.divertMessages(&ui_);
        return kOk;
    }
    std::string error;
    backend_ = DeviceBackend::create(options, clock_, error);
    if (!backend_) {
        err("krmctl: %s\n", error.c_str());
        return kBadFile;
    }
    Branding branding = loadBranding();
    branding.icConfigType = 0; // krmctl talks to either variant
    ownSession_ = std::make_unique<Session>(backend_->backend(), clock_, ui_, branding);
    session_ = ownSession_.get();
    session_->setDeviceIdEntry0();
    session_->loadDefaultImages();
    if (options.ids) session_->lookAlsoFor(*options.ids);
    operations_ = std::make_unique<ImageOperations>(*session_, ui_);
    muteWindowMessages();
    session_->presence().hooks.heldElsewhere = nullptr; // connect says it, and waits
    if (const auto done = askOwner()) {
        out("%s", done->out.c_str());
        err("%s", done->err.c_str());
        ctx_.ownersCode = done->code;
        return kCarriedOut;
    }
    return kOk;
}

std::string currentFolder() {
    std::string cwd(PATH_MAX, '\0');
    if (!::getcwd(cwd.data(), cwd.size())) return "/";
    cwd.resize(std::strlen(cwd.c_str()));
    return cwd;
}

std::optional<std::string> CtlSession::heldNode() {
    // The mouse --device names, or the only one: with several and none named, the command's own rules
    // (a write refused, a read to the first) apply here.
    const auto mice = attachedMice(backend(), session_->presence().deviceIdTable);
    const AttachedMouse* target = !ctx_.options.device.empty() ? chooseMouse(mice, ctx_.options.device)
                                  : mice.size() == 1           ? &mice.front()
                                                               : nullptr;
    if (!target || target->node.empty()) return std::nullopt;
    const auto holder = DeviceLock::holder(target->node);
    if (!holder || holder->pid == ::getpid()) return std::nullopt;
    return target->node;
}

std::optional<ClientRun> CtlSession::askOwner() {
    if (!ctx_.owner || !ctx_.command || ctx_.command->runsHere) return std::nullopt;
    const auto node = heldNode();
    if (!node) return std::nullopt;
    std::vector<std::string> args{ctx_.command->name};
    args.insert(args.end(), ctx_.args.begin(), ctx_.args.end());
    std::string why;
    return ctx_.owner->run(*node, args, currentFolder(), why);
}

void CtlSession::muteWindowMessages() {
    const std::string reconnect = session_->texts().text("Str100");
    ui_.mute(reconnect);
    ui_.mute(reconnect + "\n" + session_->texts().text("Str101"));
    ui_.mute(kIncompleteReadMessage); // connect says it in krmctl's words
    for (const std::string& failure : session_->textSlots().writeFailures)
        ui_.mute(failure); // as outcomeCode
}

std::string miceList(const std::vector<AttachedMouse>& mice) {
    std::string text;
    for (std::size_t i = 0; i < mice.size(); ++i) {
        const AttachedMouse& m = mice[i];
        char head[64];
        std::snprintf(head, sizeof head, "  %zu  %04X:%04X  ", i + 1, m.vendorId, m.productId);
        text += head + m.id + (m.node.empty() ? "" : "  " + m.node) +
                (m.serial.empty() ? "" : "  serial " + m.serial) + "\n";
    }
    return text;
}

int CtlSession::pickMouse(const char* writing) {
    Session& s = *session_;
    const auto mice = attachedMice(backend(), s.presence().deviceIdTable);
    const std::string& wanted = ctx_.options.device;
    if (!wanted.empty()) {
        const AttachedMouse* m = chooseMouse(mice, wanted);
        if (!m) {
            err("krmctl: --device %s names none of the attached mice%s\n%s", wanted.c_str(),
                mice.empty() ? " (none is attached)" : ":", miceList(mice).c_str());
            return kNoMouse;
        }
        s.link().choose(m->id);
        return kOk;
    }
    if (mice.size() < 2) return kOk;
    if (writing) {
        err("krmctl: %s: %zu mice are attached; say which one with --device ID, NODE or NUMBER (nothing "
            "was sent to any):\n%s",
            writing, mice.size(), miceList(mice).c_str());
        return kUsage;
    }
    s.link().choose(mice.front().id);
    miceAttached_ = mice.size();
    return kOk;
}

int CtlSession::openWaiting() {
    Session& s = *session_;
    const std::uint64_t until = clock_.tickMs() + kHeldWaitMs;
    bool told = false;
    for (;;) {
        if (s.connectNow()) return kOk;
        const auto& holder = s.link().heldBy();
        if (!holder) return kNoMouse;
        if (clock_.tickMs() >= until) {
            err("krmctl: the mouse is still in use by %s after %d s; nothing was sent to it. Try again when "
                "that program is done with it.\n",
                holder->describe().c_str(), kHeldWaitMs / 1000);
            return kBusy;
        }
        if (!told) {
            err("krmctl: the mouse is in use by %s; waiting for it (at most %d s)\n",
                holder->describe().c_str(), kHeldWaitMs / 1000);
            told = true;
        }
        clock_.sleepMs(kHeldStepMs);
    }
}

CtlSession::~CtlSession() {
    if (ctx_.attached && ctx_.divertMessages) ctx_.divertMessages(nullptr);
    // The session goes first: its reader may still trace a report.
    ownSession_.reset();
    if (!backend_) return;
    ctx_.traceFailure = backend_->traceFailure(ctx_.options);
    for (const SimulatedMouse* mouse : backend_->simulatedMice())
        if (!mouse->persistError().empty())
            ctx_.simImageFailure = "the simulated mouse's image file " + mouse->imageFile() +
                                   " could not keep a change (" + mouse->persistError() +
                                   "); the mouse refused that write";
}

int CtlSession::connect(const char* writing) {
    Session& s = *session_;
    if (ctx_.attached && !(s.mouseOpen() && s.identified() && !s.presence().noDevice())) {
        err("krmctl: the program that has the mouse has not read it yet (it is being found, or read again "
            "after a restart); try again in a moment.\n");
        return kNoMouse;
    }
    if (int rc = ctx_.attached ? kOk : pickMouse(writing); rc != kOk) return rc;
    const int opened = ctx_.attached ? kOk : openWaiting();
    if (opened == kBusy) return kBusy;
    if (opened == kOk) {
        if (miceAttached_ > 1)
            err("krmctl: %zu mice are attached; this is %s (%s). Name another with --device.\n",
                miceAttached_, s.link().location().device.c_str(), s.link().location().node.c_str());
        if (!s.transfer().lastReadComplete()) {
            err("krmctl: the %s mouse's configuration could not be read whole (it refused the read or some "
                "of "
                "its replies failed); nothing was written to it or to any file.\n",
                s.presence().chipModel().c_str());
            return kTransfer;
        }
        if (!s.profileByteCut()) return kOk;
        const int shown = s.mouseProfile();
        if (!writing) {
            err("krmctl: the mouse's current-profile byte (0xA4) holds %02X, no profile: a profile write was "
                "cut "
                "short. The mouse is taken to be on profile %d; `krmctl profile %d` writes it again.\n",
                s.image().copies.user[0], shown, shown);
            return kOk;
        }
        if (!s.repairProfileByte()) {
            err("krmctl: %s: the mouse's current-profile byte (0xA4) holds no profile (a profile write was "
                "cut "
                "short), and writing profile %d there failed; nothing else was sent.\n",
                writing, shown);
            return kTransfer;
        }
        err("krmctl: the mouse's current-profile byte (0xA4) held no profile (a profile write was cut "
            "short); "
            "profile %d was made current again.\n",
            shown);
        return kOk;
    }
    const DeviceIdTable& table = s.presence().deviceIdTable;
    DeviceLink& link = s.link();
    if (!s.mouseOpen() && link.vendorId() != 0) {
        // The mouse is there (openDevice found its collection) but a probe failed.
        const bool commands = link.commandHandle() != kInvalidHandle;
        const bool fetches = link.queryHandle() != kInvalidHandle;
        const char* what = commands  ? "accepts commands but refuses every fetch (its query reports fail)"
                           : fetches ? "answers fetches but refuses every command report"
                                     : "refuses both command reports and fetches";
        err("krmctl: the mouse %04X:%04X %s, so it cannot be identified or "
            "read.\n"
            "Unplug and replug it; if that does not help, its firmware is not answering.\n",
            link.vendorId(), link.productId(), what);
        return kNoMouse;
    }
    if (!s.mouseOpen()) {
        const int count = link.countHidInterfaces();
        std::string wanted;
        for (const auto& e : table.entries) {
            if (e.vendorId == 0 && e.productId == 0) continue;
            char ids[16];
            std::snprintf(ids, sizeof ids, "%04X:%04X", e.vendorId, e.productId);
            if (wanted.find(ids) != std::string::npos) continue;
            wanted += (wanted.empty() ? "" : " or ") + std::string(ids);
        }
        err("krmctl: no KRM mouse found (looked for %s among %d HID interface%s that could be "
            "opened).\n"
            "If the mouse is plugged in, check that the udev rule is installed (see README); a "
            "mouse given other ids is looked for with --ids VID:PID. Or try --simulate.\n",
            wanted.c_str(), count, count == 1 ? "" : "s");
        return kNoMouse;
    }
    err("krmctl: the mouse %04X:%04X was found but did not identify itself as an R210B or R230B "
        "(it refused the identify command or answered without ':' in its reply).\n",
        link.vendorId(), link.productId());
    return kNoMouse;
}

int CtlSession::connectToEdit(const char* command) {
    if (int rc = connect(command); rc != kOk) return rc;
    if (session_->transfer().copiesTrusted()) return kOk;
    const auto defect = imageDefect(session_->image(), false);
    err("krmctl: %s: what the mouse sent cannot be its configuration (%s), and every change builds "
        "on it; nothing was written. Reconnect the mouse and try again.\n",
        command, defect.value_or("it was not read whole").c_str());
    return kTransfer;
}

int CtlSession::carryOut(const char* command, EditOutcome outcome, EditOutcome* done) {
    EditOutcome result = session_->apply(std::move(outcome));
    const int rc = outcomeCode(command, result);
    if (done) *done = std::move(result);
    return rc;
}

int outcomeCode(const char* command, const EditOutcome& done) {
    using Failure = EditOutcome::WriteFailure;
    if (done.refused) {
        err("krmctl: %s: %s; nothing was sent\n", command,
            done.message.value_or("the change was refused").c_str());
        return kRefused;
    }
    switch (done.failure) {
    case Failure::None:
        return kOk;
    case Failure::NotTaken:
        err("krmctl: %s: the mouse did not take the change: writing %s failed, and nothing after it "
            "was sent. The mouse holds what it held.\n",
            command, done.failedWrite.c_str());
        break;
    case Failure::ReadAgain:
        err("krmctl: %s: the change did not reach the mouse whole: writing %s failed, and nothing "
            "after it was sent. The mouse was read again; `krmctl dump` shows what it holds.\n",
            command, done.failedWrite.c_str());
        break;
    case Failure::NotReadAgain:
        err("krmctl: %s: writing %s failed, and nothing after it was sent; the mouse could not be "
            "read again, so it may hold a part of the change. Reconnect it before going on.\n",
            command, done.failedWrite.c_str());
        break;
    case Failure::NotTrusted:
        err("krmctl: %s: the mouse's configuration was not read whole, so nothing was written. "
            "Reconnect the mouse and try again.\n",
            command);
        break;
    }
    return kTransfer;
}

int CtlSession::checkImage(const char* command, bool sectionChecksums) {
    const auto defect = imageDefect(session_->image(), sectionChecksums);
    if (!defect) return kOk;
    err("krmctl: %s: what the mouse sent cannot be its configuration (%s); nothing was written.\n", command,
        defect->c_str());
    return kTransfer;
}

void CtlSession::openGunKeyList() {
    const auto r =
        session_->fire().gunKeyList().open(gunKeyListPath(session_->branding().macroLibraryFolder));
    if (!r) err("krmctl: %s\n", r.message.c_str());
}

int CtlSession::checkReturned() {
    const Session& s = *session_;
    // Another process may have taken the mouse while it restarted: its turn comes first.
    if (s.presence().heldBy())
        if (int rc = openWaiting(); rc == kBusy) return rc;
    if (s.mouseOpen() && s.identified() && !s.presence().noDevice()) return kOk;
    err("krmctl: the mouse did not come back after its restart.\n");
    return kNoMouse;
}

int exitCodeFor(OperationResult result) {
    switch (result) {
    case OperationResult::Done:
        return kOk;
    case OperationResult::NoMouse:
    case OperationResult::NotReady:
        return kNoMouse;
    case OperationResult::ReadFailed:
    case OperationResult::WriteFailed:
    case OperationResult::NotVerified:
        return kTransfer;
    case OperationResult::FileRefused:
    case OperationResult::Cancelled:
        return kBadFile;
    }
    return kUsage;
}

} // namespace krm::ctl
