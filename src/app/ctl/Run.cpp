#include "app/ctl/Commands.h"
#include "app/ctl/Output.h"
#include "base/SimFault.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void printUsage(std::FILE* stream) {
    std::fprintf(stream,
                 "Usage: krmctl [options] COMMAND [ARGS]\n"
                 "Command-line companion of the KRM mouse configurator.\n\n"
                 "Options:\n"
                 "  --simulate[=R210B|R230B]  talk to the simulated mouse (default R210B)\n"
                 "  --sim-image FILE          the simulated mouse keeps its image in FILE (given again:\n"
                 "                            one more simulated mouse each)\n"
                 "%s"
                 "                            (--sim-image and --sim-fault imply --simulate)\n"
                 "  --trace FILE              append every report to FILE (also KRM_TRACE)\n"
                 "  --ids VID:PID             also look for a mouse given these USB ids (hex)\n"
                 "  --device ID|NODE|N        the mouse to talk to when several are attached (see list)\n"
                 "  --help, --version\n\n"
                 "Commands:\n",
                 krm::kSimFaultHelp);
    for (const auto& c : krm::ctl::commands()) {
        std::string head = c.name;
        if (*c.synopsis) head += std::string(" ") + c.synopsis;
        if (head.size() <= 36)
            std::fprintf(stream, "  %-36s  %s\n", head.c_str(), c.summary);
        else
            std::fprintf(stream, "  %s\n  %-36s  %s\n", head.c_str(), "", c.summary);
    }
    std::fprintf(stream,
                 "\nWith --simulate, 'monitor --sim-events 01,00,08,00' makes the simulated mouse press and\n"
                 "release its buttons, one event every 400 ms (01 CPI, 02 CPI+, 04 CPI-, 08 profile,\n"
                 "00 release).\n"
                 "load, restore and program end once the mouse has restarted and been read again\n"
                 "(some seconds). assign keeps at least one Left Click on profile 1 (and a Left Click\n"
                 "or the Fire Macro Key on profiles 2 and 3) and refuses a change that would not.\n"
                 "A settings file (export, diff, apply) holds one setting a line, in sections [mouse],\n"
                 "[performance], [profile.1] .. [profile.3], [combo-keys], [lighting], [macros] and\n"
                 "[fire]; apply checks the whole file first and writes only what differs.\n"
                 "Exit codes: 0 done, 1 diff: the mouse differs from the file, 2 no mouse or a wrong\n"
                 "identification, 3 a file problem, 4 a change refused, 5 the mouse did not take or\n"
                 "give all of the data (the message says what was and was not written), 6 another\n"
                 "program kept the mouse for as long as krmctl waited for it, 64 bad usage (an unknown\n"
                 "command or option, missing or extra arguments, a bad value).\n"
                 "When the window or the background companion has the mouse, krmctl asks it to carry out\n"
                 "the command (on the session bus); otherwise it waits its turn behind another krmctl.\n");
}

} // namespace

namespace krm::ctl {

int run(int argc, const char* const* argv, Clock* clock, OwnerLink* owner) {
    krm::ctl::Context ctx;
    ctx.clock = clock;
    ctx.owner = owner;
    ctx.options = krm::parseGlobalOptions(argc, argv, false);
    if (!ctx.options.error.empty()) {
        err("krmctl: %s\n", ctx.options.error.c_str());
        return krm::ctl::kUsage;
    }
    if (ctx.options.version) {
        out("krmctl %s\n", KRM_VERSION);
        return krm::ctl::kOk;
    }
    if (ctx.options.help) {
        printUsage(krm::ctl::outStream());
        return krm::ctl::kOk;
    }
    if (ctx.options.rest.empty()) {
        printUsage(krm::ctl::errStream());
        return krm::ctl::kUsage;
    }
    const std::string name = ctx.options.rest.front();
    ctx.args.assign(ctx.options.rest.begin() + 1, ctx.options.rest.end());
    for (const auto& c : krm::ctl::commands()) {
        if (name != c.name) continue;
        ctx.command = &c;
        const int rc = c.run(ctx);
        if (ctx.ownersCode) return *ctx.ownersCode;
        if (ctx.simImageFailure) {
            err("krmctl: %s\n", ctx.simImageFailure->c_str());
            return krm::ctl::kBadFile;
        }
        if (!ctx.traceFailure) return rc;
        err("krmctl: %s\n", ctx.traceFailure->c_str());
        return rc == krm::ctl::kOk ? krm::ctl::kBadFile : rc;
    }
    err("krmctl: unknown command '%s'\n\n", name.c_str());
    printUsage(krm::ctl::errStream());
    return krm::ctl::kUsage;
}

ClientRun runForClient(Session& session, const std::vector<std::string>& args, const std::string& cwd,
                       const std::function<void(UiPort*)>& divert, Clock* clock) {
    ClientRun result;
    OutputCapture capture;
    const auto finish = [&](int code) {
        result.code = code;
        result.out = capture.out();
        result.err = capture.err();
        return result;
    };
    const Command* command = nullptr;
    for (const auto& c : commands())
        if (!args.empty() && args.front() == c.name) command = &c;
    if (!command || command->runsHere) {
        err("krmctl: %s\n", command ? ("'" + args.front() + "' runs in krmctl itself").c_str()
                                    : "the program that has the mouse carries out krmctl's commands only");
        return finish(kUsage);
    }
    // The client's file names are the client's: relative ones are taken from its folder.
    const int here = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (here < 0 || ::chdir(cwd.c_str()) != 0) {
        err("krmctl: %s: the folder krmctl runs in cannot be reached by the program that has the mouse\n",
            cwd.c_str());
        if (here >= 0) ::close(here);
        return finish(kBadFile);
    }
    Context ctx;
    ctx.clock = clock;
    ctx.attached = &session;
    ctx.divertMessages = divert;
    ctx.command = command;
    ctx.args.assign(args.begin() + 1, args.end());
    const int code = command->run(ctx);
    if (::fchdir(here) != 0) err("krmctl: could not return to the program's own folder\n");
    ::close(here);
    return finish(code);
}

} // namespace krm::ctl
