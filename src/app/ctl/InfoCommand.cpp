#include "app/ctl/CtlSession.h"
#include "app/ctl/LinkCommands.h"
#include "app/ctl/Output.h"

#include <cstdio>

namespace krm::ctl {

int runInfo(Context& ctx) {
    if (!ctx.args.empty()) {
        err("krmctl: info takes no arguments\n");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.connect(); rc != kOk) return rc;
    const Session& s = session.session();
    out("variant:    %s\n", s.presence().chipModel().c_str());
    out("vendor id:  %04X\n", s.link().vendorId());
    out("product id: %04X\n", s.link().productId());
    out("chip code:  %02X\n", s.presence().chipCode());
    const HidLocation where = s.link().location();
    out("id:         %s\n", where.device.c_str());
    out("node:       %s\n", where.node.empty() ? "(this process's own simulated mouse)" : where.node.c_str());
    if (!where.serial.empty()) out("serial:     %s\n", where.serial.c_str());
    return kOk;
}

} // namespace krm::ctl
