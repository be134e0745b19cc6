#include "settings/SettingsPlan.h"

#include "base/IniFile.h"
#include "buttons/FunctionCatalogue.h"
#include "buttons/FunctionCodes.h"
#include "fire/FireFields.h"
#include "image/ImageFields.h"
#include "performance/SniperEditor.h"
#include "session/MainPageCode.h"
#include "session/Session.h"

#include <algorithm>
#include <functional>
#include <map>

namespace krm {

namespace {

using namespace settings;

// The English tables of the session (the window may show another language; the file never does).
LanguageTables englishOf(const Session& s) {
    LanguageTables t = s.languageTables();
    t.setLanguage(1);
    return t;
}

bool isProfileSection(std::string_view section) {
    return section.starts_with("profile.");
}
bool isFunctionSection(std::string_view section) {
    return isProfileSection(section) || section == kComboKeys;
}
// The number at the end of a key or section name ("level3-colour" → 3 with prefix "level").
int numberAfter(std::string_view text, std::string_view prefix) {
    text.remove_prefix(prefix.size());
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
    }
    return n;
}

// What function names build their codes with: the variant, the fire-key slots and the sniper level as
// the file leaves them, everything else as `krmctl functions` has it (no combo masks, no profile-switch
// options), so that a name means the same on every mouse. "macro NAME" reaches a macro of `macros`.
struct Naming {
    EditorState state;
    DeviceMacroTable macros;
    const TextSource* english = nullptr;
};

// The sniper step the mouse's AIM Key buttons hold: the first that names a step, in any profile (the
// performance page shows the current profile's; every change writes one step to all of them).
std::optional<int> sniperStep(const Session& s) {
    for (int p = 1; p <= codes::kProfileCount; ++p)
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
            if (const CodeBytes code = profileCode(s.image().copies, p, k);
                isSniperCode(code) && code[1] < SniperEditor::kSteps)
                return code[1];
    return std::nullopt;
}

Naming mouseNaming(Session& s, const TextSource& english) {
    Naming n;
    n.english = &english;
    n.state.variant = s.variant();
    n.state.fireKeys = s.editorState().fireKeys;
    n.state.sniperLevel = sniperStep(s).value_or(s.sniper().step()) + 1;
    n.macros = s.macros().deviceMacros();
    return n;
}

// The codes of the catalogue entries called `name` (two entries may share a name: "Stop").
std::vector<std::string> codesNamed(const Naming& n, std::string_view name, bool combo) {
    std::vector<std::string> out;
    const std::string folded = foldCase(name);
    for (const CatalogueEntry& e : functionCatalogue()) {
        if (foldCase(e.englishName) != folded) continue;
        std::string code = functionCodeForTag(e.tag, n.state, combo);
        if (std::find(out.begin(), out.end(), code) == out.end()) out.push_back(std::move(code));
    }
    return out;
}

// How a code is written: the first function name that builds exactly this code, else "macro NAME" for
// the start of a macro, else the code with its display name as the comment.
std::pair<std::string, std::string> writtenCode(const Naming& n, const std::string& code, bool combo) {
    for (const CatalogueEntry& e : functionCatalogue()) {
        // A name stands for this code only when its own entry builds it: the cheap test first.
        if (functionCodeForTag(e.tag, n.state, combo) != code) continue;
        const auto codes = codesNamed(n, e.englishName, combo);
        if (codes.size() == 1 && codes.front() == code) return {std::string(e.englishName), code};
    }
    const auto bytes = parseCodeText(code);
    if (bytes && (*bytes)[0] == 0x10 && (*bytes)[3] == 0) {
        const auto slot = n.macros.slotAt(static_cast<std::uint16_t>((*bytes)[1] << 8 | (*bytes)[2]));
        if (slot && n.macros.find(n.macros.entries()[*slot].name) == slot)
            return {"macro " + macroNameText(n.macros.entries()[*slot].name), code};
    }
    EditorState scratch = n.state; // naming ticks continue boxes; the session's stay as they are
    return {code, functionCodeName(code, *n.english, scratch)};
}

// The code a written value stands for, or why it stands for none.
std::optional<std::string> codeOf(const Naming& n, const std::string& text, bool combo,
                                  std::string& problem) {
    if (parseCodeText(text)) return text;
    if (text.starts_with("macro ")) {
        const std::string name = text.substr(6);
        if (const auto slot = n.macros.find(macroNameBytes(name)))
            return codeText(runMacroCode(n.macros.entries()[*slot].startAddress));
        problem = "no macro named '" + name + "' is on the mouse or in [macros]";
        return std::nullopt;
    }
    const auto codes = codesNamed(n, text, combo);
    if (codes.size() == 1) return codes.front();
    problem = "'" + text + "' names " + std::to_string(codes.size()) + " functions (";
    for (std::size_t i = 0; i < codes.size(); ++i) problem += (i ? ", " : "") + codes[i];
    problem += "); give the code instead";
    return std::nullopt;
}

// Whether a code keeps a profile's left button: a Left Click, or on profiles 2 and 3 the Fire Macro
// Key, named as the key page names it.
bool keepsLeftButton(const Naming& n, const std::string& code, int profile) {
    EditorState scratch = n.state;
    const std::string name = functionCodeName(code, *n.english, scratch);
    return name == n.english->text("Str210") || (profile > 1 && name == n.english->text("Str265"));
}

std::string yesNo(bool on) {
    return on ? "yes" : "no";
}

// --- reading the mouse ---

class MouseReader {
public:
    MouseReader(Session& s, SettingsFile& out) : s_(s), out_(out), english_(englishOf(s)) {
        naming_ = mouseNaming(s, english_);
    }

    void read() {
        performance();
        for (int p = 1; p <= codes::kProfileCount; ++p)
            for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
                function(profileSection(p), "button" + std::to_string(k), s_.assignments().code(p, k), false);
        for (int n = 1; n <= codes::kComboKeyCount; ++n)
            function(std::string(kComboKeys), "key" + std::to_string(n), s_.assignments().comboCode(n), true);
        lighting();
        macros();
        fire();
    }

private:
    Setting& add(std::string_view section, std::string key, std::string text, std::string comment = {}) {
        Setting s{std::string(section), std::move(key), std::move(text), std::move(comment), {}, 0, {}};
        s.meaning = s.text;
        out_.settings.push_back(std::move(s));
        return out_.settings.back();
    }

    void performance() {
        const DpiEditor& dpi = s_.dpi();
        if (dpi.countItem()) add(kPerformance, "levels", std::to_string(dpi.count()));
        // The level the mouse holds: a count change tells the editor before it tells the mouse.
        const int current = s_.image().copies.user[user::kCurrentDpi];
        if (current < DpiEditor::kMaxLevels) add(kPerformance, "current-level", std::to_string(current + 1));
        for (int n = 1; n <= DpiEditor::kMaxLevels; ++n) {
            const std::string level = "level" + std::to_string(n);
            // Only the levels that are on take a value, as on the page.
            if (const auto step = dpi.step(n); step && dpi.enabled(n))
                add(kPerformance, level, std::string(dpiStepText(*step)));
            const Rgb c = s_.lighting().dpiColour(n);
            add(kPerformance, level + "-colour", rgbText(c), dpi.enabled(n) ? "" : "off");
        }
        const int hz = dpi.reportRate();
        if (hz == 125 || hz == 250 || hz == 500 || hz == 1000)
            add(kPerformance, "report-rate", std::to_string(hz));
        if (const auto step = sniperStep(s_)) add(kPerformance, "sniper", std::string(dpiStepText(*step)));
    }

    void function(const std::string& section, std::string key, const std::string& code, bool combo) {
        auto [text, comment] = writtenCode(naming_, code, combo);
        add(section, std::move(key), std::move(text), std::move(comment)).meaning = code;
    }

    void lighting() {
        const LightingEditor& e = s_.lighting();
        const auto type = e.type();
        if (!type) return; // nothing is known before the first read
        add(kLighting, "type", e.ledType());
        const auto modes = e.modes(english_);
        const auto mode = std::find_if(modes.begin(), modes.end(),
                                       [&](const LightingMode& m) { return m.value == e.currentMode(); });
        const std::string number = std::to_string(e.currentMode());
        if (mode != modes.end() && !mode->name.empty() &&
            std::count_if(modes.begin(), modes.end(), [&](const LightingMode& m) {
                return foldCase(m.name) == foldCase(mode->name);
            }) == 1)
            add(kLighting, "mode", mode->name, number).meaning = number;
        else
            add(kLighting, "mode", number);
        if (*type == LedType::MCULED) {
            add(kLighting, "speed", std::to_string(e.mcuStepSegment()), "1..8");
            add(kLighting, "brightness", e.mcuFullBright() ? "full" : "half");
        } else {
            add(kLighting, "speed", std::to_string(e.speedLevel()), "1..10");
        }
        if (!e.coloursShown()) return;
        for (int n = 1; n <= 10; ++n) {
            const Rgb c = e.tableColour(n);
            add(kLighting, "colour" + std::to_string(n), rgbText(c));
        }
    }

    void macros() {
        auto& list = out_.macros.emplace();
        for (const DeviceMacro& m : s_.macros().deviceMacros().entries()) {
            const MacroRows rows = buildMacroRows(m.events);
            list.push_back({macroNameText(m.name), rows.repeat, rows.rows, 0});
        }
    }

    void fire() {
        FireEditor& fire = s_.fire();
        for (int k = 1; k <= fire::kSlots; ++k) {
            const FireKeySlot& slot = fire.slot(k);
            const std::string key = "slot" + std::to_string(k);
            add(kFire, key + "-repeat", std::to_string(slot.count));
            add(kFire, key + "-interval", std::to_string(slot.interval));
            add(kFire, key + "-continue", yesNo(slot.continueBox));
        }
        const SectionCopies& c = s_.image().copies;
        for (int g = 1; g <= fire::kGuns; ++g) {
            const int first = fire::gunFirstMacro(g), count = fire::gunMacroCount(g);
            for (int i = first; i < first + count; ++i) {
                const fire::ParsedBody body = fire::parseBody(c.fireMacroBodies[static_cast<std::size_t>(i)]);
                const std::string key = "fire-macro" + std::to_string(i + 1);
                Setting& shots = add(kFire, key + "-shots", std::to_string(body.count));
                if (i == first) {
                    shots.note =
                        "gun " + std::to_string(g) + ", " + english_.text("Str60" + std::to_string(g - 1));
                    if (count > 1)
                        shots.note += ": fire macros " + std::to_string(first + 1) + " to " +
                                      std::to_string(first + count);
                }
                add(kFire, key + "-x", std::to_string(body.x));
                add(kFire, key + "-x-offset", std::to_string(fireMacroXAdjust(c.user, i)));
                add(kFire, key + "-y", std::to_string(body.y));
                add(kFire, key + "-y-offset", std::to_string(fireMacroYAdjust(c.user, i)));
                add(kFire, key + "-interval", std::to_string(body.interval));
            }
        }
    }

    Session& s_;
    SettingsFile& out_;
    LanguageTables english_;
    Naming naming_;
};

// --- judging a file ---

MacroRecord recordOf(const MacroSetting& m) {
    MacroRecord r;
    r.name = macroNameBytes(m.name);
    if (const auto events = compileMacroRows(m.rows, m.repeat))
        std::copy(events->begin(), events->end(), r.events.begin());
    return r;
}

std::size_t commonPrefix(const std::vector<MacroSetting>& a, const std::vector<MacroSetting>& b) {
    std::size_t k = 0;
    while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
    return k;
}

std::string macroSummary(const MacroSetting& m) {
    return "'" + m.name + "' (" + std::to_string(m.rows.size()) + " row" + (m.rows.size() == 1 ? "" : "s") +
           ")";
}

class Planner {
public:
    Planner(const SettingsFile& file, Session& s, SettingsPlan& plan)
        : file_(file), s_(s), plan_(plan), english_(englishOf(s)), mouse_(readSettings(s)) {}

    void plan() {
        plan_.problems = file_.problems;
        plan_.wanted = file_;
        naming_ = mouseNaming(s_, english_);
        macroTable();
        fileNaming();
        for (Setting& w : plan_.wanted.settings) resolve(w);
        followMacros();
        dpiRules();
        leftButtonRule();
        sniperRule();
        fireMacroRules();
        changes();
        std::stable_sort(plan_.problems.begin(), plan_.problems.end(),
                         [](const SettingsProblem& a, const SettingsProblem& b) { return a.line < b.line; });
    }

private:
    void problem(int line, std::string message) { plan_.problems.push_back({line, std::move(message)}); }
    const Setting* wanted(std::string_view section, std::string_view key) const {
        return plan_.wanted.find(section, key);
    }

    // The macro table the file leaves on the mouse, checked as adding each macro on the page would be.
    void macroTable() {
        if (!file_.macros) return;
        const auto& list = *file_.macros;
        std::map<MacroName, int> names;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const MacroSetting& m = list[i];
            if (i == device_macros::kMaxSlots)
                problem(m.line, "macro '" + m.name + "': the mouse holds at most 15 macros");
            if (const auto [it, added] = names.try_emplace(macroNameBytes(m.name), m.line); !added)
                problem(m.line, "macro '" + m.name + "' is named twice (first on line " +
                                    std::to_string(it->second) + ")");
            if (!compileMacroRows(m.rows, m.repeat))
                problem(m.line, "macro '" + m.name + "' takes more than the 256 bytes a macro may hold");
        }
        DeviceMacroTable table = s_.macros().deviceMacros();
        const std::size_t keep = commonPrefix(*mouse_.macros, list);
        while (table.size() > keep) table.erase(table.size() - 1);
        int overflowLine = 0;
        for (std::size_t i = keep; i < list.size(); ++i) {
            const MacroRecord r = recordOf(list[i]);
            DeviceMacro m;
            m.name = r.name;
            m.events = terminatedEvents(r.events);
            table.append(std::move(m));
            if (!overflowLine && table.totalLength() > device_macros::kBlockSize) overflowLine = list[i].line;
        }
        const std::size_t total = table.totalLength();
        if (total > device_macros::kBlockSize || !table.pack()) {
            // A record that would start an event at byte 255 takes a filler byte there.
            const std::size_t needed = total > device_macros::kBlockSize ? total : total + 1;
            problem(overflowLine   ? overflowLine
                    : list.empty() ? file_.macrosLine
                                   : list.back().line,
                    "the macros take " + std::to_string(needed) +
                        " bytes (16 for each name, then its events); the mouse holds 512");
            return;
        }
        naming_.macros = table;
    }

    // Buttons the file leaves out keep running their macros, wherever [macros] puts them (a macro the
    // file drops leaves its buttons with nothing, as a delete on the macro page does).
    void followMacros() {
        if (!file_.macros) return;
        const Naming mouse = mouseNaming(s_, english_);
        auto follow = [&](const std::string& section, const std::string& key, const std::string& code,
                          bool combo) {
            if (wanted(section, key)) return;
            const std::string text = writtenCode(mouse, code, combo).first;
            if (!text.starts_with("macro ")) return;
            std::string why;
            const auto moved = codeOf(naming_, text, combo, why);
            plan_.wanted.settings.push_back(
                {section, key, moved ? text : "Key Off", {}, {}, 0, moved.value_or("00000000")});
        };
        for (int p = 1; p <= codes::kProfileCount; ++p)
            for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
                follow(profileSection(p), "button" + std::to_string(k), s_.assignments().code(p, k), false);
        for (int n = 1; n <= codes::kComboKeyCount; ++n)
            follow(std::string(kComboKeys), "key" + std::to_string(n), s_.assignments().comboCode(n), true);
    }

    // Names build codes with the fire-key slots and the sniper value the file leaves on the mouse.
    void fileNaming() {
        for (int k = 1; k <= fire::kSlots; ++k) {
            FireKeySlot& slot = naming_.state.fireKeys[static_cast<std::size_t>(k - 1)];
            const std::string key = "slot" + std::to_string(k);
            if (const Setting* w = wanted(kFire, key + "-repeat"))
                slot.count = *settingNumber(w->text, 1, 16);
            if (const Setting* w = wanted(kFire, key + "-interval"))
                slot.interval = *settingNumber(w->text, 0, 65535);
            if (const Setting* w = wanted(kFire, key + "-continue")) slot.continueBox = w->text == "yes";
        }
        if (const Setting* w = wanted(kPerformance, "sniper"))
            naming_.state.sniperLevel = *dpiStepOf(w->text) + 1;
    }

    void resolve(Setting& w) {
        w.meaning = w.text;
        if (isFunctionSection(w.section)) {
            std::string why;
            if (const auto code = codeOf(naming_, w.text, w.section == kComboKeys, why))
                w.meaning = *code;
            else
                problem(w.line, w.key + ": " + why);
        } else if (w.section == kLighting) {
            lighting(w);
        }
    }

    void lighting(Setting& w) {
        const LightingEditor& e = s_.lighting();
        const auto type = e.type();
        if (!type) return;
        const std::string mouseType =
            "this " + std::string(variantName(s_.variant())) + " mouse's LEDs are " + e.ledType();
        if (const Setting* t = wanted(kLighting, "type"); t && t->text != e.ledType()) {
            if (&w == t) problem(w.line, "type: the file is for " + t->text + " LEDs; " + mouseType);
            return; // one message for the whole section
        }
        if (w.key == "mode") {
            const auto modes = e.modes(english_);
            const auto number = settingNumber(w.text, 0, 15);
            const auto mode = std::find_if(modes.begin(), modes.end(), [&](const LightingMode& m) {
                return number ? m.value == *number : foldCase(m.name) == foldCase(w.text);
            });
            std::string offered;
            for (const LightingMode& m : modes)
                if (m.enabled && m.userItem != 0)
                    offered += (offered.empty() ? "" : ", ") + std::to_string(m.value) + " " + m.name;
            if (mode == modes.end() ||
                ((!mode->enabled || mode->userItem == 0) && mode->value != e.currentMode()))
                problem(w.line, "mode: " + mouseType + " and offer no mode '" + w.text +
                                    "' (offered: " + (offered.empty() ? "none" : offered) + ")");
            else
                w.meaning = std::to_string(mode->value);
        } else if (w.key == "speed" && type == LedType::MCULED && !settingNumber(w.text, 1, 8)) {
            problem(w.line, "speed: " + mouseType + ", whose speed is 1..8");
        } else if (w.key == "brightness" && type != LedType::MCULED) {
            problem(w.line, "brightness: " + mouseType + "; only MCU LEDs have a brightness");
        } else if (w.key.starts_with("colour") && !e.coloursShown()) {
            problem(w.line, w.key + ": " + mouseType + ", which have no colour table");
        }
    }

    void dpiRules() {
        const Setting* levels = wanted(kPerformance, "levels");
        const int count = levels ? *settingNumber(levels->text, 1, 8) : s_.dpi().count();
        const std::string on = " is off (levels = " + std::to_string(count) + ")";
        if (const Setting* c = wanted(kPerformance, "current-level");
            c && *settingNumber(c->text, 1, 8) > count)
            problem(c->line, "current-level: level " + c->text + on);
        for (int n = count + 1; n <= DpiEditor::kMaxLevels; ++n)
            if (const Setting* w = wanted(kPerformance, "level" + std::to_string(n)))
                problem(w->line, w->key + ": level " + std::to_string(n) + on +
                                     "; only a level that is on takes a value");
    }

    // The code a button ends with: the file's, else the mouse's.
    std::string finalCode(int profile, int button) const {
        const Setting* w = wanted(profileSection(profile), "button" + std::to_string(button));
        return w && !w->meaning.empty() && parseCodeText(w->meaning) ? w->meaning
                                                                     : s_.assignments().code(profile, button);
    }

    void leftButtonRule() {
        for (int p = 1; p <= codes::kProfileCount; ++p) {
            const Setting* first = nullptr;
            bool changed = false, kept = false;
            for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
                const Setting* w = wanted(profileSection(p), "button" + std::to_string(k));
                if (w && !first) first = w;
                if (w && w->meaning != s_.assignments().code(p, k)) changed = true;
                if (keepsLeftButton(naming_, finalCode(p, k), p)) kept = true;
            }
            if (changed && !kept)
                problem(first->line, "[" + profileSection(p) + "] would keep no Left Click" +
                                         (p > 1 ? " or Fire Macro Key" : "") + ": " +
                                         english_.text(p == 1 ? "Str294" : "Str295"));
        }
    }

    void sniperRule() {
        const Setting* w = wanted(kPerformance, "sniper");
        if (!w) return;
        for (int p = 1; p <= codes::kProfileCount; ++p)
            for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
                if (const auto code = parseCodeText(finalCode(p, k)); code && isSniperCode(*code)) return;
        problem(w->line, "sniper: no button has the AIM Key function, so no button takes a sniper value");
    }

    void fireMacroRules() {
        const SectionCopies& c = s_.image().copies;
        for (int i = 0; i < 10; ++i) {
            const fire::ParsedBody body = fire::parseBody(c.fireMacroBodies[static_cast<std::size_t>(i)]);
            const std::string key = "fire-macro" + std::to_string(i + 1);
            // A value the body has no place for cannot be changed, as on the gun page.
            const std::pair<const char*, bool> places[] = {{"-shots", body.at.count.has_value()},
                                                           {"-x", body.at.x.has_value()},
                                                           {"-y", body.at.y.has_value()},
                                                           {"-interval", body.at.interval.has_value()}};
            for (const auto& [suffix, has] : places) {
                const Setting* w = wanted(kFire, key + suffix);
                const Setting* m = mouse_.find(kFire, key + suffix);
                if (w && m && w->meaning != m->meaning && !has)
                    problem(w->line, w->key + ": fire macro " + std::to_string(i + 1) +
                                         " holds no such value to change (its body has no place for it)");
            }
            for (const char* axis : {"-x", "-y"}) {
                const Setting* v = wanted(kFire, key + axis);
                const Setting* o = wanted(kFire, key + axis + "-offset");
                if (!v && !o) continue;
                const int value = std::stoi((v ? v : mouse_.find(kFire, key + axis))->text);
                const int offset = std::stoi((o ? o : mouse_.find(kFire, key + axis + "-offset"))->text);
                if (value + offset < -128 || value + offset > 127)
                    problem((v ? v : o)->line, key + axis + " " + std::to_string(value) +
                                                   " with its offset " + std::to_string(offset) +
                                                   " leaves -128..127");
            }
        }
    }

    void changes() {
        for (const Setting& m : mouse_.settings) {
            const Setting* w = wanted(m.section, m.key);
            if (!w || w->meaning == m.meaning) continue;
            // The same words for another code (a macro that moves): the codes tell them apart.
            if (w->text == m.text)
                plan_.changes.push_back({m.section, m.key, m.text + " (" + m.meaning + ")",
                                         w->text + " (" + w->meaning + ")", w->line});
            else
                plan_.changes.push_back({m.section, m.key, m.text, w->text, w->line});
        }
        for (const Setting& w : plan_.wanted.settings)
            if (!mouse_.find(w.section, w.key) && w.key != "type")
                plan_.changes.push_back({w.section, w.key, "-", w.text, w.line});
        if (!file_.macros) return;
        const auto& have = *mouse_.macros;
        const auto& want = *file_.macros;
        for (std::size_t i = commonPrefix(have, want); i < std::max(have.size(), want.size()); ++i) {
            if (i < have.size() && i < want.size() && have[i] == want[i]) continue;
            plan_.changes.push_back({std::string(kMacros), "slot " + std::to_string(i),
                                     i < have.size() ? macroSummary(have[i]) : "-",
                                     i < want.size() ? macroSummary(want[i]) : "-",
                                     i < want.size() ? want[i].line : file_.macrosLine});
        }
    }

    const SettingsFile& file_;
    Session& s_;
    SettingsPlan& plan_;
    LanguageTables english_;
    SettingsFile mouse_;
    Naming naming_;
};

// --- applying ---

class Applier {
public:
    Applier(const SettingsPlan& plan, Session& s) : plan_(plan), s_(s), english_(englishOf(s)) {}

    ApplyResult run() {
        const bool done = macros() && lighting() && fireSlots() && fireMacros() && buttons() && performance();
        if (done && result_.kind == ApplyResult::Kind::Done && !result_.written.empty()) s_.reloadEditors();
        return result_;
    }

private:
    using Action = std::function<EditOutcome(const Setting&)>;

    // The wanted settings that `keep` picks and that differ from the mouse now.
    std::vector<const Setting*> pending(const std::function<bool(const Setting&)>& keep) {
        now_ = readSettings(s_);
        std::vector<const Setting*> out;
        for (const Setting& w : plan_.wanted.settings) {
            if (!keep(w) || w.key == "type") continue;
            const Setting* m = now_.find(w.section, w.key);
            if (!m || m->meaning != w.meaning) out.push_back(&w);
        }
        return out;
    }

    SettingChange changeOf(const Setting& w) const {
        const Setting* m = now_.find(w.section, w.key);
        return {w.section, w.key, m ? m->text : "-", w.text, w.line};
    }

    // Takes an outcome the session has carried out; false (and the result says why) when it was
    // refused or a write failed.
    bool carried(const EditOutcome& out, std::vector<SettingChange> what) {
        if (out.refused || out.writeFailed()) {
            const SettingChange& c = what.front();
            result_.kind = out.refused ? ApplyResult::Kind::Refused : ApplyResult::Kind::WriteFailed;
            result_.message = (c.line > 0 ? "line " + std::to_string(c.line) + ": " : std::string()) + "[" +
                              c.section + "] " + c.key + ": " +
                              (out.message && !out.message->empty() ? *out.message
                               : out.refused                        ? "refused"
                                                                    : "not written");
            result_.stoppedAt = c;
            result_.stoppedBy = out;
            return false;
        }
        for (SettingChange& c : what) result_.written.push_back(std::move(c));
        return true;
    }

    // Each pending setting that `keep` picks, in file order, through `act`.
    bool each(const std::function<bool(const Setting&)>& keep, const Action& act) {
        for (const Setting* w : pending(keep))
            if (!carried(act(*w), {changeOf(*w)})) return false;
        return true;
    }

    bool macros() {
        if (!plan_.wanted.macros) return true;
        const auto& want = *plan_.wanted.macros;
        now_ = readSettings(s_);
        const auto& have = *now_.macros;
        const std::size_t keep = commonPrefix(have, want);
        for (std::size_t slot = have.size(); slot-- > keep;) {
            const EditOutcome out = s_.apply(s_.macros().deleteDeviceMacro(slot));
            if (!carried(out, {{std::string(kMacros), "slot " + std::to_string(slot),
                                macroSummary(have[slot]), "-", plan_.wanted.macrosLine}}))
                return false;
        }
        for (std::size_t i = keep; i < want.size(); ++i) {
            EditOutcome out = s_.apply(s_.macros().addToMouse(recordOf(want[i])));
            if (out.refused && !out.message) out.message = "the mouse holds 15 macros";
            if (!carried(out, {{std::string(kMacros), "slot " + std::to_string(i), "-", macroSummary(want[i]),
                                want[i].line}}))
                return false;
        }
        return true;
    }

    bool lighting() {
        LightingEditor& e = s_.lighting();
        return each([](const Setting& w) { return w.section == kLighting; },
                    [&](const Setting& w) {
                        if (w.key == "mode") {
                            const int value = std::stoi(w.meaning);
                            for (const LightingMode& m : e.modes())
                                if (m.value == value) return s_.apply(e.chooseUserMode(m.userItem));
                            return EditOutcome{};
                        }
                        if (w.key == "speed") {
                            const int n = std::stoi(w.text);
                            return s_.apply(e.type() == LedType::MCULED ? e.chooseMcuStepSegment(n)
                                                                        : e.chooseSpeedLevel(n));
                        }
                        if (w.key == "brightness") return s_.apply(e.setMcuFullBright(w.text == "full"));
                        const auto c = *parseRgbText(w.text);
                        return s_.apply(e.pickTableColour(numberAfter(w.key, "colour"), c));
                    });
    }

    bool fireSlots() {
        FireEditor& fire = s_.fire();
        for (int k = 1; k <= fire::kSlots; ++k) {
            const std::string slot = "slot" + std::to_string(k) + "-";
            const auto changed =
                pending([&](const Setting& w) { return w.section == kFire && w.key.starts_with(slot); });
            if (changed.empty()) continue;
            FireKeySlot next = fire.slot(k);
            std::vector<SettingChange> what;
            for (const Setting* w : changed) {
                what.push_back(changeOf(*w));
                if (w->key.ends_with("-repeat")) next.count = std::stoi(w->text);
                if (w->key.ends_with("-interval")) next.interval = std::stoi(w->text);
                if (w->key.ends_with("-continue")) next.continueBox = w->text == "yes";
            }
            if (!carried(s_.apply(fire.setSlot(k, next.count, next.interval, next.continueBox)),
                         std::move(what)))
                return false;
        }
        return true;
    }

    bool fireMacros() {
        const auto changed = pending([](const Setting& w) { return w.key.starts_with("fire-macro"); });
        if (changed.empty()) return true;
        FireEditor& fire = s_.fire();
        auto find = [&](int macro, const std::string& field) -> const Setting* {
            const std::string key = "fire-macro" + std::to_string(macro) + "-" + field;
            for (const Setting* w : changed)
                if (w->key == key) return w;
            return nullptr;
        };
        // The gun page: each gun chosen, its stages' fields edited, then one confirm writes them all.
        fire.openGunPage();
        std::vector<SettingChange> what;
        for (const Setting* w : changed) what.push_back(changeOf(*w));
        for (int g = 1; g <= fire::kGuns; ++g) {
            fire.chooseGun(g);
            for (int st = 0; st < fire.stagesShown(); ++st) {
                const int macro = fire.stage(st).macro + 1;
                for (const auto& [axis, value, offset] :
                     {std::tuple{"x", fire::StageField::X, fire::StageField::XAdjust},
                      std::tuple{"y", fire::StageField::Y, fire::StageField::YAdjust}}) {
                    const Setting* v = find(macro, axis);
                    const Setting* o = find(macro, std::string(axis) + "-offset");
                    const GunStage& stage = fire.stage(st);
                    const std::string keptOffset =
                        offset == fire::StageField::XAdjust ? stage.xAdjust : stage.yAdjust;
                    // The offset is cleared first, so that the value is never held to the old one's range.
                    if (v) {
                        fire.editStage(st, offset, "0");
                        fire.editStage(st, value, v->text);
                    }
                    if (v || o) fire.editStage(st, offset, o ? o->text : keptOffset);
                }
                if (const Setting* w = find(macro, "shots"))
                    fire.editStage(st, fire::StageField::Count, w->text);
                if (const Setting* w = find(macro, "interval"))
                    fire.editStage(st, fire::StageField::Interval, w->text);
            }
        }
        return carried(s_.apply(fire.confirmGun(std::nullopt)), std::move(what));
    }

    bool buttons() {
        for (int p = 1; p <= codes::kProfileCount; ++p) {
            const std::string section = profileSection(p);
            auto changed = pending([&](const Setting& w) { return w.section == section; });
            // Buttons that keep the profile's left button go first, so the rule never sees a profile
            // without one on the way.
            Naming naming = mouseNaming(s_, english_);
            std::stable_partition(changed.begin(), changed.end(),
                                  [&](const Setting* w) { return keepsLeftButton(naming, w->meaning, p); });
            for (const Setting* w : changed)
                if (!carried(assignMainPageCode(s_, p, numberAfter(w->key, "button"), w->meaning),
                             {changeOf(*w)}))
                    return false;
        }
        return each(
            [](const Setting& w) { return w.section == kComboKeys; },
            [&](const Setting& w) { return assignComboKeyCode(s_, numberAfter(w.key, "key"), w.meaning); });
    }

    bool performance() {
        DpiEditor& dpi = s_.dpi();
        auto is = [](const char* key) {
            return [key](const Setting& w) { return w.section == kPerformance && w.key == key; };
        };
        auto isLevel = [](const Setting& w) {
            return w.section == kPerformance && w.key.starts_with("level") && w.key != "levels" &&
                   !w.key.ends_with("-colour");
        };
        auto isLevelColour = [](const Setting& w) {
            return w.section == kPerformance && w.key.ends_with("-colour");
        };
        const bool done =
            each(is("levels"), [&](const Setting& w) { return s_.apply(dpi.setCount(std::stoi(w.text))); }) &&
            each(isLevel,
                 [&](const Setting& w) {
                     return s_.apply(dpi.setStep(numberAfter(w.key, "level"), *dpiStepOf(w.text)));
                 }) &&
            each(isLevelColour,
                 [&](const Setting& w) {
                     return s_.apply(
                         s_.lighting().pickDpiColour(numberAfter(w.key, "level"), *parseRgbText(w.text)));
                 }) &&
            each(is("current-level"),
                 [&](const Setting& w) { return s_.apply(dpi.makeCurrent(std::stoi(w.text))); }) &&
            each(is("sniper"),
                 [&](const Setting& w) { return s_.apply(s_.sniper().setStep(*dpiStepOf(w.text))); }) &&
            each(is("report-rate"),
                 [&](const Setting& w) { return s_.apply(dpi.setReportRate(std::stoi(w.text))); });
        if (!done) return false;
        // A new report rate restarts the mouse, which is read again when it comes back.
        if (s_.mouseOpen() && s_.identified() && !s_.presence().noDevice()) return true;
        result_.kind = ApplyResult::Kind::MouseLost;
        result_.message = "the mouse did not come back after its restart for the new report rate";
        return false;
    }

    const SettingsPlan& plan_;
    Session& s_;
    LanguageTables english_;
    SettingsFile now_;
    ApplyResult result_;
};

} // namespace

SettingsFile readSettings(Session& session) {
    SettingsFile out;
    MouseReader(session, out).read();
    return out;
}

std::vector<std::string> settingsHeader(Session& session, std::string_view date) {
    const std::string type = session.lighting().ledType();
    return {"KRM mouse settings of an " + std::string(variantName(session.variant())) + " mouse" +
                (type.empty() ? "" : " with " + type + " LEDs") + ", exported " + std::string(date),
            "`krmctl apply FILE` (or Load in the window) makes a mouse match it; what it leaves out stays as",
            "it is. Values are those krmctl's commands take; see krmctl(1)."};
}

SettingsPlan planSettings(const SettingsFile& file, Session& session) {
    SettingsPlan plan;
    Planner(file, session, plan).plan();
    return plan;
}

ApplyResult applySettings(const SettingsPlan& plan, Session& session) {
    return Applier(plan, session).run();
}

} // namespace krm
