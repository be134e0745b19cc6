#pragma once

#include <nlohmann/json.hpp>

namespace krm {

class Session;

// Everything the profile-file dump shows, for the image the session last read from the mouse, plus
// the mouse's identity (variant, the ids it reported, chip code) and, beside every button and combo
// key code, its display name in language 1. Naming runs on a copy of the editor state, so the
// session's own state is not touched.
nlohmann::ordered_json dumpMouseJson(const Session& session);

} // namespace krm
