#pragma once

#include "companion/ProfileRules.h"

#include <memory>
#include <string>
#include <vector>

namespace krm {

class ProcessTable;

// Where the watcher learns which programs its rules look at: the focused window's program (X11) or
// every running program (elsewhere).
class ProgramSource {
public:
    virtual ~ProgramSource() = default;
    // What is watched, for the log ("the focused window (X11)").
    virtual std::string description() const = 0;
    // The programs whose rules count now.
    virtual std::vector<ProgramInfo> programs() = 0;
    // A descriptor that turns readable when programs() may have changed; -1 when the source has none
    // and is asked again every pollIntervalMs() instead.
    virtual int eventDescriptor() const { return -1; }
    // Takes what made the descriptor readable; true when programs() may have changed.
    virtual bool takeEvents() { return false; }
    // How often the source is asked without an event, in ms; 0: only on its events.
    virtual int pollIntervalMs() const { return 0; }
    // What the source watches went away (the X server of the session that ended).
    virtual bool lost() const { return false; }
};

// The source for this session: the focused window when an X11 session's display answers, otherwise
// (Wayland, no display) the running programs. `why` says which, and why not X11 when it is not.
std::unique_ptr<ProgramSource> makeProgramSource(const ProcessTable& processes, std::string& why);

} // namespace krm
