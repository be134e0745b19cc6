// krmctl fire and gun: the fire-key slots, the gun presets and the fire-macro list, through the same
// fire editor as the performance and gun pages.

#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "base/Bits.h"
#include "base/IniFile.h"
#include "buttons/FunctionCodes.h"
#include "fire/FireEditor.h"

#include <cstdio>
#include <optional>
#include <string>

namespace krm::ctl {

namespace {

void printFire(Session& s) {
    FireEditor& fire = s.fire();
    for (int k = 1; k <= fire::kSlots; ++k) {
        const FireKeySlot& slot = fire.slot(k);
        out("fire key %d: repeat %d, interval %d ms%s\n", k, slot.count, slot.interval,
            slot.continueBox ? ", continue" : "");
    }
    fire.openGunPage();
    for (int g = 1; g <= fire::kGuns; ++g) {
        fire.chooseGun(g);
        out("gun %d: %s, fire macro%s", g, s.texts().text("Str60" + std::to_string(g - 1)).c_str(),
            fire.stagesShown() == 1 ? "" : "s");
        for (int st = 0; st < fire.stagesShown(); ++st) out(" %d", fire.stage(st).macro + 1);
        out("\n");
        for (int st = 0; st < fire.stagesShown(); ++st) {
            const GunStage& stage = fire.stage(st);
            out("  macro %d: shots %s, X %s (offset %s), Y %s (offset %s), interval %s ms, #%s\n",
                stage.macro + 1, stage.count.c_str(), stage.x.c_str(), stage.xAdjust.c_str(), stage.y.c_str(),
                stage.yAdjust.c_str(), stage.interval.c_str(), rgbHex(stage.colour).c_str());
        }
    }
    fire.cancelGun();
    const auto rows = gunKeyListRows(fire.gunKeys());
    if (rows.empty()) out("fire macros: none\n");
    for (int n : rows)
        out("%s: %s\n", gunKeyListName(n).c_str(),
            codeText(fire.gunKeys().entries[static_cast<std::size_t>(n - 1)]).c_str());
}

int fireUsage() {
    err("krmctl: fire takes nothing, or 'slot N --repeat R --interval MS [--continue]' "
        "(N 1..3, R %d..%d, MS 0..%d)\n",
        fire::kMinRepeat, fire::kMaxRepeat, fire::kMaxInterval);
    return kUsage;
}

} // namespace

int runFire(Context& ctx) {
    const auto& a = ctx.args;
    std::optional<int> slot, repeat, interval;
    bool continueOn = false;
    if (!a.empty()) {
        if (a[0] != "slot" || a.size() < 2) return fireUsage();
        if (!(slot = parseDecimalIn(a[1], 1, fire::kSlots))) {
            err("krmctl: fire slot: N is 1..3, not '%s'; nothing was sent\n", a[1].c_str());
            return kUsage;
        }
        for (std::size_t i = 2; i < a.size(); ++i) {
            const bool hasValue = i + 1 < a.size();
            if (a[i] == "--continue") {
                continueOn = true;
            } else if (a[i] == "--repeat" && hasValue) {
                if (!(repeat = parseDecimalIn(a[++i], fire::kMinRepeat, fire::kMaxRepeat))) {
                    err("krmctl: fire slot: --repeat is %d..%d, not '%s'; nothing was sent\n",
                        fire::kMinRepeat, fire::kMaxRepeat, a[i].c_str());
                    return kUsage;
                }
            } else if (a[i] == "--interval" && hasValue) {
                if (!(interval = parseDecimalIn(a[++i], 0, fire::kMaxInterval))) {
                    err("krmctl: fire slot: --interval is 0..4094 ms, not '%s'; nothing was sent\n",
                        a[i].c_str());
                    return kUsage;
                }
            } else {
                return fireUsage();
            }
        }
        if (!repeat || !interval) return fireUsage();
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    Session& s = session.session();
    session.openGunKeyList();
    if (int rc = slot ? session.connectToEdit("fire slot") : session.connect(); rc != kOk) return rc;
    if (!slot) {
        printFire(s);
        return kOk;
    }
    if (int rc = session.carryOut("fire slot", s.fire().setSlot(*slot, *repeat, *interval, continueOn));
        rc != kOk)
        return rc;
    const FireKeySlot& now = s.fire().slot(*slot);
    out("fire key %d: repeat %d, interval %d ms%s\n", *slot, now.count, now.interval,
        now.continueBox ? ", continue" : "");
    return kOk;
}

int runGun(Context& ctx) {
    const auto& a = ctx.args;
    auto usage = [] {
        err("krmctl: gun takes N --macros K [--keep-left] [--button B] (N 1..7; K 1 for guns "
            "1..5, 1..2 for gun 6, 1..3 for gun 7; B 1..12 of profile 2)\n");
        return kUsage;
    };
    if (a.empty()) return usage();
    const auto gun = parseDecimalIn(a[0], 1, fire::kGuns);
    if (!gun) {
        err("krmctl: gun: N is 1..7, not '%s'; nothing was sent\n", a[0].c_str());
        return kUsage;
    }
    std::optional<int> macros, button;
    bool keepLeft = false;
    for (std::size_t i = 1; i < a.size(); ++i) {
        const bool hasValue = i + 1 < a.size();
        if (a[i] == "--keep-left") {
            keepLeft = true;
        } else if (a[i] == "--macros" && hasValue) {
            const int most = fire::gunMacroCount(*gun);
            if (!(macros = parseDecimalIn(a[++i], 1, most))) {
                err("krmctl: gun %d: --macros is 1..%d, not '%s'; nothing was sent\n", *gun, most,
                    a[i].c_str());
                return kUsage;
            }
        } else if (a[i] == "--button" && hasValue) {
            if (!(button = parseDecimalIn(a[++i], 1, 12))) {
                err("krmctl: gun: --button is 1..12, not '%s'; nothing was sent\n", a[i].c_str());
                return kUsage;
            }
        } else {
            return usage();
        }
    }
    if (!macros) return usage();

    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    Session& s = session.session();
    session.openGunKeyList();
    if (int rc = session.connectToEdit("gun"); rc != kOk) return rc;
    // Only profile 2 (Game Mode) holds guns, and a button is given one while that profile is current:
    // it is made current first, with the Game Mode button's writes.
    const bool selectGameMode = button && currentProfile(s.image().copies.user[user::kProfileAndColour]) != 1;
    const std::string gameMode = "profile 2 (" + s.textSlots().profileKeys[1] + ")";
    if (selectGameMode && !s.selectProfile(2)) {
        err("krmctl: gun: the mouse did not take %s as its current profile; nothing else was sent\n",
            gameMode.c_str());
        return kTransfer;
    }
    FireEditor& fire = s.fire();
    fire.openGunPage();
    fire.chooseGun(*gun);
    fire.setCodeStages(*macros);
    if (fire.keepLeft() != keepLeft) fire.toggleKeepLeft();
    const CodeBytes code = fire.gunCodeNow();
    if (int rc = session.carryOut("gun", fire.confirmGun(button)); rc != kOk) {
        if (selectGameMode) err("krmctl: gun: %s had been made current\n", gameMode.c_str());
        return rc;
    }
    if (selectGameMode) out("%s is the mouse's current profile now\n", gameMode.c_str());
    if (button)
        out("profile 2 button %d: %s (%s)\n", *button, codeText(code).c_str(),
            s.assignments().tableCaption(2, *button).c_str());
    else
        out("gun %d: fire macros and colours written; code %s (--button B gives it to a button of "
            "profile 2)\n",
            *gun, codeText(code).c_str());
    return kOk;
}

} // namespace krm::ctl
