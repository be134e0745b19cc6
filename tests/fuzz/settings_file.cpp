// A settings file as a person may have edited it. Byte 0 picks the variant of a simulated mouse, the
// rest is the text. What the text format writes must read back as the same settings; a file the
// mouse can take is applied, after which the same file must find nothing left to change.

#include "device/Clock.h"
#include "device/SimulatedMouse.h"
#include "QuietUi.h"
#include "session/Session.h"
#include "settings/SettingsPlan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace krm;
using fuzz::QuietUi;

bool sameSettings(const SettingsFile& a, const SettingsFile& b) {
    if (a.settings.size() != b.settings.size() || a.macros != b.macros) return false;
    for (std::size_t i = 0; i < a.settings.size(); ++i)
        if (a.settings[i].section != b.settings[i].section || a.settings[i].key != b.settings[i].key ||
            a.settings[i].text != b.settings[i].text)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Variant variant = (data[0] & 1) ? Variant::R230B : Variant::R210B;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const SettingsFile file = parseSettings(text);
    const SettingsFile again = parseSettings(formatSettings(file, {"fuzz"}));
    if (!again.problems.empty() || !sameSettings(file, again)) std::abort();
    if (!file.problems.empty()) return 0;

    FakeClock clock;
    SimulatedMouse mouse(variant, clock);
    QuietUi ui;
    Branding branding;
    branding.icConfigType = 0;
    Session session(mouse, clock, ui, branding);
    session.setDeviceIdEntry0();
    session.loadDefaultImages();
    if (!session.connectNow()) std::abort();
    const SettingsPlan plan = planSettings(file, session);
    if (!plan.problems.empty()) return 0;
    if (applySettings(plan, session).kind != ApplyResult::Kind::Done) return 0;
    if (!planSettings(file, session).changes.empty()) std::abort();
    return 0;
}
