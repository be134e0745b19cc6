#include "app/ctl/Commands.h"

namespace krm::ctl {

int runFunctions(Context& ctx);

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"functions", "[--combo]", "list the button functions with the codes they build", runFunctions},
    };
    return table;
}

} // namespace krm::ctl
