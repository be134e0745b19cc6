// krmctl inspect FILE [--variant R210B|R230B] [--json]: decode a profile file without a mouse.

#include "app/ctl/Commands.h"
#include "app/ctl/Output.h"

#include "image/ImageDump.h"
#include "image/ImageFiles.h"

#include <cstdio>
#include <string>

namespace krm::ctl {

int runInspect(Context& ctx) {
    std::string path;
    Variant variant = Variant::R210B;
    bool json = false;
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& a = ctx.args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--variant" || a.rfind("--variant=", 0) == 0) {
            std::string name;
            if (a == "--variant") {
                if (i + 1 >= ctx.args.size()) {
                    err("krmctl inspect: --variant needs R210B or R230B\n");
                    return kUsage;
                }
                name = ctx.args[++i];
            } else {
                name = a.substr(10);
            }
            auto v = variantFromName(name);
            if (!v) {
                err("krmctl inspect: unknown variant '%s' (R210B or R230B)\n", name.c_str());
                return kUsage;
            }
            variant = *v;
        } else if (path.empty() && (a.empty() || a[0] != '-' || a == "-")) {
            path = a;
        } else {
            err("krmctl inspect: unexpected argument '%s'\n", a.c_str());
            return kUsage;
        }
    }
    if (path.empty()) {
        err("krmctl inspect: FILE is missing\n");
        return kUsage;
    }

    const auto dump = dumpProfileFile(path, variant, json);
    if (!dump) {
        err("krmctl inspect: %s\n", dump.error.message.c_str());
        if (dump.error.kind == FileErrorKind::TooShort || dump.error.kind == FileErrorKind::BadMarker)
            err("krmctl inspect: \"%s\" is not a 2048-byte profile file with the marker E0 at 495\n",
                path.c_str());
        return kBadFile;
    }
    out("%s", dump.value->c_str());
    return kOk;
}

} // namespace krm::ctl
