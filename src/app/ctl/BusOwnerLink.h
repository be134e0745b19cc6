#pragma once

#include "app/ctl/Commands.h"

namespace krm::ctl {

// The owner of a mouse as krmctl reaches it: the program that holds the bus name io.krm.krmconfig and
// serves that mouse (libdbus; nothing is started on the bus for it). The connection is made at the
// first call.
class BusOwnerLink final : public OwnerLink {
public:
    ~BusOwnerLink() override;
    std::optional<ClientRun> run(const std::string& node, const std::vector<std::string>& args,
                                 const std::string& cwd, std::string& why) override;

    // How long a command may take in the owner (a restart, a queue behind another client's).
    static constexpr int kReplyWaitMs = 120000;
    // When krmctl says that it is waiting.
    static constexpr int kSayWaitingMs = 2000;

private:
    struct Connection;
    Connection* connection_ = nullptr;
};

} // namespace krm::ctl
