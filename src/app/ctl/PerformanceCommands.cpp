// krmctl dpi, rate and sniper: the DPI levels, the report rate and the sniper step, through the same
// editors as the performance page.

#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "base/IniFile.h"

#include <cstdio>
#include <optional>
#include <string>

namespace krm::ctl {

namespace {

// A value as the page shows it ("1600"), in the active language; the step 0..11.
std::optional<int> stepOf(const DpiEditor& dpi, const std::string& text) {
    for (int s = 0; s < DpiEditor::kSteps; ++s)
        if (!text.empty() && dpi.stepText(s) == text) return s;
    return std::nullopt;
}

std::string valueList(const DpiEditor& dpi) {
    std::string text;
    for (int s = 0; s < DpiEditor::kSteps; ++s) text += (s ? ", " : "") + dpi.stepText(s);
    return text;
}

void printLevels(Session& s) {
    const DpiEditor& dpi = s.dpi();
    out("report rate: %d Hz\n", dpi.reportRate());
    if (dpi.countItem())
        out("levels: %d\n", dpi.count());
    else
        out("levels: ? (the count byte %u names no count; %d shown)\n", s.image().copies.vendor[43],
            dpi.count());
    const auto current = dpi.currentLevel();
    for (int n = 1; n <= DpiEditor::kMaxLevels; ++n) {
        const auto c = dpi.colour(n);
        const auto step = dpi.step(n);
        out("%c %d: %-6s %s  #%02X%02X%02X%s\n", current == n ? '*' : ' ', n,
            step ? dpi.valueText(n).c_str() : "-",
            step ? ("(step " + std::to_string(*step) + ")").c_str() : "(no value)", c[0], c[1], c[2],
            dpi.enabled(n) ? "" : "  off");
    }
    if (!current) out("current level: none (byte %u)\n", s.image().copies.user[2]);
    const SniperEditor& sniper = s.sniper();
    if (sniper.sniperButtons() == 0)
        out("sniper: no button has the sniper function\n");
    else
        out("sniper: %s (%d button%s)\n", sniper.stepShown() ? sniper.valueText().c_str() : "-",
            sniper.sniperButtons(), sniper.sniperButtons() == 1 ? "" : "s");
}

int dpiUsage() {
    err("krmctl: dpi takes nothing, 'set LEVEL VALUE', 'count N' (1..8) or 'current LEVEL'\n");
    return kUsage;
}

} // namespace

int runDpi(Context& ctx) {
    const auto& a = ctx.args;
    if (!(a.empty() || (a.size() == 3 && a[0] == "set") ||
          (a.size() == 2 && (a[0] == "count" || a[0] == "current"))))
        return dpiUsage();
    // The numbers that need no mouse are checked before it is touched.
    std::optional<int> level, n;
    if (a.size() == 3 && !(level = parseDecimalIn(a[1], 1, DpiEditor::kMaxLevels))) {
        err("krmctl: dpi set: LEVEL is 1..8, not '%s'; nothing was sent\n", a[1].c_str());
        return kUsage;
    }
    if (a.size() == 2 && !(n = parseDecimalIn(a[1], 1, DpiEditor::kMaxLevels))) {
        err("krmctl: dpi %s: %s is 1..8, not '%s'; nothing was sent\n", a[0].c_str(),
            a[0] == "count" ? "N" : "LEVEL", a[1].c_str());
        return kUsage;
    }

    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    Session& s = session.session();
    DpiEditor& dpi = s.dpi();
    // The value texts are the language's; the mouse is asked only for a value that is one of them.
    const auto step = a.size() == 3 ? stepOf(dpi, a[2]) : std::nullopt;
    if (a.size() == 3 && !step) {
        err("krmctl: dpi set: VALUE is one of %s, not '%s'; nothing was sent\n", valueList(dpi).c_str(),
            a[2].c_str());
        return kUsage;
    }
    if (int rc = a.empty() ? session.connect() : session.connectToEdit(("dpi " + a[0]).c_str()); rc != kOk)
        return rc;
    if (a.empty()) {
        printLevels(s);
        return kOk;
    }
    if (a[0] == "set") {
        if (!dpi.enabled(*level)) {
            err("krmctl: dpi set: level %d is off (%d levels are on); nothing was sent\n", *level,
                dpi.count());
            return kRefused;
        }
        if (int rc = session.carryOut("dpi set", dpi.setStep(*level, *step)); rc != kOk) return rc;
        out("level %d: %s\n", *level, dpi.valueText(*level).c_str());
    } else if (a[0] == "count") {
        if (int rc = session.carryOut("dpi count", dpi.setCount(*n)); rc != kOk) return rc;
        out("levels: %d, current level %d\n", dpi.count(), dpi.currentLevel().value_or(0));
    } else {
        if (!dpi.enabled(*n)) {
            err("krmctl: dpi current: level %d is off (%d levels are on); nothing was sent\n", *n,
                dpi.count());
            return kRefused;
        }
        if (int rc = session.carryOut("dpi current", dpi.makeCurrent(*n)); rc != kOk) return rc;
        out("current level: %d\n", *n);
    }
    return kOk;
}

int runRate(Context& ctx) {
    const auto hz = ctx.args.size() == 1 ? parseDecimalIn(ctx.args[0], 125, 1000) : std::nullopt;
    if (!hz || (*hz != 125 && *hz != 250 && *hz != 500 && *hz != 1000)) {
        err("krmctl: rate takes HZ: 125, 250, 500 or 1000%s%s%s; nothing was sent\n",
            ctx.args.empty() ? "" : ", not '", ctx.args.empty() ? "" : ctx.args[0].c_str(),
            ctx.args.empty() ? "" : "'");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (int rc = session.connectToEdit("rate"); rc != kOk) return rc;
    Session& s = session.session();
    const int before = s.dpi().reportRate();
    if (int rc = session.carryOut("rate", s.dpi().setReportRate(*hz)); rc != kOk) return rc;
    if (*hz == before) {
        out("report rate: %d Hz (unchanged, sent again)\n", *hz);
        return kOk;
    }
    // The mouse restarted to take the new rate.
    if (int rc = session.checkReturned(); rc != kOk) return rc;
    out("report rate: %d Hz\n", s.dpi().reportRate());
    return kOk;
}

int runSniper(Context& ctx) {
    if (ctx.args.size() != 1) {
        err("krmctl: sniper takes STEP, a DPI value such as 800\n");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    Session& s = session.session();
    const auto step = stepOf(s.dpi(), ctx.args[0]);
    if (!step) {
        err("krmctl: sniper: STEP is one of %s, not '%s'; nothing was sent\n", valueList(s.dpi()).c_str(),
            ctx.args[0].c_str());
        return kUsage;
    }
    if (int rc = session.connectToEdit("sniper"); rc != kOk) return rc;
    EditOutcome outcome = s.sniper().setStep(*step);
    if (outcome.refused)
        outcome.message = outcome.message.value_or("") + " (no button has the sniper function)";
    if (int rc = session.carryOut("sniper", std::move(outcome)); rc != kOk) return rc;
    out("sniper: %s on %d button%s\n", s.sniper().valueText().c_str(), s.sniper().sniperButtons(),
        s.sniper().sniperButtons() == 1 ? "" : "s");
    return kOk;
}

} // namespace krm::ctl
