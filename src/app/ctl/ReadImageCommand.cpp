#include "app/ctl/DeviceSession.h"
#include "app/ctl/LinkCommands.h"
#include "device/AtomicFile.h"

#include <cstdio>
#include <vector>

namespace krm::ctl {

int runReadImage(Context& ctx) {
    if (ctx.args.size() != 1) {
        std::fprintf(stderr, "krmctl: read-image takes one argument, the file to write\n");
        return kUsage;
    }
    DeviceSession session;
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.open(); rc != kOk) return rc;

    std::vector<std::uint8_t> image(kImageSize);
    if (!session.commands().BlockRead(0, kImageSize, image, false)) {
        std::fprintf(stderr, "krmctl: the mouse refused the read command\n");
        return kNoMouse;
    }
    std::string error;
    if (!writeFileAtomically(ctx.args[0], image, &error)) {
        std::fprintf(stderr, "krmctl: %s\n", error.c_str());
        return kBadFile;
    }
    std::printf("%s: %zu bytes read from the %s mouse\n", ctx.args[0].c_str(), image.size(),
                std::string(variantName(session.variant)).c_str());
    return kOk;
}

} // namespace krm::ctl
