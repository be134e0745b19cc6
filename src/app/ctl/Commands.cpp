#include "app/ctl/Commands.h"

namespace krm::ctl {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {};
    return table;
}

} // namespace krm::ctl
