#pragma once

#include "session/EditRequest.h"
#include "settings/SettingsText.h"

#include <optional>

#include <string>
#include <string_view>
#include <vector>

namespace krm {

class Session;

// The mouse's settings as a settings file holds them: every setting a user chooses on the pages and
// nothing factory-only (no USB ids, sensor registers or engineering options). Names are the English
// ones; a button whose code its function name does not rebuild exactly is written as its code, with
// the name in the comment.
SettingsFile readSettings(Session& session);

// The comment lines at the head of an exported file: the variant and LED type, the date given.
std::vector<std::string> settingsHeader(Session& session, std::string_view date);

// One setting the file would change, with the values as the file writes them ("-" where there is
// none). A macro's key is "slot N".
struct SettingChange {
    std::string section, key;
    std::string from, to;
    int line = 0;
};

// A settings file judged against the mouse of the session, before anything is written.
struct SettingsPlan {
    // Why the file cannot be applied, each on its line: the file's own problems, names that reach
    // nothing on this mouse, an LED type it lacks, and what a rule of the pages would refuse (a
    // profile left without its left button, a level that is off, macros that do not fit).
    std::vector<SettingsProblem> problems;
    // What differs from the mouse, in file order, the macros after the other settings.
    std::vector<SettingChange> changes;
    // The file with every setting's meaning resolved (the code a function name builds).
    SettingsFile wanted;
};
SettingsPlan planSettings(const SettingsFile& file, Session& session);

// How an apply ended.
struct ApplyResult {
    enum class Kind {
        Done,
        Refused,     // an editor refused a change; `message` says which and why
        WriteFailed, // a write did not reach the mouse whole (the session has said what)
        MouseLost,   // the mouse did not come back after a restart
    };
    Kind kind = Kind::Done;
    std::string message;
    std::vector<SettingChange> written; // the changes made, in the order they were written
    // Refused, WriteFailed: the setting it stopped at and the outcome the session returned for it.
    std::optional<SettingChange> stoppedAt;
    EditOutcome stoppedBy;
    // WriteFailed while the file went out in parts: what reached the mouse is what a read of it shows.
    bool inParts = false;
    // Done: how the settings went to the mouse (which parts were written whole, and why).
    std::string way;
};

// How applySettings writes: for each part of the image the file changes, the cheaper of its controls'
// writes and its own section rewrite (the same image on the mouse either way), or every control's
// writes as the pages make them.
enum class ApplyWay { Cheapest, ControlByControl };

// Makes the mouse match a plan without problems through the editors' own actions, in the order their
// rules need: macros, lighting, fire-key slots, guns, buttons (those that keep a profile's left
// button first) and combo keys, the current profile, the DPI levels, the sniper value, and the report
// rate last (the mouse restarts for it). Before each step the settings are read again, and only what
// still differs is written, so a file that matches the mouse sends nothing. The actions are first
// rehearsed in the section copies: a refusal ends the apply before anything is sent, and each part of
// the image goes out the cheaper way (ApplyWay). Stops at the first refusal or failed write.
ApplyResult applySettings(const SettingsPlan& plan, Session& session, ApplyWay way = ApplyWay::Cheapest);

} // namespace krm
