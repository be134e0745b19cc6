#include "companion/ProfileWatcher.h"

#include "base/PrintableText.h"

#include <algorithm>

namespace krm {

std::string describe(const WatchDecision& d, bool dryRun) {
    // A program's name and a rule's pattern may hold anything: escaped for the terminal.
    std::string who = d.program.empty() ? std::string("no rule matches")
                                        : printable(d.program) + " (pid " + std::to_string(d.pid) +
                                              ", rule '" + printable(d.rule) + "')";
    const std::string profile =
        (d.program.empty() ? "default profile " : "profile ") + std::to_string(d.profile);
    switch (d.kind) {
    case WatchDecision::Kind::Switched:
        return who + ": " + profile + (dryRun ? " would be written" : " written");
    case WatchDecision::Kind::Failed:
        return who + ": " + profile +
               " not written, the mouse did not take every write (tried again at "
               "the next decision)";
    case WatchDecision::Kind::NoMouse:
        return who + ": " + profile + " not written, no mouse (written when one is found)";
    case WatchDecision::Kind::Current:
        return who + ": " + profile + " is current already";
    case WatchDecision::Kind::Held:
        return who + ": " + profile + " waits, a profile chosen by hand is kept " +
               std::to_string((d.heldMs + 999) / 1000) + " s more";
    case WatchDecision::Kind::ChosenByHand:
        return "profile " + std::to_string(d.profile) + " chosen by hand: kept for a minute";
    }
    return who;
}

ProfileWatcher::Target ProfileWatcher::targetNow() {
    const ProfileRules& rules = rules_.rules();
    Target t;
    t.profile = rules.defaultProfile();
    if (rules.empty()) return t;
    const auto programs = source_.programs();
    if (auto m = rules.match(programs)) {
        const ProfileRule& rule = rules.rules()[m->rule];
        t = {rule.profile, m->program.name().empty() ? m->program.argv0 : m->program.name(), m->program.pid,
             rule.pattern};
    }
    return t;
}

void ProfileWatcher::update() {
    const std::uint64_t now = clock_.tickMs();
    lastUpdate_ = now;
    const bool reread = rules_.refresh();
    if (reread && rulesRead) rulesRead();
    Target t = targetNow();
    // An edit read whole; not the first read, nor a file gone (which may be replaced in a moment).
    const bool edited = reread && started_ && rules_.read();
    if (!started_) {
        started_ = true;
        settled_ = {rules_.rules().defaultProfile(), {}, 0, {}};
        wanted_ = settled_;
        wantedSince_ = now;
    }
    if (t.profile != wanted_.profile) {
        wantedSince_ = now;
        // An edit of the rules is no window passed through on the way to another.
        settleMs_ = edited ? kRulesSettleMs : kSettleMs;
    }
    wanted_ = std::move(t);
    if (wanted_.profile != settled_.profile && now - wantedSince_ >= settleMs_) {
        settled_ = wanted_;
        decide(now);
    }
    if (pendingAfterHand_ && !holding(now)) {
        pendingAfterHand_ = false;
        decide(now);
    }
    if (retryDue_) {
        retryDue_ = false;
        if (retry_) decide(now);
    }
}

std::optional<std::uint64_t> ProfileWatcher::nextUpdateMs() const {
    std::optional<std::uint64_t> next;
    auto atMost = [&next](std::uint64_t at) { next = next ? std::min(*next, at) : at; };
    if (started_ && wanted_.profile != settled_.profile) atMost(wantedSince_ + settleMs_);
    if (pendingAfterHand_ && handAt_) atMost(*handAt_ + kHandHoldMs);
    if (retryDue_) atMost(lastUpdate_);
    if (const int interval = source_.pollIntervalMs(); interval > 0)
        atMost(lastUpdate_ + static_cast<std::uint64_t>(interval));
    return next;
}

void ProfileWatcher::decide(std::uint64_t now) {
    if (holding(now)) {
        pendingAfterHand_ = true;
        report(WatchDecision::Kind::Held, settled_, *handAt_ + kHandHoldMs - now);
        return;
    }
    const auto current = mouse_.current();
    if (!current) {
        retry_ = true;
        report(WatchDecision::Kind::NoMouse, settled_);
        return;
    }
    if (*current == settled_.profile) {
        retry_ = false;
        report(WatchDecision::Kind::Current, settled_);
        return;
    }
    const bool written = mouse_.select(settled_.profile);
    retry_ = !written;
    report(written ? WatchDecision::Kind::Switched : WatchDecision::Kind::Failed, settled_);
}

void ProfileWatcher::chosenByHand(int profile) {
    handAt_ = clock_.tickMs();
    // What the rules want at this moment is what the user chose over: only a later change is acted on.
    if (started_) settled_ = wanted_;
    pendingAfterHand_ = false;
    retry_ = retryDue_ = false;
    report(WatchDecision::Kind::ChosenByHand, {profile, {}, 0, {}});
}

void ProfileWatcher::mouseFound() {
    retryDue_ = retry_;
}

void ProfileWatcher::report(WatchDecision::Kind kind, const Target& target, std::uint64_t heldMs) {
    if (decided) decided({kind, target.profile, target.program, target.pid, target.rule, heldMs});
}

} // namespace krm
