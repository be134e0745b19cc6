#include "app/ctl/Commands.h"

#include "app/ctl/LinkCommands.h"

namespace krm::ctl {

int runFunctions(Context& ctx);
int runInspect(Context& ctx);

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"list", "", "every HID interface; * marks the mouse", runList},
        {"info", "", "identify the mouse: variant, ids, chip code", runInfo},
        {"read-image", "FILE", "read the mouse's 2048-byte image into FILE", runReadImage},
        {"monitor", "[--count N] [--sim-events CODES]", "print the button events as they arrive", runMonitor},
        {"inspect", "FILE [--variant V] [--json]", "decode a profile file (V: R210B or R230B)", runInspect},
        {"functions", "[--combo]", "list the button functions with the codes they build", runFunctions},
    };
    return table;
}

} // namespace krm::ctl
