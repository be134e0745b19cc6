// krmctl lighting [mode NAME|N | speed 1..10 | colour N #rrggbb | dpi-colour LEVEL #rrggbb]: the lighting
// editor's user-page actions, written through the session like the lighting page does.

#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "base/IniFile.h"
#include "lighting/LightingEditor.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace krm::ctl {

namespace {

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size() || a.empty()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string offeredModes(const LightingEditor& e) {
    std::string text;
    for (const LightingMode& m : e.modes()) {
        if (!m.enabled || m.userItem == 0) continue;
        if (!text.empty()) text += ", ";
        text += std::to_string(m.value) + (m.name.empty() ? "" : " (" + m.name + ")");
    }
    return text.empty() ? "none" : text;
}

void show(const LightingEditor& e) {
    out("type: %s\n", e.ledType().c_str());
    const auto index = e.currentListIndex();
    const auto modes = e.modes();
    out("mode: %d", e.currentMode());
    if (index) out(" (%s)", modes[static_cast<std::size_t>(*index)].name.c_str());
    out("\noffered modes: %s\n", offeredModes(e).c_str());
    if (e.type() == LedType::MCULED) {
        out("speed: %d of 8 (MCU LED step %d), %s brightness", e.mcuStepSegment(), 8 - e.mcuStepSegment(),
            e.mcuFullBright() ? "full" : "half");
        if (const auto count = e.mcuCountIndex()) out(", %d LEDs", *count + 4);
        out("%s\n", e.mcuChecksumGood() ? "" : " (MCU LED checksum bad)");
    } else {
        out("speed: %d (step time %d)\n", e.speedLevel(), e.breathing().stepTime);
    }
    out("colours:");
    for (int n = 1; n <= 10; ++n) out(" %s", rgbText(e.tableColour(n)).c_str());
    out("\ndpi colours:");
    for (int n = 1; n <= 8; ++n) out(" %s", rgbText(e.dpiColour(n)).c_str());
    out("\n");
}

int usage(const char* what) {
    err("krmctl: lighting: %s; nothing was sent\n", what);
    return kUsage;
}

} // namespace

int runLighting(Context& ctx) {
    const auto& a = ctx.args;
    const std::string verb = a.empty() ? "" : a[0];
    // Arguments that need no mouse to be judged are checked before it is opened.
    std::optional<int> level, n;
    std::optional<Rgb> colour;
    if (verb.empty()) {
    } else if (verb == "mode" && a.size() == 2) {
    } else if (verb == "speed" && a.size() == 2) {
        if (!(level = parseDecimalIn(a[1], 1, 10)))
            return usage(("speed is 1..10, not '" + a[1] + "'").c_str());
    } else if ((verb == "colour" || verb == "dpi-colour") && a.size() == 3) {
        const int high = verb == "colour" ? 10 : 8;
        if (!(n = parseDecimalIn(a[1], 1, high)))
            return usage(
                (verb + (high == 10 ? " N is 1..10" : " LEVEL is 1..8") + ", not '" + a[1] + "'").c_str());
        if (!(colour = parseRgbText(a[2]))) return usage(("a colour is #rrggbb, not '" + a[2] + "'").c_str());
    } else {
        return usage("takes nothing, 'mode NAME|N', 'speed 1..10', 'colour N #rrggbb' or "
                     "'dpi-colour LEVEL #rrggbb'");
    }

    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = verb.empty() ? session.connect() : session.connectToEdit(("lighting " + verb).c_str());
        rc != kOk)
        return rc;
    Session& s = session.session();
    LightingEditor& e = s.lighting();
    if (verb.empty()) {
        show(e);
        return kOk;
    }

    EditOutcome outcome;
    if (verb == "mode") {
        const auto modes = e.modes();
        const auto asNumber = parseDecimal(a[1]);
        const LightingMode* chosen = nullptr;
        for (const LightingMode& m : modes)
            if ((asNumber && m.value == *asNumber) || (!asNumber && sameName(m.name, a[1]))) chosen = &m;
        if (!chosen || !chosen->enabled || chosen->userItem == 0)
            return usage(("the " + e.ledType() + " LEDs offer no mode '" + a[1] +
                          "' (offered: " + offeredModes(e) + ")")
                             .c_str());
        outcome = e.chooseUserMode(chosen->userItem);
    } else if (verb == "speed") {
        if (e.type() == LedType::MCULED)
            return usage("MCU LEDs take their speed from their own step, not a level");
        outcome = e.chooseSpeedLevel(*level);
    } else if (verb == "colour" || verb == "dpi-colour") {
        if (!e.coloursShown()) return usage("Sync LEDs have no colours");
        outcome = verb == "colour" ? e.pickTableColour(*n, *colour) : e.pickDpiColour(*n, *colour);
    }
    if (int rc = session.carryOut(("lighting " + verb).c_str(), std::move(outcome)); rc != kOk) return rc;
    show(e);
    return kOk;
}

} // namespace krm::ctl
