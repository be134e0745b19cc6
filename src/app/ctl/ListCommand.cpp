#include "app/ctl/CtlSession.h"
#include "app/ctl/LinkCommands.h"
#include "app/ctl/Output.h"

#include <algorithm>
#include <cstdio>

namespace krm::ctl {

int runList(Context& ctx) {
    if (!ctx.args.empty()) {
        err("krmctl: list takes no arguments\n");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    HidBackend& hid = session.backend();
    const DeviceIdTable& table = session.session().presence().deviceIdTable;

    const auto paths = hid.enumerate();
    std::size_t width = 4;
    for (const auto& p : paths) width = std::max(width, p.size());
    out("  %-*s  VID:PID    INPUT  FEATURE\n", static_cast<int>(width), "PATH");
    int qualifying = 0;
    for (const auto& path : paths) {
        const HidHandle h = hid.open(path, false);
        if (h == kInvalidHandle) {
            out("  %-*s  (cannot be opened)\n", static_cast<int>(width), path.c_str());
            continue;
        }
        HidAttributes a{};
        HidCapabilities c{};
        if (!hid.attributes(h, a)) a = {};
        if (!hid.capabilities(h, c)) c = {};
        hid.close(h);
        // The mouse: ids of a table entry and an 8-byte feature report.
        const bool mouse = c.featureReportLength == 8 &&
                           std::any_of(table.entries.begin(), table.entries.end(), [&](const auto& e) {
                               return e.vendorId != 0 && e.productId != 0 && e.vendorId == a.vendorId &&
                                      e.productId == a.productId;
                           });
        qualifying += mouse;
        out("%c %-*s  %04X:%04X  %5d  %7d\n", mouse ? '*' : ' ', static_cast<int>(width), path.c_str(),
            a.vendorId, a.productId, c.inputReportLength, c.featureReportLength);
    }
    out("%zu HID interface%s; * marks the mouse (%d)\n", paths.size(), paths.size() == 1 ? "" : "s",
        qualifying);
    // The mice, as --device names them: by number, id or node.
    const auto mice = attachedMice(hid, table);
    out("%zu %s attached%s\n", mice.size(), mice.size() == 1 ? "mouse" : "mice", mice.empty() ? "" : ":");
    for (std::size_t i = 0; i < mice.size(); ++i) {
        const AttachedMouse& m = mice[i];
        std::string held;
        if (!m.node.empty())
            if (const auto holder = DeviceLock::holder(m.node))
                held = "  (in use by " + holder->describe() + ")";
        out("  %zu  %s  %s%s%s\n", i + 1, m.id.c_str(), m.node.empty() ? "(no node)" : m.node.c_str(),
            m.serial.empty() ? "" : ("  serial " + m.serial).c_str(), held.c_str());
    }
    return kOk;
}

} // namespace krm::ctl
