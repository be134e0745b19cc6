#include "settings/SettingsPlan.h"
#include "settings/SettingsFiles.h"

#include "image/SectionDefaults.h"
#include "session/ImageOperations.h"
#include "support/SessionRig.h"
#include "support/TempDir.h"
#include "support/TraceSummary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace krm {

using test::SessionRig;

namespace {

// A session that has read the simulated mouse holding `image`.
struct MouseRig : SessionRig {
    MouseRig(Variant variant, const SimulatedMouse::Image& image) : SessionRig(variant) {
        mouse.setImage(image);
        EXPECT_TRUE(session.connectNow());
        clearTrace();
    }
    MouseRig(Variant variant, int factoryImage) : SessionRig(variant) {
        mouse.setImage(session.defaults().image(variant, factoryImage));
        EXPECT_TRUE(session.connectNow());
        clearTrace();
    }
    // The writes sent since the trace was last cleared.
    std::vector<std::string> writes() const { return test::writesOf(test::commandSummary(lines())); }
    // Every report sent or fetched since then.
    std::size_t reports() const {
        std::size_t n = 0;
        for (const std::string& line : lines()) n += line.starts_with("set ") || line.starts_with("get ");
        return n;
    }
};

std::string exported(Session& s) {
    return formatSettings(readSettings(s), {});
}

std::string problemsOf(const SettingsPlan& plan) {
    std::string out;
    for (const SettingsProblem& p : plan.problems) out += std::to_string(p.line) + ": " + p.message + "\n";
    return out;
}

ApplyResult applyText(Session& s, const std::string& text, ApplyWay way = ApplyWay::Cheapest) {
    const SettingsPlan plan = planSettings(parseSettings(text), s);
    EXPECT_EQ(problemsOf(plan), "");
    return applySettings(plan, s, way);
}

// A file that changes something in every area, valid for both variants: what a mouse is made far
// from its factory image with.
const char* const kFar = R"([performance]
levels = 8
current-level = 7
level1 = 400
level2 = 600
level7 = 6400
level8 = 200
level1-colour = #102030
level8-colour = #a0b0c0
report-rate = 500
sniper = 1200
[profile.1]
button2 = Middle Click
button4 = Left Click
button5 = 02010400
button9 = macro Two
[profile.2]
button1 = Left Click
button12 = AIM Key
[profile.3]
button3 = Fire Key2
button6 = Volume Up
[combo-keys]
key1 = DPI Loop
key4 = Key Off
[lighting]
mode = 3
speed = 2
colour1 = #010203
colour10 = #00ff00
[macros]
macro = One
row = 1 A CODE:8204
row = 2 A CODE:0204
macro = Two
repeat = until-released
row = 1 LeftKey CODE:00A1
row = 0 15
row = 2 LeftKey CODE:0021
[fire]
slot1-repeat = 4
slot1-interval = 80
slot2-continue = yes
fire-macro1-shots = 3
fire-macro1-x = 2
fire-macro1-x-offset = -1
fire-macro6-y = 9
fire-macro6-y-offset = 4
fire-macro10-interval = 45
)";

} // namespace

TEST(SettingsPlan, RoundTripOverEveryFactoryImageOfBothVariants) {
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        for (int k = 1; k <= 3; ++k) {
            SCOPED_TRACE(std::string(variantName(v)) + " image " + std::to_string(k));
            MouseRig source(v, k);
            const std::string text = exported(source.session);

            // The export of the mouse itself changes nothing and sends nothing.
            const SettingsPlan same = planSettings(parseSettings(text), source.session);
            EXPECT_EQ(problemsOf(same), "");
            EXPECT_TRUE(same.changes.empty());
            EXPECT_TRUE(applySettings(same, source.session).written.empty());
            EXPECT_TRUE(source.writes().empty());

            // Onto another factory image first made far from it: the mouse ends as the source was.
            MouseRig target(v, k % 3 + 1);
            ASSERT_EQ(applyText(target.session, kFar).kind, ApplyResult::Kind::Done);
            ASSERT_NE(exported(target.session), text);
            const ApplyResult back = applyText(target.session, text);
            ASSERT_EQ(back.kind, ApplyResult::Kind::Done) << back.message;
            EXPECT_FALSE(back.written.empty());
            MouseRig reread(v, target.mouse.image());
            EXPECT_EQ(exported(reread.session), text);
        }
    }
}

TEST(SettingsPlan, OneMixedFileWritesInTheOrderTheRulesNeed) {
    const char* const file = R"([performance]
level3 = 1000
current-level = 3
[profile.1]
button1 = Right Click
button4 = Left Click
[lighting]
colour2 = #123456
[macros]
macro = Go
row = 1 A CODE:8204
row = 2 A CODE:0204
[fire]
slot2-repeat = 6
)";
    MouseRig rig(Variant::R210B, 1);
    const ApplyResult r = applyText(rig.session, file, ApplyWay::ControlByControl);
    ASSERT_EQ(r.kind, ApplyResult::Kind::Done) << r.message;
    std::vector<std::string> written;
    for (const SettingChange& c : r.written) written.push_back(changeLine(c));
    // Button 4 takes the Left Click before button 1 gives it up: the rule never sees a profile without.
    EXPECT_EQ(written, (std::vector<std::string>{
                           "[macros] slot 0: - -> 'Go' (2 rows)",
                           "[lighting] colour2: #7fff00 -> #123456",
                           "[fire] slot2-repeat: 5 -> 6",
                           "[profile.1] button4: Right Click -> Left Click",
                           "[profile.1] button1: Left Click -> Right Click",
                           "[performance] level3: 2400 -> 1000",
                           "[performance] current-level: 2 -> 3",
                       }));
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{
                                // the macro: the button tables, then the macro block in two halves
                                "set 40 07 00 c0 00 93 00 00 +21",
                                "set 40 07 01 f0 01 00 00 00 +37",
                                "set 40 07 02 f0 01 00 00 00 +37",
                                // colour 2: each component, then the three together
                                "set 40 05 00 3c 12 00 00 01",
                                "set 40 05 00 3d 34 00 00 01",
                                "set 40 05 00 3e 56 00 00 01",
                                "set 40 05 00 3c 12 34 56 03",
                                // fire-key slot 2: the profiles with the fire-key block
                                "set 40 07 00 c0 00 93 00 00 +21",
                                "set 40 07 01 e4 00 0c 00 00 +2",
                                "set 40 05 00 a4 0f 00 00 01",
                                "set 40 05 00 a4 00 00 00 01",
                                // button 4, then button 1: a profile rewrite each
                                "set 40 07 00 c0 00 93 00 00 +21",
                                "set 40 05 00 a4 0f 00 00 01",
                                "set 40 05 00 a4 00 00 00 01",
                                "set 40 07 00 c0 00 93 00 00 +21",
                                "set 40 05 00 a4 0f 00 00 01",
                                "set 40 05 00 a4 00 00 00 01",
                                // levels 3 and 4's value pair (1000 is step 4), the current level stepped
                                // away and back, then level 3
                                "set 40 05 00 2d 94 00 00 01",
                                "set 40 05 00 a6 00 00 00 01",
                                "set 40 05 00 a6 01 00 00 01",
                                "set 40 05 00 a6 02 00 00 01",
                            }));

    // The cheapest way: the four writes of the button tables become one rewrite at the end, with the
    // fire-key block; the rest as before. The mouse ends with the same image.
    MouseRig cheap(Variant::R210B, 1);
    const ApplyResult c = applyText(cheap.session, file);
    ASSERT_EQ(c.kind, ApplyResult::Kind::Done) << c.message;
    EXPECT_EQ(c.written.size(), r.written.size());
    EXPECT_NE(c.way.find("the button tables written whole, 32 reports instead of 134"), std::string::npos)
        << c.way;
    // The weights are the reports the trace shows.
    EXPECT_EQ(rig.reports() - cheap.reports(), 134u - 32u);
    EXPECT_EQ(cheap.writes(), (std::vector<std::string>{
                                  "set 40 07 01 f0 01 00 00 00 +37",
                                  "set 40 07 02 f0 01 00 00 00 +37",
                                  "set 40 05 00 3c 12 00 00 01",
                                  "set 40 05 00 3d 34 00 00 01",
                                  "set 40 05 00 3e 56 00 00 01",
                                  "set 40 05 00 3c 12 34 56 03",
                                  "set 40 05 00 2d 94 00 00 01",
                                  "set 40 05 00 a6 00 00 00 01",
                                  "set 40 05 00 a6 01 00 00 01",
                                  "set 40 05 00 a6 02 00 00 01",
                                  "set 40 07 00 c0 00 93 00 00 +21",
                                  "set 40 07 01 e4 00 0c 00 00 +2",
                                  "set 40 05 00 a4 0f 00 00 01",
                                  "set 40 05 00 a4 00 00 00 01",
                              }));
    EXPECT_EQ(cheap.mouse.image(), rig.mouse.image());
}

TEST(SettingsPlan, WhatTheMouseCannotTakeIsFoundBeforeAnyWrite) {
    // A macro of 16 + 3 · delays + 5 + buttonEvents bytes: a key pressed and released around the
    // delays, then up to three one-byte mouse-button events, then the terminator.
    auto macroOf = [](const std::string& name, int delays, int buttonEvents) {
        std::string text = "macro = " + name + "\nrow = 1 A CODE:8204\n";
        for (int i = 0; i < delays; ++i) text += "row = 0 1\n";
        text += "row = 2 A CODE:0204\n";
        const char* const buttons[] = {"row = 1 LeftKey CODE:00A1\n", "row = 2 LeftKey CODE:0021\n",
                                       "row = 1 RightKey CODE:00A2\n"};
        for (int i = 0; i < buttonEvents; ++i) text += buttons[i];
        return text;
    };
    const std::string fits = "[macros]\n" + macroOf("A", 78, 0) + macroOf("B", 78, 2); // 255 + 257
    const std::string over = "[macros]\n" + macroOf("A", 78, 0) + macroOf("B", 78, 3); // 255 + 258
    std::string sixteen = "[macros]\n";
    for (int i = 0; i < 16; ++i) sixteen += "macro = M" + std::to_string(i) + "\n";

    const struct {
        const char* name;
        Variant variant;
        std::string text;
        int line;
        const char* says;
    } cases[] = {
        {"a profile without its left button", Variant::R210B, "[profile.1]\nbutton1 = Right Click\n", 2,
         "[profile.1] would keep no Left Click: Keep at least one left button"},
        {"profile 2 keeps a Fire Macro Key", Variant::R230B,
         "[profile.2]\nbutton1 = Key Off\nbutton12 = Key Off\n", 2, "no Left Click or Fire Macro Key"},
        {"a value for a level that is off", Variant::R210B, "[performance]\nlevels = 4\nlevel5 = 800\n", 3,
         "level 5 is off (levels = 4)"},
        {"a current level that is off", Variant::R210B, "[performance]\ncurrent-level = 7\n", 2,
         "level 7 is off (levels = 6)"},
        {"a sniper value without a sniper button", Variant::R210B, "[performance]\nsniper = 800\n", 2,
         "no button has the AIM Key function"},
        {"a macro the file and the mouse lack", Variant::R210B, "[combo-keys]\nkey3 = macro Gone\n", 2,
         "no macro named 'Gone'"},
        {"a name two functions share", Variant::R210B, "[profile.3]\nbutton7 = Stop\n", 2,
         "'Stop' names 2 functions (0300B700, 03022600)"},
        {"an LED type the mouse lacks", Variant::R230B, "[lighting]\nmode = 2\ntype = MCULED\n", 3,
         "the file is for MCULED LEDs; this R230B mouse's LEDs are RGB"},
        {"a mode the type lacks", Variant::R230B, "[lighting]\nmode = Rainbow\n", 2,
         "offer no mode 'Rainbow'"},
        {"an MCU LED speed", Variant::R210B, "[lighting]\nspeed = 9\n", 2, "whose speed is 1..8"},
        {"a brightness for RGB LEDs", Variant::R230B, "[lighting]\nbrightness = half\n", 2,
         "only MCU LEDs have a brightness"},
        {"a 513-byte macro set", Variant::R210B, over, 2 + 81, "the macros take 513 bytes"},
        {"a sixteenth macro", Variant::R210B, sixteen, 17, "at most 15 macros"},
        {"a slot's continue switch with no button on the slot", Variant::R210B,
         "[fire]\nslot2-repeat = 4\nslot2-continue = yes\n", 3, "no button fires with fire-key slot 2"},
        {"a file of the other variant", Variant::R230B,
         "[mouse]\nvariant = R210B\n[fire]\nslot1-repeat = 4\n", 2,
         "variant: the file is for an R210B mouse; this mouse is an R230B"},
        {"a fire macro moved past its range", Variant::R210B,
         "[fire]\nfire-macro2-y = 120\nfire-macro2-y-offset = 8\n", 2,
         "fire-macro2-y 120 with its offset 8 leaves -128..127"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MouseRig rig(c.variant, 1);
        const SettingsPlan plan = planSettings(parseSettings(c.text), rig.session);
        ASSERT_EQ(plan.problems.size(), 1u) << problemsOf(plan);
        EXPECT_EQ(plan.problems[0].line, c.line);
        EXPECT_NE(plan.problems[0].message.find(c.says), std::string::npos) << plan.problems[0].message;
    }
    // The largest set that fits: 512 bytes.
    MouseRig rig(Variant::R210B, 1);
    const ApplyResult r = applyText(rig.session, fits);
    EXPECT_EQ(r.kind, ApplyResult::Kind::Done) << r.message;
    EXPECT_EQ(rig.session.macros().deviceMacros().totalLength(), 512u);
}

TEST(SettingsPlan, EveryExportDiffsCleanAndAppliesToAFreshMouse) {
    // Two macros of one name, as a block imported from a file may hold them; a button runs the second.
    auto twoOfOneName = [](Variant v) {
        SimulatedMouse::Image image = SessionRig(v).session.defaults().image(v, 1);
        DeviceMacroTable table;
        for (std::uint8_t key : {0x04, 0x05}) {
            DeviceMacro m;
            m.name = macroNameBytes("AB");
            m.events = {macro::kKeyDown, key, macro::kKeyUp, key, macro::kEnd};
            table.append(std::move(m));
        }
        const auto block = table.pack();
        std::copy(block->begin(), block->end(), image.begin() + image::kMacroOffset);
        const auto code = runMacroCode(table.entries()[1].startAddress);
        std::copy(code.begin(), code.end(), image.begin() + codes::buttonOffset(1, 5));
        storeSectionChecksum(std::span(image).subspan(image::profileOffset(1), image::kProfileLength));
        return image;
    };
    const struct {
        const char* name;
        Variant variant;
        std::function<void(Session&)> prepare;
        SimulatedMouse::Image image;
    } cases[] = {
        {"the level count lowered below the current level", Variant::R210B,
         [](Session& s) { EXPECT_FALSE(s.apply(s.dpi().setCount(1)).writeFailed()); },
         SessionRig(Variant::R210B).session.defaults().image(Variant::R210B, 1)},
        {"two macros of one name", Variant::R230B, [](Session&) {}, twoOfOneName(Variant::R230B)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MouseRig source(c.variant, c.image);
        c.prepare(source.session);
        MouseRig reread(c.variant, source.mouse.image());
        const std::string text = exported(reread.session);

        const SettingsPlan same = planSettings(parseSettings(text), reread.session);
        EXPECT_EQ(problemsOf(same), "");
        EXPECT_TRUE(same.changes.empty());

        MouseRig fresh(c.variant, 1);
        const ApplyResult r = applyText(fresh.session, text);
        ASSERT_EQ(r.kind, ApplyResult::Kind::Done) << r.message;
        MouseRig after(c.variant, fresh.mouse.image());
        EXPECT_EQ(exported(after.session), text);
    }
}

TEST(SettingsPlan, MacrosTheFileKeepsStayOnTheButtonsItLeavesOut) {
    MouseRig rig(Variant::R210B, 1);
    ASSERT_EQ(applyText(rig.session, "[macros]\nmacro = A\nrow = 0 5\nmacro = B\nrow = 0 6\n"
                                     "[profile.3]\nbutton10 = macro B\n[combo-keys]\nkey9 = macro A\n")
                  .kind,
              ApplyResult::Kind::Done);
    const std::string b = rig.session.assignments().code(3, 10);
    // A goes: B moves to slot 0, and the buttons that ran it follow it there.
    const SettingsPlan plan = planSettings(parseSettings("[macros]\nmacro = B\nrow = 0 6\n"), rig.session);
    EXPECT_EQ(problemsOf(plan), "");
    ASSERT_EQ(applySettings(plan, rig.session).kind, ApplyResult::Kind::Done);
    EXPECT_NE(rig.session.assignments().code(3, 10), b);
    EXPECT_EQ(rig.session.assignments().code(3, 10),
              codeText(runMacroCode(rig.session.macros().deviceMacros().entries()[0].startAddress)));
    EXPECT_EQ(rig.session.assignments().comboCode(9), "00000000") << "A's button has nothing to run";
}

TEST(SettingsPlan, SaveAndLoadTellSettingsFilesByTheirName) {
    test::ScratchDir dir;
    MouseRig rig(Variant::R210B, 1);
    ImageOperations operations(rig.session, rig.ui);
    ProfileFiles files(rig.session, operations, rig.ui);
    auto chosen = [](std::string path) { return [path] { return std::optional<std::string>(path); }; };

    EXPECT_EQ(files.save(chosen(dir.file("a.INI"))), OperationResult::Done);
    const auto text = readSettingsText(dir.file("a.INI"));
    ASSERT_TRUE(text);
    EXPECT_TRUE(text.value->starts_with("; KRM mouse settings of an R210B mouse with MCULED LEDs"))
        << *text.value;
    EXPECT_EQ(files.save(chosen(dir.file("image"))), OperationResult::Done);
    EXPECT_TRUE(readProfileFile(dir.file("image.bin"))) << "any other name is a profile image, as before";
    EXPECT_FALSE(readSettingsText(dir.file("image.bin"))) << "an image is no settings file";

    // A file with problems is refused in one message that lists them; nothing is sent.
    test::putFile(dir.file("bad.ini"), std::vector<std::uint8_t>{'[', 'x', ']', '\n'});
    rig.ui.clear();
    rig.clearTrace();
    EXPECT_EQ(files.load(chosen(dir.file("bad.ini"))), OperationResult::FileRefused);
    ASSERT_EQ(rig.ui.messages().size(), 1u);
    EXPECT_NE(rig.ui.messages()[0].find("was not applied; nothing was sent:\nline 1: unknown section [x]"),
              std::string::npos)
        << rig.ui.messages()[0];
    EXPECT_TRUE(rig.writes().empty());

    const std::string edited = "[lighting]\ncolour4 = #abcdef\n";
    test::putFile(dir.file("b.ini"), std::vector<std::uint8_t>(edited.begin(), edited.end()));
    EXPECT_EQ(files.load(chosen(dir.file("b.ini"))), OperationResult::Done);
    EXPECT_EQ(rig.session.lighting().tableColour(4), (Rgb{0xAB, 0xCD, 0xEF}));
    EXPECT_EQ(rig.writes().size(), 4u);
}

} // namespace krm
