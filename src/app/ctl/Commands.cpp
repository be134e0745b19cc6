#include "app/ctl/Commands.h"

namespace krm::ctl {

int runFunctions(Context& ctx);
int runInspect(Context& ctx);

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"inspect", "FILE [--variant V] [--json]", "decode a profile file (V: R210B or R230B)", runInspect},
        {"functions", "[--combo]", "list the button functions with the codes they build", runFunctions},
    };
    return table;
}

} // namespace krm::ctl
