#pragma once

#include "session/EditRequest.h"

#include <string_view>

namespace krm {

class Session;

// Gives button `button` (1..12) of profile `profile` (1..3) the code text `code` (8 hex digits) the
// way the key-combination dialog does from a main-page label: the caption is the code's display
// name, the left-button rule decides, and an accepted change is stored and ends with the profile
// rewrite. The session carries the requests out; a refused change sends nothing. A refusal whose
// message the language table leaves empty gets the rule in English. The page's current profile is
// put back afterwards; nothing is written to select the profile. `sink`: where the outcome goes
// instead of the session (a rehearsal).
EditOutcome assignMainPageCode(Session& session, int profile, int button, std::string_view code,
                               EditSink* sink = nullptr);

// Gives combo key `n` (1..9) the code text `code` the way the key-combination dialog does from the
// combo-key table: the caption is the code's display name, the code goes out with the form-1 write,
// then the profile rewrite. No rule refuses a combo key's code.
EditOutcome assignComboKeyCode(Session& session, int n, std::string_view code, EditSink* sink = nullptr);

} // namespace krm
