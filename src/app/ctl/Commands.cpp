#include "app/ctl/Commands.h"

#include "app/ctl/LinkCommands.h"

namespace krm::ctl {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"list", "", "every HID interface; * marks the mouse", runList},
        {"info", "", "identify the mouse: variant, ids, chip code", runInfo},
        {"read-image", "FILE", "read the mouse's 2048-byte image into FILE", runReadImage},
        {"monitor", "[--count N] [--sim-events CODES]", "print the button events as they arrive", runMonitor},
    };
    return table;
}

} // namespace krm::ctl
