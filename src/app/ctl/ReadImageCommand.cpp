#include "app/ctl/CtlSession.h"
#include "app/ctl/LinkCommands.h"
#include "app/ctl/Output.h"
#include "image/ImageFiles.h"

#include <cstdio>

namespace krm::ctl {

int runReadImage(Context& ctx) {
    if (ctx.args.size() != 1) {
        err("krmctl: read-image takes one argument, the file to write\n");
        return kUsage;
    }
    if (auto refused = checkWritableTarget(ctx.args[0])) {
        err("krmctl: read-image: %s\n", refused->message.c_str());
        return kBadFile;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.connect(); rc != kOk) return rc;
    if (int rc = session.checkImage("read-image"); rc != kOk) return rc;

    // The image is read a second time and must come back the same: a single read cannot tell noise
    // in its unchecked blocks (macros, fire macros) from data.
    const ConfigImage first = session.session().image().image;
    const OperationResult result =
        session.operations().saveProfile([&]() -> std::optional<std::string> { return ctx.args[0]; },
                                         ImageOperations::BinSuffix::AsGiven, &first);
    if (result != OperationResult::Done) return exitCodeFor(result);
    out("%s: %zu bytes read from the %s mouse\n", ctx.args[0].c_str(), first.size(),
        session.session().presence().chipModel().c_str());
    return kOk;
}

} // namespace krm::ctl
