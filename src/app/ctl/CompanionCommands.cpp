// krmctl profile and watch: the current profile, switched with the writes of the window's profile
// buttons, and the per-game watcher in a terminal.

#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "app/ctl/StopSignals.h"
#include "base/IniFile.h"
#include "companion/Processes.h"
#include "companion/ProfileWatcher.h"
#include "companion/SessionProfiles.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <string>

namespace krm::ctl {

namespace {

void printCurrent(Session& s) {
    const int profile = s.mouseProfile();
    out("Profile %d (%s) is current.\n", profile, profileName(s.texts(), profile).c_str());
}

// What the watcher would write, without writing: the mouse's profile as the decisions leave it.
class DryRunSwitch final : public ProfileSwitch {
public:
    explicit DryRunSwitch(const ProfileSwitch& mouse) : mouse_(mouse) {}
    std::optional<int> current() const override {
        if (chosen_) return chosen_;
        return mouse_.current().value_or(0); // without a mouse every decision would write
    }
    bool select(int profile) override {
        chosen_ = profile;
        return true;
    }

private:
    const ProfileSwitch& mouse_;
    std::optional<int> chosen_;
};

void stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    out("%s  ", text);
}

void printRules(const RulesFile& file) {
    const ProfileRules& rules = file.rules();
    if (!file.error().empty()) {
        // What is wrong goes with the errors; the rules read before stay in force.
        flushOut();
        err("krmctl: watch: %s\n", file.error().c_str());
        return;
    }
    stamp();
    if (rules.empty())
        out("rules: none in %s (it is read again when it changes)\n", file.path().c_str());
    else
        out("rules: %zu from %s, default profile %d\n", rules.rules().size(), file.path().c_str(),
            rules.defaultProfile());
    for (const auto& problem : rules.problems()) out("  %s: %s\n", file.path().c_str(), problem.c_str());
    flushOut();
}

// The mouse as the watch reports it: found and read, or gone.
struct MouseReport final : SessionObserver {
    explicit MouseReport(Session& s) : session(s) {}
    void imageRead() override {
        stamp();
        out("the %s mouse was read; profile %d is current\n", session.presence().chipModel().c_str(),
            session.mouseProfile());
        flushOut();
    }
    void pagesReset() override {
        stamp();
        out("no mouse: waiting for one\n");
        flushOut();
    }
    Session& session;
};

// The mouse as another of our programs serves it: read and switched by `krmctl profile` carried out
// there, and its changes taken from the owner's signals.
class OwnerProfileSwitch final : public ProfileSwitch {
public:
    OwnerProfileSwitch(OwnerLink& owner, std::string node) : owner_(owner), node_(std::move(node)) {}
    std::optional<int> current() const override { return current_; }
    bool select(int profile) override { return ask({"profile", std::to_string(profile)}); }
    // Asks the owner for the current profile; false when it could not say.
    bool read() { return ask({"profile"}); }
    // The owner says `profile` is current: true when that is news (not this switch's own write).
    bool changedTo(int profile) {
        const bool news = current_ != profile;
        current_ = profile;
        return news;
    }

private:
    bool ask(const std::vector<std::string>& args) {
        std::string why;
        const auto done = owner_.run(node_, args, currentFolder(), why);
        int profile = 0;
        if (!done || done->code != kOk || std::sscanf(done->out.c_str(), "Profile %d", &profile) != 1)
            return false;
        current_ = profile;
        return true;
    }

    OwnerLink& owner_;
    const std::string node_;
    std::optional<int> current_;
};

// The watch's log: decisions, the rules as read, and the start.
void logWatcher(ProfileWatcher& watcher, RulesFile& rules, bool dryRun, const ProgramSource& source,
                const std::string& why, const char* through) {
    watcher.decided = [dryRun](const WatchDecision& d) {
        stamp();
        out("%s\n", describe(d, dryRun).c_str());
        flushOut();
    };
    watcher.rulesRead = [&rules] { printRules(rules); };
    out("Watching %s%s%s; Ctrl-C ends.\n(%s)\n", source.description().c_str(), through,
        dryRun ? ", writing nothing (dry run)" : "", why.c_str());
    printRules(rules); // read at the start; the watcher's first update finds it unchanged
    flushOut();
}

// Waits up to `ms` for the source's events and the rules file's changes; true when either came (a
// descriptor of -1 is passed over by poll).
bool waitForChanges(ProgramSource& source, RulesFile& rules, int ms) {
    pollfd p[2] = {{source.eventDescriptor(), POLLIN, 0}, {rules.changeDescriptor(), POLLIN, 0}};
    if (::poll(p, 2, ms) <= 0) return false;
    bool woken = (p[0].revents & POLLIN) && source.takeEvents();
    if ((p[1].revents & POLLIN) && rules.takeChanges()) woken = true;
    return woken;
}

constexpr int kOwnerGone = -2;

// The watch while another of our programs has the mouse: its profile is switched there. kOwnerGone
// when that program ends (the mouse is free to be opened here).
int watchThroughOwner(OwnerLink& owner, const std::string& node, RulesFile& rules, bool dryRun,
                      Clock& clock) {
    using Kind = OwnerLink::MouseEvent::Kind;
    ProcessTable processes;
    std::string why;
    const auto source = makeProgramSource(processes, why);
    OwnerProfileSwitch mouse(owner, node);
    DryRunSwitch dry(mouse);
    ProfileWatcher watcher(rules, *source, dryRun ? static_cast<ProfileSwitch&>(dry) : mouse, clock);
    logWatcher(watcher, rules, dryRun, *source, why, " for the program that has the mouse");
    const auto found = [&] {
        if (!mouse.read()) return;
        stamp();
        out("the mouse is read; profile %d is current\n", *mouse.current());
        flushOut();
        watcher.mouseFound();
    };
    found();
    const StopSignals stop;
    bool woken = true;
    while (!stop.requested()) {
        for (const auto& e : owner.events(0)) {
            if (e.kind == Kind::OwnerGone) {
                stamp();
                out("the program that had the mouse has ended; watching on here\n");
                flushOut();
                return kOwnerGone;
            }
            if (e.kind == Kind::Profile && mouse.changedTo(e.value)) watcher.chosenByHand(e.value);
            if (e.kind == Kind::Ready && e.value) found();
        }
        const std::uint64_t now = clock.tickMs();
        const auto due = watcher.nextUpdateMs();
        if (woken || (due && *due <= now)) watcher.update();
        if (source->lost()) {
            stamp();
            out("%s went away; stopped watching\n", source->description().c_str());
            break;
        }
        // The owner's signals are looked at every tenth of a second.
        std::uint64_t wait = 100;
        if (const auto next = watcher.nextUpdateMs()) wait = std::min(wait, *next > now ? *next - now : 0);
        woken = waitForChanges(*source, rules, static_cast<int>(wait));
    }
    flushOut();
    return kOk;
}

} // namespace

int runProfile(Context& ctx) {
    std::optional<int> wanted;
    if (ctx.args.size() > 1) {
        err("krmctl: profile takes nothing or one profile 1, 2 or 3, not also '%s'\n", ctx.args[1].c_str());
        return kUsage;
    }
    if (ctx.args.size() == 1 && !(wanted = parseDecimalIn(ctx.args[0], 1, 3))) {
        err("krmctl: profile takes nothing or a profile 1, 2 or 3, not '%s'\n", ctx.args[0].c_str());
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.connect(wanted ? "profile" : nullptr); rc != kOk) return rc;
    Session& s = session.session();
    if (wanted && !s.selectProfile(*wanted)) {
        err("krmctl: profile: the mouse did not take every write of profile %d: of its game settings "
            "(0xA7..0xAA) those before the refused write were written, nothing after it; the current "
            "profile (0xA4) was not written, so the mouse keeps its profile.\n",
            *wanted);
        return kTransfer;
    }
    printCurrent(s);
    return kOk;
}

int runWatch(Context& ctx) {
    std::string rulesPath = RulesFile::defaultPath();
    bool dryRun = false;
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& a = ctx.args[i];
        if (a == "--dry-run") {
            dryRun = true;
        } else if (a == "--rules" && i + 1 < ctx.args.size()) {
            rulesPath = ctx.args[++i];
        } else if (a.starts_with("--rules=") && a.size() > 8) {
            rulesPath = a.substr(8);
        } else {
            err("krmctl: watch takes [--rules FILE] [--dry-run], not '%s'\n", a.c_str());
            return kUsage;
        }
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    RulesFile rules(rulesPath);
    // A file that cannot be read at the start has given no rules to keep: nothing is watched.
    rules.refresh();
    if (!rules.error().empty()) {
        err("krmctl: watch: %s\n", rules.error().c_str());
        return kBadFile;
    }
    // Another of our programs has the mouse: the watch switches it there, until that program ends.
    if (ctx.owner) {
        std::string why;
        if (const auto node = session.heldNode(); node && ctx.owner->listen(*node, why)) {
            const int rc = watchThroughOwner(*ctx.owner, *node, rules, dryRun, session.clock());
            if (rc != kOwnerGone) return rc;
        }
    }
    if (int rc = session.pickMouse(dryRun ? nullptr : "watch"); rc != kOk) return rc;
    Session& s = session.session();

    ProcessTable processes;
    std::string why;
    const auto source = makeProgramSource(processes, why);
    SessionProfileSwitch mouse(s);
    DryRunSwitch dry(mouse);
    ProfileWatcher watcher(rules, *source, dryRun ? static_cast<ProfileSwitch&>(dry) : mouse,
                           session.clock());
    WatcherSessionLink link(s, watcher, mouse);
    MouseReport report(s);
    s.addObserver(&report);
    logWatcher(watcher, rules, dryRun, *source, why, "");

    // The mouse's own profile button is a choice by hand: its events are read as the window reads them.
    s.startInputReader();
    const StopSignals stop;
    Clock& clock = session.clock();
    std::uint64_t nextPresence = clock.tickMs();
    bool woken = true;
    bool reported = false; // whether a mouse is there was said after the first presence poll
    while (!stop.requested()) {
        // The reader thread hands the session its events through the console port, one at a time: the
        // watch takes its turn the same way.
        session.ui().runOnUiThread([&] {
            const std::uint64_t now = clock.tickMs();
            if (now >= nextPresence) {
                s.presence().poll();
                nextPresence = now + DevicePresence::kPollIntervalMs; // as the window's
            }
            const auto due = watcher.nextUpdateMs();
            if (woken || (due && *due <= now)) watcher.update();
        });
        if (!reported) {
            reported = true;
            if (!s.mouseOpen()) report.pagesReset();
        }
        if (source->lost()) {
            stamp();
            out("%s went away; stopped watching\n", source->description().c_str());
            break;
        }
        const std::uint64_t now = clock.tickMs();
        std::uint64_t wake = nextPresence;
        if (const auto due = watcher.nextUpdateMs()) wake = std::min(wake, *due);
        woken = waitForChanges(*source, rules, static_cast<int>(wake > now ? wake - now : 0));
    }
    s.stopInputReader();
    s.removeObserver(&report);
    flushOut();
    return kOk;
}

} // namespace krm::ctl
