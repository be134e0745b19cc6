// krmctl serve-rgb [--port N] [--address A]: the mouse's lighting served to RGB programs over their SDK
// protocol, in a terminal: the same server the window and the background companion run.

#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "app/ctl/StopSignals.h"
#include "base/IniFile.h"
#include "rgb/RgbSockets.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace krm::ctl {

int runServeRgb(Context& ctx) {
    std::string address = "127.0.0.1";
    int port = rgb::kDefaultPort;
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& a = ctx.args[i];
        const bool valued = i + 1 < ctx.args.size();
        std::optional<int> number;
        if (a == "--port" && valued && (number = parseDecimalIn(ctx.args[i + 1], 0, 65535))) {
            port = *number;
            ++i;
        } else if (a == "--address" && valued) {
            address = ctx.args[++i];
        } else {
            err("krmctl: serve-rgb takes [--port 0..65535] [--address A], not '%s'\n", a.c_str());
            return kUsage;
        }
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    Session& s = session.session();
    Clock& clock = session.clock();

    auto log = [](const std::string& line) {
        err("krmctl: %s\n", line.c_str());
        std::fflush(errStream());
    };
    rgb::SessionMice mice(s);
    rgb::RgbServer server(mice, clock, log);
    rgb::RgbSockets sockets(server, log);
    std::string error;
    if (!sockets.listen(address, static_cast<std::uint16_t>(port), error)) {
        err("krmctl: serve-rgb: %s\n", error.c_str());
        return kUsage;
    }
    out("Serving the mouse's lighting to RGB programs on %s port %u; Ctrl-C ends.\n", address.c_str(),
        sockets.port());
    flushOut();

    // The presence poll finds the mouse, and finds it again after a replug, as the window's does.
    const StopSignals stop;
    std::uint64_t nextPresence = clock.tickMs();
    while (!stop.requested()) {
        if (clock.tickMs() >= nextPresence) {
            s.presence().poll();
            nextPresence = clock.tickMs() + DevicePresence::kPollIntervalMs;
        }
        std::uint64_t wake = nextPresence;
        if (const auto due = server.nextDueMs()) wake = std::min(wake, *due);
        const std::uint64_t now = clock.tickMs();
        sockets.pollOnce(static_cast<int>(wake > now ? wake - now : 0));
        server.run();
        sockets.flush();
    }
    return kOk;
}

} // namespace krm::ctl
