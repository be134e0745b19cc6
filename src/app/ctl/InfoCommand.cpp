#include "app/ctl/DeviceSession.h"
#include "app/ctl/LinkCommands.h"

#include <cstdio>

namespace krm::ctl {

int runInfo(Context& ctx) {
    if (!ctx.args.empty()) {
        std::fprintf(stderr, "krmctl: info takes no arguments\n");
        return kUsage;
    }
    DeviceSession session;
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.open(); rc != kOk) return rc;
    std::printf("variant:    %s\n", std::string(variantName(session.variant)).c_str());
    std::printf("vendor id:  %04X\n", session.link().vendorId());
    std::printf("product id: %04X\n", session.link().productId());
    std::printf("chip code:  %02X\n", session.chipCode);
    return kOk;
}

} // namespace krm::ctl
