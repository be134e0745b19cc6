#include "settings/SettingsPlan.h"
#include "settings/FunctionWords.h"

#include "base/IniFile.h"
#include "base/PrintableText.h"
#include "buttons/FunctionCatalogue.h"
#include "buttons/FunctionCodes.h"
#include "fire/FireFields.h"
#include "image/ImageFields.h"
#include "performance/SniperEditor.h"
#include "session/EditCost.h"
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
        add(kMouse, "variant", std::string(variantName(s_.variant())));
        const int profile = s_.mouseProfile();
        add(kMouse, "profile", std::to_string(profile), profileName(profile));
        performance();
        for (int p = 1; p <= codes::kProfileCount; ++p)
            for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
                function(profileSection(p), "button" + std::to_string(k), s_.assignments().code(p, k), false,
                         whichButton(k));
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

    void function(const std::string& section, std::string key, const std::string& code, bool combo,
                  const std::string& which = {}) {
        WrittenCode written = writtenCode(naming_, code, combo);
        std::string comment = written.comment;
        if (!which.empty()) comment += (comment.empty() ? "" : "; ") + which;
        add(section, std::move(key), std::move(written.text), std::move(comment)).meaning = code;
    }

    // Which button a button number is, for a person holding the mouse: what it does from the factory
    // (the variant's first factory image, profile 1).
    std::string whichButton(int button) {
        const SectionCopies& c = s_.image().copies;
        // Slots 10..12 show on the key page only with RGB LEDs (vendor byte 5, bit 7).
        if (button >= 10 && (c.vendor[5] & 0x80) == 0) return "not on this mouse's key page";
        const ConfigImage& factory = s_.defaults().image(s_.variant(), 1);
        const std::size_t at = codes::buttonOffset(1, button);
        const CodeBytes code{factory[at], factory[at + 1], factory[at + 2], factory[at + 3]};
        EditorState scratch = naming_.state;
        scratch.fireKeys = factoryFireKeys(factory);
        const std::string name = functionCodeName(codeText(code), english_, scratch);
        return name.empty() ? std::string() : "the factory's " + name + " button";
    }

    static std::array<FireKeySlot, 3> factoryFireKeys(const ConfigImage& image) {
        std::array<FireKeySlot, 3> slots{};
        for (std::size_t k = 0; k < slots.size(); ++k) {
            const std::size_t at = image::kFireKeyOffset + 2 + 3 * k;
            slots[k] = {image[at] + 1, image[at + 1] << 8 | image[at + 2], false};
        }
        return slots;
    }

    std::string profileName(int profile) const { return english_.text("Str25" + std::to_string(profile)); }

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
            // Only the codes of the buttons that fire with the slot keep its continue switch.
            add(kFire, key + "-continue", yesNo(slotContinues(k)),
                firesWith(k) ? "" : "no button fires with it");
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

    // The codes of the three profiles' buttons that the naming gives slot k's name.
    std::vector<CodeBytes> slotCodes(int k) {
        std::vector<CodeBytes> out;
        const std::string name = english_.text("Str23" + std::to_string(k));
        for (int p = 1; p <= codes::kProfileCount; ++p)
            for (int b = 1; b <= codes::kButtonsPerProfile; ++b) {
                const CodeBytes code = profileCode(s_.image().copies, p, b);
                EditorState scratch = naming_.state;
                if (functionCodeName(codeText(code), english_, scratch) == name) out.push_back(code);
            }
        return out;
    }
    bool firesWith(int k) { return !slotCodes(k).empty(); }
    bool slotContinues(int k) {
        const auto codes = slotCodes(k);
        return std::any_of(codes.begin(), codes.end(), [](const CodeBytes& c) { return (c[1] & 0x80) != 0; });
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
        // A file for the other chip is refused on that one line: its profiles, fire keys and lighting
        // mean something else there.
        if (const Setting* v = wanted(kMouse, "variant"); v && v->text != variantName(s_.variant())) {
            problem(v->line, "variant: the file is for an " + v->text + " mouse; this mouse is an " +
                                 std::string(variantName(s_.variant())));
            return;
        }
        naming_ = mouseNaming(s_, english_);
        macroTable();
        fileNaming();
        for (Setting& w : plan_.wanted.settings) resolve(w);
        followMacros();
        dpiRules();
        leftButtonRule();
        sniperRule();
        continueRule();
        fireMacroRules();
        changes();
        std::stable_sort(plan_.problems.begin(), plan_.problems.end(),
                         [](const SettingsProblem& a, const SettingsProblem& b) { return a.line < b.line; });
    }

private:
    void problem(int line, const std::string& message) {
        plan_.problems.push_back({line, printable(message)});
    }
    const Setting* wanted(std::string_view section, std::string_view key) const {
        return plan_.wanted.find(section, key);
    }

    // The macro table the file leaves on the mouse, checked as adding each macro on the page would be.
    void macroTable() {
        if (!file_.macros) return;
        const auto& list = *file_.macros;
        // Two macros may share a name (a block imported from a file may hold such); "macro NAME"
        // reaches the first.
        for (std::size_t i = 0; i < list.size(); ++i) {
            const MacroSetting& m = list[i];
            if (i == device_macros::kMaxSlots)
                problem(m.line, "macro '" + m.name + "': the mouse holds at most 15 macros");
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
            const std::string text = writtenCode(mouse, code, combo).text;
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
                slot.count = *settingNumber(w->text, fire::kMinRepeat, fire::kMaxRepeat);
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

    // A slot's continue switch lives only in the codes of the buttons that fire with it (the fire-key
    // block holds the repeat and the interval): a change with no such button has nowhere to be kept.
    void continueRule() {
        for (int k = 1; k <= fire::kSlots; ++k) {
            const std::string key = "slot" + std::to_string(k) + "-continue";
            const Setting* w = wanted(kFire, key);
            const Setting* m = mouse_.find(kFire, key);
            // Without such a button the mouse reads as not continuing: only "yes" needs one.
            if (!w || w->text != "yes" || (m && w->meaning == m->meaning)) continue;
            const std::string slotName = english_.text("Str23" + std::to_string(k));
            bool fires = false;
            for (int p = 1; p <= codes::kProfileCount && !fires; ++p)
                for (int b = 1; b <= codes::kButtonsPerProfile && !fires; ++b) {
                    EditorState scratch = naming_.state;
                    fires = functionCodeName(finalCode(p, b), english_, scratch) == slotName;
                }
            if (!fires)
                problem(w->line, key + ": no button fires with fire-key slot " + std::to_string(k) +
                                     ", and only such a button's code keeps the continue switch: give a "
                                     "button " +
                                     slotName + " first");
        }
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
            if (!mouse_.find(w.section, w.key) && w.key != "type" && w.key != "variant")
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

// Carries an outcome out in the section copies only, and keeps what it would have sent: the apply's
// rehearsal, from which it weighs its ways of writing.
class Rehearsal final : public EditSink {
public:
    explicit Rehearsal(Session& s) : s_(s) {}

    EditOutcome apply(EditOutcome outcome) override {
        if (outcome.refused) return outcome;
        EditOutcome stores = outcome;
        stores.requests.clear();
        for (const EditRequest& r : outcome.requests) {
            if (r.kind == EditRequest::Kind::Store || r.kind == EditRequest::Kind::WriteThrough ||
                r.kind == EditRequest::Kind::WriteQuad || r.kind == EditRequest::Kind::BlockWrite)
                stores.requests.push_back(EditRequest::store(r.offset, r.bytes));
            if (r.kind != EditRequest::Kind::Store) sent.push_back(r);
        }
        s_.apply(std::move(stores));
        return outcome;
    }

    std::vector<EditRequest> sent;

private:
    Session& s_;
};

// The parts of the image a settings file writes, each of which goes to the mouse either control by
// control, as the pages write it, or whole with its own section rewrite.
enum class Part { Vendor, User, Profiles, Macros, Patch };
constexpr Part kParts[] = {Part::Vendor, Part::User, Part::Profiles, Part::Macros, Part::Patch};

std::string_view partName(Part part) {
    switch (part) {
    case Part::Vendor:
        return "the vendor section";
    case Part::User:
        return "the user section";
    case Part::Profiles:
        return "the button tables";
    case Part::Macros:
        return "the macro block";
    case Part::Patch:
        return "the MCU LED settings";
    }
    return {};
}

// The part a request writes; nothing for what acts on the mouse rather than storing (the current DPI
// level written to make the mouse take a level's new value, XDATA, a restart), which either way sends.
std::optional<Part> partOf(const EditRequest& r, const ImageLayout& layout) {
    using K = EditRequest::Kind;
    switch (r.kind) {
    case K::ProfileRewrite:
        return Part::Profiles;
    case K::VendorSectionRewrite:
        return Part::Vendor;
    case K::UserSectionRewrite:
        return Part::User;
    case K::WriteThrough:
    case K::WriteQuad:
    case K::BlockWrite:
        break;
    default:
        return std::nullopt;
    }
    if (r.kind == K::WriteThrough && r.offset == image::kUserOffset + user::kCurrentDpi) return std::nullopt;
    const std::size_t at = r.offset;
    if (at < image::kUserOffset) return Part::Vendor;
    if (at < image::kProfileOffset) return Part::User;
    if (at < image::kProfileOffset + image::kProfilesLength) return Part::Profiles;
    if (at >= image::kFireKeyOffset && at < image::kFireKeyOffset + image::kFireKeyLength)
        return Part::Profiles;
    if (at >= image::kMacroOffset && at < image::kMacroOffset + image::kMacroLength) return Part::Macros;
    if (at >= image::kPatchBlockOffset && at < image::kPatchBlockOffset + image::kPatchBlockLength)
        return Part::Patch;
    if (at >= layout.fireMacroAreaOffset && at < layout.fireMacroAreaOffset + layout.fireMacroAreaLength)
        return Part::Profiles;
    return std::nullopt;
}

class Applier {
public:
    Applier(const SettingsPlan& plan, Session& s, ApplyWay way)
        : plan_(plan), s_(s), way_(way), english_(englishOf(s)) {}

    ApplyResult run() {
        if (way_ == ApplyWay::ControlByControl) return controlByControl();
        // A rehearsal in the copies: what each control would send, and the image it would leave.
        const SectionCopies start = s_.image().copies;
        Rehearsal rehearsal(s_);
        sink_ = &rehearsal;
        const bool rehearsed = steps();
        const SectionCopies end = s_.image().copies;
        ApplyResult rehearsedResult = std::move(result_);
        s_.image().copies = start;
        s_.reloadEditors();
        sink_ = &s_;
        result_ = {};
        // What an editor refuses it refuses for real too: nothing has been sent yet.
        if (!rehearsed) {
            rehearsedResult.written.clear();
            return rehearsedResult;
        }
        const Choice choice = choose(start, end, rehearsal.sent);
        if (choice.whole.empty()) return controlByControl();
        return inParts(start, end, rehearsal.sent, choice, std::move(rehearsedResult.written));
    }

private:
    struct Choice {
        std::vector<Part> whole; // the parts written whole
        std::string summary;     // what was chosen, for the user
    };

    // The requests that write a part whole, from the image `end`.
    std::vector<EditRequest> wholeWrite(Part part, const SectionCopies& start,
                                        const SectionCopies& end) const {
        switch (part) {
        case Part::Vendor:
            return {EditRequest::vendorSectionRewrite()};
        case Part::User:
            return {EditRequest::userSectionRewrite()};
        case Part::Profiles:
            return {EditRequest::profileRewrite(end.fireKey != start.fireKey,
                                                end.fireMacroArea != start.fireMacroArea)};
        case Part::Macros: {
            const std::span<const std::uint8_t> block(end.macroBlock);
            return {EditRequest::blockWrite(image::kMacroOffset, block.first(device_macros::kHalf)),
                    EditRequest::blockWrite(image::kMacroOffset + device_macros::kHalf,
                                            block.last(device_macros::kHalf))};
        }
        case Part::Patch:
            return {EditRequest::blockWrite(image::kPatchBlockOffset, end.patchBlock)};
        }
        return {};
    }

    static bool changed(Part part, const SectionCopies& a, const SectionCopies& b) {
        switch (part) {
        case Part::Vendor:
            return a.vendor != b.vendor;
        case Part::User:
            return a.user != b.user;
        case Part::Profiles:
            return a.profiles != b.profiles || a.fireKey != b.fireKey || a.fireMacroArea != b.fireMacroArea;
        case Part::Macros:
            return a.macroBlock != b.macroBlock;
        case Part::Patch:
            return a.patchBlock != b.patchBlock;
        }
        return false;
    }

    // For each part the file changes: its controls' writes, or its own rewrite when that sends fewer
    // reports.
    Choice choose(const SectionCopies& start, const SectionCopies& end,
                  const std::vector<EditRequest>& sent) {
        Choice choice;
        const ImageLayout& layout = start.layout;
        for (Part part : kParts) {
            if (!changed(part, start, end)) continue;
            std::size_t controls = 0, whole = 0;
            for (const EditRequest& r : sent)
                if (partOf(r, layout) == part) controls += reportsFor(r, layout);
            for (const EditRequest& r : wholeWrite(part, start, end)) whole += reportsFor(r, layout);
            if (whole >= controls) continue;
            choice.whole.push_back(part);
            choice.summary += std::string(choice.summary.empty() ? "" : "; ") + std::string(partName(part)) +
                              " written whole, " + std::to_string(whole) + " reports instead of " +
                              std::to_string(controls) + " control by control";
        }
        return choice;
    }

    ApplyResult controlByControl() {
        const bool done = steps();
        if (done && result_.kind == ApplyResult::Kind::Done && !result_.written.empty()) {
            s_.reloadEditors();
            result_.way = "control by control, as the pages write";
        }
        return result_;
    }

    // The rehearsed image sent in one outcome: the parts chosen whole with their rewrites, the others
    // with their controls' writes in the order the controls made them; what acts on the mouse (the
    // current DPI level written again, XDATA) in its place; then the profile, and a restart last.
    ApplyResult inParts(const SectionCopies& start, const SectionCopies& end,
                        const std::vector<EditRequest>& sent, const Choice& choice,
                        std::vector<SettingChange> written) {
        const auto whole = [&choice](std::optional<Part> p) {
            return p && std::find(choice.whole.begin(), choice.whole.end(), *p) != choice.whole.end();
        };
        const ImageLayout& layout = start.layout;
        EditOutcome out;
        out.followup = Followup::ReloadEditors;
        auto& r = out.requests;
        // The copies first take the image the rehearsal left (section rewrites send what they hold).
        r.push_back(EditRequest::store(image::kVendorOffset, end.vendor));
        r.push_back(EditRequest::store(image::kUserOffset, end.user));
        for (int p = 1; p <= codes::kProfileCount; ++p)
            r.push_back(
                EditRequest::store(image::profileOffset(p), end.profiles[static_cast<std::size_t>(p - 1)]));
        r.push_back(EditRequest::store(image::kFireKeyOffset, end.fireKey));
        r.push_back(EditRequest::store(image::kMacroOffset, end.macroBlock));
        r.push_back(EditRequest::store(image::kPatchBlockOffset, end.patchBlock));
        r.push_back(EditRequest::store(layout.fireMacroAreaOffset, end.fireMacroArea));
        // The vendor and user sections before anything that reads the user section back (the profile
        // rewrite), the MCU LED settings before their XDATA.
        for (Part part : {Part::Vendor, Part::User, Part::Patch})
            if (whole(part))
                for (EditRequest& w : wholeWrite(part, start, end)) r.push_back(std::move(w));
        bool restarts = false;
        for (const EditRequest& q : sent) {
            if (q.kind == EditRequest::Kind::Restart) {
                restarts = true;
                continue;
            }
            if (!whole(partOf(q, layout))) r.push_back(q);
        }
        for (Part part : {Part::Macros, Part::Profiles})
            if (whole(part))
                for (EditRequest& w : wholeWrite(part, start, end)) r.push_back(std::move(w));
        const EditOutcome done = s_.apply(std::move(out));
        if (done.writeFailed()) {
            result_.kind = ApplyResult::Kind::WriteFailed;
            result_.message = "the settings were being written in parts (" + choice.summary + ")";
            result_.stoppedAt = SettingChange{"", "the file's settings", "", "", 0};
            result_.stoppedBy = done;
            result_.inParts = true;
            return result_;
        }
        // The profile buttons' writes come next, as in the rehearsal's order; they list their change
        // themselves.
        const auto profileChange = std::find_if(written.begin(), written.end(), [](const SettingChange& c) {
            return c.section == kMouse && c.key == "profile";
        });
        if (profileChange != written.end()) written.erase(profileChange);
        result_.written = std::move(written);
        if (!profile()) return result_;
        if (restarts) {
            EditOutcome restart;
            restart.requests.push_back(EditRequest::restart());
            const EditOutcome restarted = s_.apply(std::move(restart));
            if (restarted.writeFailed()) {
                result_.kind = ApplyResult::Kind::WriteFailed;
                result_.message = "the restart for the new report rate was not taken";
                result_.stoppedAt = SettingChange{std::string(kPerformance), "report-rate", "", "", 0};
                result_.stoppedBy = restarted;
                return result_;
            }
        }
        if (!mouseBack()) return result_;
        result_.way = choice.summary + "; the rest control by control";
        return result_;
    }

    bool steps() {
        return macros() && lighting() && fireSlots() && fireMacros() && buttons() && profile() &&
               performance();
    }

    EditSink& sink() { return *sink_; }
    bool rehearsing() const { return sink_ != &s_; }

    using Action = std::function<EditOutcome(const Setting&)>;

    // The wanted settings that `keep` picks and that differ from the mouse now.
    std::vector<const Setting*> pending(const std::function<bool(const Setting&)>& keep) {
        now_ = readSettings(s_);
        std::vector<const Setting*> out;
        for (const Setting& w : plan_.wanted.settings) {
            if (!keep(w) || w.key == "type" || w.key == "variant") continue;
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
        if (keep == have.size() && keep == want.size()) return true;
        // The whole list with one write of the block (and of the button tables that follow it), not one
        // add or delete at a time.
        std::vector<MacroRecord> records;
        for (const MacroSetting& m : want) records.push_back(recordOf(m));
        std::vector<SettingChange> what;
        for (std::size_t i = keep; i < std::max(have.size(), want.size()); ++i)
            what.push_back({std::string(kMacros), "slot " + std::to_string(i),
                            i < have.size() ? macroSummary(have[i]) : "-",
                            i < want.size() ? macroSummary(want[i]) : "-",
                            i < want.size() ? want[i].line : plan_.wanted.macrosLine});
        EditOutcome out = sink().apply(s_.macros().replaceMacros(records, keep));
        if (out.refused && !out.message) out.message = "the mouse holds 15 macros";
        return carried(out, std::move(what));
    }

    bool lighting() {
        LightingEditor& e = s_.lighting();
        return each([](const Setting& w) { return w.section == kLighting; },
                    [&](const Setting& w) {
                        if (w.key == "mode") {
                            const int value = std::stoi(w.meaning);
                            for (const LightingMode& m : e.modes())
                                if (m.value == value) return sink().apply(e.chooseUserMode(m.userItem));
                            return EditOutcome{};
                        }
                        if (w.key == "speed") {
                            const int n = std::stoi(w.text);
                            return sink().apply(e.type() == LedType::MCULED ? e.chooseMcuStepSegment(n)
                                                                            : e.chooseSpeedLevel(n));
                        }
                        if (w.key == "brightness") return sink().apply(e.setMcuFullBright(w.text == "full"));
                        const auto c = *parseRgbText(w.text);
                        return sink().apply(e.pickTableColour(numberAfter(w.key, "colour"), c));
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
            if (!carried(sink().apply(fire.setSlot(k, next.count, next.interval, next.continueBox)),
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
        return carried(sink().apply(fire.confirmGun(std::nullopt)), std::move(what));
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
                if (!carried(assignMainPageCode(s_, p, numberAfter(w->key, "button"), w->meaning, &sink()),
                             {changeOf(*w)}))
                    return false;
        }
        return each([](const Setting& w) { return w.section == kComboKeys; },
                    [&](const Setting& w) {
                        return assignComboKeyCode(s_, numberAfter(w.key, "key"), w.meaning, &sink());
                    });
    }

    // The current profile, with the writes of the window's profile buttons.
    bool profile() {
        const auto changed =
            pending([](const Setting& w) { return w.section == kMouse && w.key == "profile"; });
        if (changed.empty()) return true;
        const SettingChange change = changeOf(*changed.front());
        if (rehearsing()) {
            // Its writes are the profile buttons' own; they go after the rest whichever way.
            result_.written.push_back(change);
            return true;
        }
        if (s_.selectProfile(std::stoi(changed.front()->text))) {
            result_.written.push_back(change);
            return true;
        }
        EditOutcome failed;
        failed.failure = EditOutcome::WriteFailure::NotTaken;
        failed.failedWrite = "the profile buttons' writes (0xA7..0xAA and the current profile, 0xA4)";
        return carried(failed, {change});
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
            each(is("levels"),
                 [&](const Setting& w) { return sink().apply(dpi.setCount(std::stoi(w.text))); }) &&
            each(isLevel,
                 [&](const Setting& w) {
                     return sink().apply(dpi.setStep(numberAfter(w.key, "level"), *dpiStepOf(w.text)));
                 }) &&
            each(isLevelColour,
                 [&](const Setting& w) {
                     return sink().apply(
                         s_.lighting().pickDpiColour(numberAfter(w.key, "level"), *parseRgbText(w.text)));
                 }) &&
            each(is("current-level"),
                 [&](const Setting& w) { return sink().apply(dpi.makeCurrent(std::stoi(w.text))); }) &&
            each(is("sniper"),
                 [&](const Setting& w) { return sink().apply(s_.sniper().setStep(*dpiStepOf(w.text))); }) &&
            each(is("report-rate"),
                 [&](const Setting& w) { return sink().apply(dpi.setReportRate(std::stoi(w.text))); });
        return done && mouseBack();
    }

    // A new report rate restarts the mouse, which is read again when it comes back.
    bool mouseBack() {
        if (rehearsing() || (s_.mouseOpen() && s_.identified() && !s_.presence().noDevice())) return true;
        result_.kind = ApplyResult::Kind::MouseLost;
        result_.message = "the mouse did not come back after its restart for the new report rate";
        return false;
    }

    const SettingsPlan& plan_;
    Session& s_;
    const ApplyWay way_;
    EditSink* sink_ = &s_;
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

ApplyResult applySettings(const SettingsPlan& plan, Session& session, ApplyWay way) {
    return Applier(plan, session, way).run();
}

} // namespace krm
