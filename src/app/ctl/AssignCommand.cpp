// krmctl assign PROFILE BUTTON CODE: a main-page button gets a code, under the left-button rule.

#include "app/ctl/CtlSession.h"
#include "app/ctl/ImageCommands.h"
#include "app/ctl/Output.h"
#include "base/IniFile.h"
#include "image/FunctionCode.h"
#include "session/MainPageCode.h"

#include <cstdio>
#include <string>

namespace krm::ctl {

int runAssign(Context& ctx) {
    if (ctx.args.size() != 3) {
        err("krmctl: assign takes PROFILE (1..3), BUTTON (1..12) and CODE (8 hex digits)\n");
        return kUsage;
    }
    const auto profile = parseDecimalIn(ctx.args[0], 1, 3);
    const auto button = parseDecimalIn(ctx.args[1], 1, 12);
    const auto bytes = parseCodeText(ctx.args[2]);
    if (!profile || !button || !bytes) {
        err("krmctl: assign: PROFILE is 1..3, BUTTON 1..12 and CODE 8 hex digits (e.g. 01040000), "
            "not '%s %s %s'\n",
            ctx.args[0].c_str(), ctx.args[1].c_str(), ctx.args[2].c_str());
        return kUsage;
    }
    const std::string code = codeText(*bytes);

    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.connectToEdit("assign"); rc != kOk) return rc;
    Session& s = session.session();
    const EditOutcome outcome = assignMainPageCode(s, *profile, *button, code);
    if (outcome.refused) {
        err("krmctl: assign: %s; profile %d button %d keeps %s, nothing was sent\n",
            outcome.message.value_or("refused").c_str(), *profile, *button,
            s.assignments().code(*profile, *button).c_str());
        return kRefused;
    }
    if (int rc = outcomeCode("assign", outcome); rc != kOk) return rc;
    const std::string name = s.assignments().tableCaption(*profile, *button);
    out("profile %d button %d: %s%s%s%s\n", *profile, *button, code.c_str(), name.empty() ? "" : " (",
        name.c_str(), name.empty() ? "" : ")");
    return kOk;
}

} // namespace krm::ctl
