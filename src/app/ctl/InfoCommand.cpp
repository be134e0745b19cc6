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
    return kOk;
}

} // namespace krm::ctl
