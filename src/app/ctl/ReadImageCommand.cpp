#include "app/ctl/CtlSession.h"
#include "app/ctl/LinkCommands.h"
#include "image/ImageFiles.h"

#include <algorithm>
#include <cstdio>

namespace krm::ctl {

int runReadImage(Context& ctx) {
    if (ctx.args.size() != 1) {
        std::fprintf(stderr, "krmctl: read-image takes one argument, the file to write\n");
        return kUsage;
    }
    CtlSession session;
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.connect(); rc != kOk) return rc;

    // The image as the connection read it. A refused read, or one whose every fetch failed, leaves
    // every byte 0xFF, which no image holds (its first bytes are the USB ids).
    const ConfigImage& image = session.session().image().image;
    if (std::all_of(image.begin(), image.end(), [](std::uint8_t b) { return b == 0xFF; })) {
        std::fprintf(stderr, "krmctl: the mouse delivered no byte of its image (it refused the read "
                             "command or failed every fetch)\n");
        return kNoMouse;
    }
    if (auto error = writeFileAtomically(ctx.args[0], image)) {
        std::fprintf(stderr, "krmctl: %s\n", error->message.c_str());
        return kBadFile;
    }
    std::printf("%s: %zu bytes read from the %s mouse\n", ctx.args[0].c_str(), image.size(),
                session.session().presence().chipModel().c_str());
    return kOk;
}

} // namespace krm::ctl
