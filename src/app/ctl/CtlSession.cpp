#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"

#include "device/SimulatedMouse.h"
#include "image/ImageFields.h"

#include <cstdio>

namespace krm::ctl {

int CtlSession::start(const GlobalOptions& options) {
    std::string error;
    backend_ = DeviceBackend::create(options, clock_, error);
    if (!backend_) {
        err("krmctl: %s\n", error.c_str());
        return kBadFile;
    }
    Branding branding = loadBranding();
    branding.icConfigType = 0; // krmctl talks to either variant
    session_ = std::make_unique<Session>(backend_->backend(), clock_, ui_, branding);
    session_->setDeviceIdEntry0();
    session_->loadDefaultImages();
    if (options.ids) session_->lookAlsoFor(*options.ids);
    operations_ = std::make_unique<ImageOperations>(*session_, ui_);
    const std::string reconnect = session_->texts().text("Str100");
    ui_.mute(reconnect);
    ui_.mute(reconnect + "\n" + session_->texts().text("Str101"));
    ui_.mute(kIncompleteReadMessage); // connect says it in krmctl's words
    for (const std::string& failure : session_->textSlots().writeFailures)
        ui_.mute(failure); // as outcomeCode
    return kOk;
}

CtlSession::~CtlSession() {
    // The session goes first: its reader may still trace a report.
    session_.reset();
    if (!backend_) return;
    ctx_.traceFailure = backend_->traceFailure(ctx_.options);
    for (const SimulatedMouse* mouse : backend_->simulatedMice())
        if (!mouse->persistError().empty())
            ctx_.simImageFailure = "the simulated mouse's image file " + mouse->imageFile() +
                                   " could not keep a change (" + mouse->persistError() +
                                   "); the mouse refused that write";
}

int CtlSession::connect() {
    Session& s = *session_;
    if (s.connectNow()) {
        if (s.transfer().lastReadComplete()) return kOk;
        err("krmctl: the %s mouse's configuration could not be read whole (it refused the read or "
            "some of its replies failed); nothing was written to it or to any file.\n",
            s.presence().chipModel().c_str());
        return kTransfer;
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
    if (int rc = connect(); rc != kOk) return rc;
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
