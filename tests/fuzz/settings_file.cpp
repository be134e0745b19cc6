// A settings file as a person may have edited it. Byte 0 picks the variant of a simulated mouse, the
// rest is the text. What the text format writes must read back as the same settings; a file the
// mouse can take is applied, after which the same file must find nothing left to change.

#include "device/Clock.h"
#include "device/QuietUiPort.h"
#include "device/SimulatedMouse.h"
#include "session/Session.h"
#include "settings/SettingsPlan.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

using namespace krm;

// The settings in the order the text format writes them: by section and key, a key given twice in the
// order of the file (a hand-edited file may repeat a section or put them in another order).
std::vector<const Setting*> inWrittenOrder(const SettingsFile& f) {
    std::vector<const Setting*> order;
    for (const auto& setting : f.settings) order.push_back(&setting);
    std::stable_sort(order.begin(), order.end(), [](const Setting* x, const Setting* y) {
        return std::tie(x->section, x->key) < std::tie(y->section, y->key);
    });
    return order;
}

bool sameSettings(const SettingsFile& a, const SettingsFile& b) {
    if (a.settings.size() != b.settings.size() || a.macros != b.macros) return false;
    const auto x = inWrittenOrder(a), y = inWrittenOrder(b);
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i]->section != y[i]->section || x[i]->key != y[i]->key || x[i]->text != y[i]->text)
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
    QuietUiPort ui;
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
