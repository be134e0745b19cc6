#pragma once

#include "companion/ProfileRules.h"
#include "companion/ProgramSource.h"
#include "device/Clock.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace krm {

// The mouse's current profile, as the watcher reads and switches it.
class ProfileSwitch {
public:
    virtual ~ProfileSwitch() = default;
    // The mouse's current profile (1..3); nothing while no mouse is read.
    virtual std::optional<int> current() const = 0;
    // Makes `profile` current with the writes of the window's profile buttons; false when the mouse did
    // not take all of them.
    virtual bool select(int profile) = 0;
};

// What the watcher decided, for the log.
struct WatchDecision {
    enum class Kind {
        Switched,     // the profile was written
        Failed,       // the mouse did not take the writes; tried again at the next decision
        NoMouse,      // no mouse to write to; tried again when one is read
        Current,      // the mouse has that profile already
        Held,         // a profile chosen by hand in the last minute is kept; decided again when it ends
        ChosenByHand, // the user chose `profile` (the window, the tray, the mouse's own button)
    };
    Kind kind = Kind::Switched;
    int profile = 1;
    std::string program; // file name of the program whose rule chose the profile; empty: the default
    int pid = 0;
    std::string rule;         // that rule's pattern
    std::uint64_t heldMs = 0; // Held: how much longer the hand choice is kept
};

// One line for the log: "hl2_linux (pid 4242, rule 'hl2_*'): profile 2 written" ("would be written" in a
// dry run).
std::string describe(const WatchDecision& decision, bool dryRun = false);

// Per-game profile switching. The rules pick a profile for the programs of the source (the focused
// one, or every running one; the default profile when no rule matches). A profile is acted on once it
// has been wanted for kSettleMs (kRulesSettleMs when an edit of the rules file changed it), so passing
// through a window switches nothing; a profile the user chose
// by hand is kept for kHandHoldMs, and what became wanted meanwhile is acted on when that time ends.
// The watcher starts from the default profile without writing it: it writes when what is wanted
// changes. Runs on one thread; the caller calls update() after the source's events and at
// nextUpdateMs().
class ProfileWatcher {
public:
    static constexpr std::uint64_t kSettleMs = 1000;
    // A profile the rules file wants after an edit (the focus held) settles only this long: long
    // enough for an editor's save to end, short enough that the edit takes effect within a second.
    static constexpr std::uint64_t kRulesSettleMs = 250;
    static constexpr std::uint64_t kHandHoldMs = 60000;

    ProfileWatcher(RulesFile& rules, ProgramSource& source, ProfileSwitch& mouse, Clock& clock)
        : rules_(rules), source_(source), mouse_(mouse), clock_(clock) {}

    // Reads the rules file again when it changed, asks the source (only while there are rules) and
    // decides what is due.
    void update();
    // When update() must run next at the latest, in the clock's ms; nothing: only after the source's
    // events.
    std::optional<std::uint64_t> nextUpdateMs() const;
    // The user made `profile` current by hand.
    void chosenByHand(int profile);
    // A mouse was found and read: a write that could not be made is made at the next update(), which is
    // due at once.
    void mouseFound();

    // The profile the rules want now (before the settling time has passed).
    int wantedProfile() const { return wanted_.profile; }
    RulesFile& rules() { return rules_; }
    ProgramSource& source() { return source_; }

    std::function<void(const WatchDecision&)> decided;
    // The rules file was read (again): what it holds may have changed.
    std::function<void()> rulesRead;

private:
    struct Target {
        int profile = 1;
        std::string program;
        int pid = 0;
        std::string rule;
    };
    Target targetNow();
    bool holding(std::uint64_t now) const { return handAt_ && now - *handAt_ < kHandHoldMs; }
    void decide(std::uint64_t now);
    void report(WatchDecision::Kind kind, const Target& target, std::uint64_t heldMs = 0);

    RulesFile& rules_;
    ProgramSource& source_;
    ProfileSwitch& mouse_;
    Clock& clock_;
    bool started_ = false;
    Target wanted_; // what the rules want now
    std::uint64_t wantedSince_ = 0;
    std::uint64_t settleMs_ = kSettleMs; // how long wanted_ must hold: kRulesSettleMs after an edit
    Target settled_;                     // what was last wanted long enough to act on
    std::optional<std::uint64_t> handAt_;
    bool pendingAfterHand_ = false; // settled_ changed while a hand choice was kept
    bool retry_ = false;            // the last decision could not be written
    bool retryDue_ = false;         // ... and a mouse was read since
    std::uint64_t lastUpdate_ = 0;
};

} // namespace krm
