#include "app/ctl/CtlSession.h"
#include "app/ctl/LinkCommands.h"
#include "app/ctl/Output.h"
#include "app/ctl/StopSignals.h"
#include "base/IniFile.h"
#include "device/InputReader.h"
#include "device/ProtocolTrace.h"
#include "device/SimulatedMouse.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace krm::ctl {

namespace {

constexpr auto kSimEventSpacing = std::chrono::milliseconds(400);

std::string eventName(std::uint8_t code) {
    switch (code) {
    case 0x00:
        return "released";
    case 0x01:
        return "CPI pressed";
    case 0x02:
        return "CPI+ pressed";
    case 0x04:
        return "CPI- pressed";
    case 0x08:
        return "profile pressed";
    }
    char text[32];
    std::snprintf(text, sizeof text, "event %02x", code);
    return text;
}

// "01,00,08,00" -> {1, 0, 8, 0}
std::optional<std::vector<std::uint8_t>> parseCodes(const std::string& text) {
    std::vector<std::uint8_t> codes;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        if (item.empty() || item.size() > 2 ||
            item.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        codes.push_back(static_cast<std::uint8_t>(std::stoul(item, nullptr, 16)));
        at = comma + 1;
    }
    return codes;
}

struct MonitorArgs {
    long count = 0; // 0: until interrupted
    std::optional<std::vector<std::uint8_t>> simEvents;
};

bool parseArgs(const std::vector<std::string>& args, MonitorArgs& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            err("krmctl: monitor: %s needs a value\n", name.c_str());
            return false;
        }
        if (name == "--count") {
            const auto n = parseDecimal(value);
            if (!n || *n < 1) {
                err("krmctl: monitor: --count takes a number of events of at least 1, not '%s'\n",
                    value.c_str());
                return false;
            }
            parsed.count = *n;
        } else if (name == "--sim-events") {
            parsed.simEvents = parseCodes(value);
            if (!parsed.simEvents) {
                err("krmctl: monitor: --sim-events takes hex event codes separated by commas, "
                    "e.g. 01,00,08,00, not '%s'\n",
                    value.c_str());
                return false;
            }
        } else {
            err("krmctl: monitor: unknown argument '%s'\n", name.c_str());
            return false;
        }
    }
    return true;
}

// The events of a mouse another of our programs holds, as its owner tells them on the bus.
int monitorThroughOwner(OwnerLink& owner, const MonitorArgs& args) {
    using Kind = OwnerLink::MouseEvent::Kind;
    out("Watching the mouse's button events through the program that has it%s.\n",
        args.count > 0 ? "" : "; Ctrl-C ends");
    flushOut();
    const StopSignals stop;
    long seen = 0;
    while (!stop.requested() && (args.count == 0 || seen < args.count)) {
        for (const auto& e : owner.events(100)) {
            switch (e.kind) {
            case Kind::Button:
                out("  %s\n", eventName(static_cast<std::uint8_t>(e.value)).c_str());
                ++seen;
                break;
            case Kind::Profile:
                out("  current profile: %d\n", e.value);
                break;
            case Kind::DpiLevel:
                out("  current CPI level: %d\n", e.value);
                break;
            case Kind::Ready:
                if (!e.value) out("  the mouse is being read again\n");
                break;
            case Kind::OwnerGone:
                flushOut();
                err("krmctl: monitor: the program that had the mouse has ended; stopped watching.\n");
                return kNoMouse;
            }
            if (args.count > 0 && seen >= args.count) break;
        }
        flushOut();
    }
    return kOk;
}

} // namespace

int runMonitor(Context& ctx) {
    MonitorArgs args;
    if (!parseArgs(ctx.args, args)) return kUsage;
    if (args.simEvents && !ctx.options.simulate) {
        err("krmctl: monitor: --sim-events needs the simulated mouse (--simulate)\n");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    // Another of our programs has the mouse: its owner tells what it reads.
    if (ctx.owner && !args.simEvents) {
        std::string why;
        if (const auto node = session.heldNode(); node && ctx.owner->listen(*node, why))
            return monitorThroughOwner(*ctx.owner, args);
    }
    if (int rc = session.connect(); rc != kOk) return rc;

    std::mutex m;
    std::condition_variable cv;
    long seen = 0;
    bool done = false;

    // The session handles the events as the window does and tells this observer what the mouse switched to.
    struct Printer final : SessionObserver {
        void dpiLevelChangedByMouse(int level) override { out("  current CPI level: %d\n", level); }
        void profileChangedByMouse(int profile) override { out("  current profile: %d\n", profile); }
        void mouseSwitchUnread(Indicator which) override {
            out("  current %s: could not be read back\n",
                which == Indicator::ProfileTest ? "profile" : "CPI level");
        }
    } printer;
    Session& s = session.session();
    s.addObserver(&printer);

    DeviceLink& link = s.link();
    InputReader reader(
        session.backend(),
        [&link] {
            return InputReader::Source{link.inputHandle(), link.inputReportLength()};
        },
        [&](std::span<const std::uint8_t> report) {
            if (report.size() < 4 || report[0] != 0x42) return;
            out("%s  %s\n", traceHex(report).c_str(), eventName(report[3]).c_str());
            flushOut();
            s.buttonEvents().onInputReport(report);
            flushOut();
            std::lock_guard lock(m);
            if (args.count > 0 && ++seen >= args.count) done = true;
            cv.notify_all();
        });

    out("Watching the %s mouse's button events%s.\n", s.presence().chipModel().c_str(),
        args.count > 0 ? "" : "; Ctrl-C ends");
    const bool eventsFault = std::any_of(ctx.options.simFaults.begin(), ctx.options.simFaults.end(),
                                         [](const SimFault& f) { return f.kind == SimFault::Kind::Events; });
    if (session.simulated() && !args.simEvents && !eventsFault)
        out("The simulated mouse raises events only when asked: add --sim-events 01,00,08,00\n"
            "(or --sim-fault events).\n");
    flushOut();
    // Counted before the first event can arrive: the re-read an event starts may already meet a mouse
    // that has left.
    const int present = link.countHidInterfaces();
    const StopSignals stop;
    reader.start();

    // The simulated mouse presses its buttons when asked to, one event every 400 ms.
    std::thread presser;
    if (args.simEvents && session.simulated()) {
        presser = std::thread([&] {
            for (std::uint8_t code : *args.simEvents) {
                std::unique_lock lock(m);
                if (cv.wait_for(lock, kSimEventSpacing, [&] { return done || stop.requested(); })) return;
                lock.unlock();
                session.simulated()->raiseButtonEvent(code);
            }
        });
    }
    // The mouse leaving (unplugged, or gone from the bus) ends the watch: nothing more will come.
    bool gone = false;
    {
        std::unique_lock lock(m);
        while (!done && !stop.requested()) {
            cv.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            gone = link.countHidInterfaces() < present;
            lock.lock();
            if (gone) break;
        }
        done = true;
        cv.notify_all();
    }
    if (presser.joinable()) presser.join();
    reader.stop();
    s.removeObserver(&printer);
    flushOut();
    if (gone) {
        err("krmctl: monitor: the mouse went away (unplugged or gone from the bus); stopped "
            "watching.\n");
        return kNoMouse;
    }
    return kOk;
}

} // namespace krm::ctl
