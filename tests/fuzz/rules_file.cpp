// The per-game rules file as a person may have edited it: read, matched, edited as the "Game profiles"
// dialog edits it and read again. The edited text must read back as the rules the edits made.

#include "companion/ProfileRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace krm;

bool sameRules(const ProfileRules& a, const ProfileRules& b) {
    if (a.defaultProfile() != b.defaultProfile() || a.rules().size() != b.rules().size()) return false;
    for (std::size_t i = 0; i < a.rules().size(); ++i)
        if (a.rules()[i].pattern != b.rules()[i].pattern || a.rules()[i].profile != b.rules()[i].profile)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ProfileRules rules = ProfileRules::parse(text);
    const ProgramInfo programs[] = {{1, "/usr/games/quakespasm", "quakespasm"},
                                    {2, "/usr/bin/wine64-preloader", "C:\\Games\\Game.exe"}};
    (void)rules.match(programs);
    if (!sameRules(rules, ProfileRules::parse(rules.text()))) std::abort();

    rules.add({"fuzz.exe", 2});
    rules.setDefault(3);
    if (!rules.rules().empty()) rules.setProfile(0, 1);
    if (rules.rules().size() > 1) rules.remove(rules.rules().size() - 2);
    if (!sameRules(rules, ProfileRules::parse(rules.text()))) std::abort();
    return 0;
}
