#include "app/ctl/CtlSession.h"

#include <cstdio>

namespace krm::ctl {

int CtlSession::start(const GlobalOptions& options) {
    std::string error;
    backend_ = DeviceBackend::create(options, clock_, error);
    if (!backend_) {
        std::fprintf(stderr, "krmctl: %s\n", error.c_str());
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
    return kOk;
}

int CtlSession::connect() {
    Session& s = *session_;
    if (s.connectNow()) {
        if (s.transfer().lastReadComplete()) return kOk;
        std::fprintf(stderr,
                     "krmctl: the %s mouse's configuration could not be read whole (it refused the read or "
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
        std::fprintf(stderr,
                     "krmctl: the mouse %04X:%04X %s, so it cannot be identified or "
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
        std::fprintf(stderr,
                     "krmctl: no KRM mouse found (looked for %s among %d HID interface%s that could be "
                     "opened).\n"
                     "If the mouse is plugged in, check that the udev rule is installed (see README); a "
                     "mouse given other ids is looked for with --ids VID:PID. Or try --simulate.\n",
                     wanted.c_str(), count, count == 1 ? "" : "s");
        return kNoMouse;
    }
    std::fprintf(stderr,
                 "krmctl: the mouse %04X:%04X was found but did not identify itself as an R210B or R230B "
                 "(it refused the identify command or answered without ':' in its reply).\n",
                 link.vendorId(), link.productId());
    return kNoMouse;
}

int CtlSession::checkImage(const char* command, bool sectionChecksums) {
    const auto defect = imageDefect(session_->image(), sectionChecksums);
    if (!defect) return kOk;
    std::fprintf(stderr,
                 "krmctl: %s: what the mouse sent cannot be its configuration (%s); nothing was written.\n",
                 command, defect->c_str());
    return kTransfer;
}

void CtlSession::openGunKeyList() {
    const auto r =
        session_->fire().gunKeyList().open(gunKeyListPath(session_->branding().macroLibraryFolder));
    if (!r) std::fprintf(stderr, "krmctl: %s\n", r.message.c_str());
}

int CtlSession::checkReturned() {
    const Session& s = *session_;
    if (s.mouseOpen() && s.identified() && !s.presence().noDevice()) return kOk;
    std::fprintf(stderr, "krmctl: the mouse did not come back after its restart.\n");
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
