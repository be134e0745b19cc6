#include "buttons/FunctionCodes.h"
#include "buttons/FunctionCatalogue.h"
#include "FakeTexts.h"
#include "image/FunctionCode.h"
#include "shell/LanguageTables.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace krm {
namespace {

// Fire keys 3/60, 5/60, 8/60; two device macros at 0x0200 and 0x0228; no gun-key list file.
EditorState namingState() {
    EditorState s;
    s.deviceMacros[0] = {true, 0x0200, "First"};
    s.deviceMacros[1] = {true, 0x0228, "Second"};
    return s;
}

struct NamingCase {
    const char* code;
    const char* name;
    std::function<void(EditorState&)> setup = {};
    std::function<void(const EditorState&)> check = {};
};

TEST(FunctionCodeName, NamesCodesByTheFirstMatchingRule) {
    const test::FakeTexts texts;
    const std::vector<NamingCase> cases = {
        {"", ""},
        {"0E00", ""},
        {"00000000", "Key Off"},
        {"01040002", "Middle Click"},
        {"01080002", "Backward"},
        {"01010001", ""},
        {"05030000", "AIM Key"},
        {"05FF1234", "AIM Key"},
        {"0692003C", "Fire Key1", [](EditorState& s) { s.fireKeys[0].continueBox = false; },
         [](const EditorState& s) { EXPECT_TRUE(s.fireKeys[0].continueBox); }},
        {"0612003C", "Fire Key1", [](EditorState& s) { s.fireKeys[0].continueBox = true; },
         [](const EditorState& s) { EXPECT_FALSE(s.fireKeys[0].continueBox); }},
        {"0692003C", "Fire Key1", [](EditorState& s) { s.fireChangeInProgress = true; },
         [](const EditorState& s) { EXPECT_FALSE(s.fireKeys[0].continueBox); }},
        {"0694003C",
         "Fire Key2",
         {},
         [](const EditorState& s) {
             EXPECT_TRUE(s.fireKeys[1].continueBox);
             EXPECT_FALSE(s.fireKeys[0].continueBox);
         }},
        // Two slots with the same count and interval are one slot to every code.
        {"0694003C", "Fire Key1",
         [](EditorState& s) {
             s.fireKeys[0] = {5, 60, false};
         }},
        {"0692003C", "",
         [](EditorState& s) {
             s.fireKeys[0] = {4, 60, false};
         }},
        {"07000000", "KB Switch Loop"},
        {"07D1F018", "Game Mode", [](EditorState& s) { s.profileColourItems[1] = 3; },
         [](const EditorState& s) { EXPECT_EQ(s.profileColourItems[1], kUserColourItem); }},
        {"07823018", "Third Mode", {}, [](const EditorState& s) { EXPECT_EQ(s.profileColourItems[2], 3); }},
        {"0780B000", "Office Mode", [](EditorState& s) { s.profileColourItems[0] = 7; },
         [](const EditorState& s) { EXPECT_EQ(s.profileColourItems[0], 7); }},
        {"07830000", ""},
        {"02000000", "User-defined"},
        {"02030604", "Ctrl+Shift+C+A"},
        {"02080700", "Desktop"},
        {"02080800", "Win+E"},
        {"020000E7", "Win"},
        {"100710FF", "Fire Macro Key", [](EditorState& s) { s.variant = Variant::R230B; }},
        {"1006A0FF", "Fire Macro Key"},
        {"107000FF", "Fire Macro Key"},
        {"10020000", "First"},
        {"10022800", "Second"},
        {"10020400", ""},
        {"10020000", "", [](EditorState& s) { s.deviceMacros[0].present = false; }},
        {"10022800", "Later",
         [](EditorState& s) {
             s.deviceMacros[4] = {true, 0x0228, "Later"};
         }},
        {"0B150208", "5.56 Fire"},
        {"0B170308", "7.62 Fire"},
        {"0B060100", ""},
        {"0B8F0000", "Fire Macro Off"},
        {"0B150208", "5.56 Fire", [](EditorState& s) { s.gunKeys.fileFound = true; }},
        {"0B150208", "Fire Macro4",
         [](EditorState& s) {
             s.gunKeys.fileFound = true;
             s.gunKeys.entries[1] = {0x0B, 0x15, 0x02, 0x00};
             s.gunKeys.entries[3] = {0x0B, 0x15, 0x02, 0x08};
         }},
        {"0C000000", "Report Rate"},
        {"09020008", "DPI Down"},
        {"09030000", ""},
        {"0A010000", "Adjust XY Switch"},
        {"0300E900", "Volume Up"},
        {"0300E901", ""},
        {"0D000000", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        auto state = namingState();
        if (c.setup) c.setup(state);
        EXPECT_EQ(functionCodeName(c.code, texts, state), c.name);
        if (c.check) c.check(state);
    }
}

TEST(FunctionCodeForTag, BuildsCodesFromTheEditorSettings) {
    struct Case {
        int tag;
        bool combo;
        const char* code;
        std::function<void(EditorState&)> setup = {};
    };
    const std::vector<Case> cases = {
        {0, false, "00000000"},
        {1007, false, "00000000"},
        {9999, false, ""},
        {902, false, "01040008", [](EditorState& s) { s.comboEnable[int(ComboGroup::Middle)] = 4; }},
        {903, false, "01080080", [](EditorState& s) { s.comboEnable[int(ComboGroup::Backward)] = 8; }},
        {2002, false, "09020001", [](EditorState& s) { s.comboEnable[int(ComboGroup::DpiDown)] = 1; }},
        {1000, false, "050B0000", [](EditorState& s) { s.sniperLevel = 12; }},
        {1005, false, "100710FF"},
        {1005, false, "1006A0FF", [](EditorState& s) { s.variant = Variant::R230B; }},
        {2100, false, "0692003C", [](EditorState& s) { s.fireKeys[0].continueBox = true; }},
        {2102, false, "061EFFFF",
         [](EditorState& s) {
             s.fireKeys[2] = {15, 65535, false};
         }},
        {2301, false, "0781F000", [](EditorState& s) { s.profileSwitch.returnToZero = true; }},
        {2301, true, "07D1F018",
         [](EditorState& s) {
             s.profileSwitch = {true, false, true, 0x018};
             s.profileColourItems[1] = kUserColourItem;
         }},
        {2300, true, "07A0312C",
         [](EditorState& s) {
             s.profileSwitch = {false, true, false, 0x12C};
             s.profileColourItems[0] = 3;
         }},
        {2302, true, "0782F000",
         [](EditorState& s) {
             s.profileSwitch.switchOffset = 0;
             s.profileColourItems[2] = 2;
             s.ledTypeSync = true;
         }},
        {2303, true, "07000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        EditorState state;
        if (c.setup) c.setup(state);
        EXPECT_EQ(functionCodeForTag(c.tag, state, c.combo), c.code);
    }
}

TEST(FunctionCatalogue, EveryItemsCodeIsNamedAfterTheItem) {
    const test::FakeTexts texts;
    for (const auto variant : {Variant::R210B, Variant::R230B}) {
        for (const bool combo : {false, true}) {
            for (const auto& e : functionCatalogue()) {
                SCOPED_TRACE(e.tag);
                EditorState state;
                state.variant = variant;
                const auto code = functionCodeForTag(e.tag, state, combo);
                ASSERT_EQ(code.size(), 8u);
                EXPECT_EQ(functionCodeName(code, texts, state), texts.text(e.nameId));
                EXPECT_EQ(texts.text(e.nameId), e.englishName);
            }
        }
    }
}

TEST(FunctionCatalogue, InEveryShippedTableTheNamesTheRulesCompareNameOneFunctionEach) {
    // The left-button rule finds Left Click and the Fire Macro Key, the mode-switch toggles their
    // mouse and DPI keys and the gun toggle the guns by comparing key captions with these texts of the
    // active table; a second function with the same text in a table would pass for the first one.
    constexpr std::array<std::string_view, 8> kCompared{"Str210", "Str212", "Str213", "Str214",
                                                        "Str221", "Str222", "Str223", "Str265"};
    struct Function {
        std::string code;
        std::string_view nameId;
    };
    EditorState state;
    std::vector<Function> functions;
    for (const auto& e : functionCatalogue())
        functions.push_back({functionCodeForTag(e.tag, state, false), e.nameId});
    for (const auto& gun : gunNames())
        for (const auto& p : gun.prefixes)
            functions.push_back({codeText(CodeBytes{p[0], p[1], p[2], 0}), gun.nameId});

    LanguageTables tables;
    for (int language = 1; language <= 3; ++language) {
        tables.setLanguage(language);
        for (const auto& f : functions) {
            SCOPED_TRACE("table " + std::to_string(language) + ", " + f.code);
            const std::string name = functionCodeName(f.code, tables, state);
            ASSERT_EQ(name, tables.text(f.nameId));
            for (const std::string_view id : kCompared)
                EXPECT_EQ(name == tables.text(id), f.nameId == id) << name << " against " << id;
            EXPECT_EQ(isGunOrFireMacroName(name, tables), f.nameId.starts_with("Str60")) << name;
        }
    }
}

} // namespace
} // namespace krm
