#include "companion/ProfileRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace krm {

using test::ScratchDir;

TEST(ProfileRules, PatternsMatchNamesAndPaths) {
    const ProgramInfo native{10, "/home/ann/Games/Factorio/bin/x64/factorio", "./factorio"};
    const ProgramInfo wine{11, "/usr/lib/wine/wine64-preloader", "C:\\Games\\Quake\\QuakeLive.exe"};
    const ProgramInfo proton{12, "/home/ann/.steam/proton/files/bin/wine64-preloader",
                             "Z:\\home\\ann\\Games\\Witcher3\\bin\\witcher3.exe"};
    const ProgramInfo nameless{13, "", ""};
    const struct {
        const char* name;
        const char* pattern;
        const ProgramInfo& program;
        bool matches;
    } cases[] = {
        {"file name", "factorio", native, true},
        {"file name in another case", "Factorio", native, true},
        {"a name is the whole file name", "factor", native, false},
        {"star in a name", "fact*", native, true},
        {"question mark stands for one character", "factori?", native, true},
        {"question mark needs its character", "factorio?", native, false},
        {"the directory is not part of the name", "x64", native, false},
        {"path pattern", "/home/*/Games/*", native, true},
        {"star in a path crosses folders", "/home/*/factorio", native, true},
        {"path pattern counts letter case", "/home/*/games/*", native, false},
        {"path pattern must match from the root", "/Games/*", native, false},
        {"Wine game by its .exe name from the command line", "quakelive.exe", wine, true},
        {"Wine game by a name pattern", "Quake*.exe", wine, true},
        {"Wine's loader by its own name", "wine64-preloader", wine, true},
        {"Proton game", "witcher3.exe", proton, true},
        {"a path pattern looks at the executable, not the command line", "/home/*/witcher3.exe", proton,
         false},
        {"a program whose executable cannot be read matches nothing", "*", nameless, false},
        {"star alone matches any program", "*", native, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ((ProfileRule{c.pattern, 2}.matches(c.program)), c.matches);
    }
}

TEST(ProfileRules, APatternForAProgramNamesWhatItRuns) {
    EXPECT_EQ(patternFor({1, "/usr/games/quakespasm", "quakespasm"}), "quakespasm");
    EXPECT_EQ(patternFor({2, "/usr/lib/wine/wine64-preloader", "C:\\Games\\QuakeLive.exe"}), "QuakeLive.exe");
    EXPECT_EQ(patternFor({3, "/usr/lib/wine/wine64-preloader", "C:\\windows\\system32\\services"}),
              "wine64-preloader");
    EXPECT_EQ(patternFor({4, "", "steam"}), "steam");
    // What it writes matches the program it was made for.
    const ProgramInfo proton{5, "/home/a/.steam/proton/bin/wine64-preloader", "Z:\\home\\a\\Game.exe"};
    EXPECT_TRUE((ProfileRule{patternFor(proton), 2}.matches(proton)));
}

TEST(ProfileRules, FileFormatWithProblemsByLine) {
    const auto rules = ProfileRules::parse("# my games\n"
                                           "[Default]\n"
                                           "Profile = 3   ; for the others\n"
                                           "\n"
                                           "[Rules]\n"
                                           "hl2_linux = 2 # Half-Life 2, a=b\n"
                                           "; old: csgo = 1\n"
                                           "  /opt/games/*/bin/* = 1  \n"
                                           "quake = 4\n"
                                           "doom\n"
                                           "= 2\n"
                                           "[Colours]\n"
                                           "red = 1\n"
                                           "[Rules]\n"
                                           "a=b = 3\n");
    EXPECT_EQ(rules.defaultProfile(), 3);
    ASSERT_EQ(rules.rules().size(), 3u);
    EXPECT_EQ(rules.rules()[0].pattern, "hl2_linux");
    EXPECT_EQ(rules.rules()[0].profile, 2);
    EXPECT_EQ(rules.rules()[1].pattern, "/opt/games/*/bin/*");
    EXPECT_EQ(rules.rules()[1].profile, 1);
    EXPECT_EQ(rules.rules()[2].pattern, "a=b");
    EXPECT_EQ(rules.problems(),
              (std::vector<std::string>{
                  "line 9: '4' is no profile (1, 2 or 3)", "line 10: 'doom' has no '= PROFILE'",
                  "line 11: a rule needs a program name or path before '='",
                  "line 12: [colours] is not a section of this file ([Default], [Rules])"}));

    const auto noDefault = ProfileRules::parse("game = 2\n[Rules]\n");
    EXPECT_EQ(noDefault.defaultProfile(), 1);
    EXPECT_TRUE(noDefault.empty());
    EXPECT_EQ(noDefault.problems(), (std::vector<std::string>{"line 1: rules go below a [Rules] line"}));
}

TEST(ProfileRules, FirstRuleInFileOrderWins) {
    const auto rules = ProfileRules::parse("[Rules]\nquake* = 3\n*.exe = 2\n");
    const std::vector<ProgramInfo> running = {{5, "/usr/bin/wine", "C:\\x\\tool.exe"},
                                              {9, "/usr/bin/quakespasm", "quakespasm"}};
    const auto m = rules.match(running);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->rule, 0u);
    EXPECT_EQ(m->program.pid, 9);
    EXPECT_FALSE(rules.match(std::vector<ProgramInfo>{{7, "/usr/bin/bash", "bash"}}));
}

TEST(ProfileRules, EditsKeepWhatTheUserWrote) {
    auto rules = ProfileRules::parse("# my games\n[Rules]\nhl2_linux = 2\nbroken line\n"
                                     "; keep me\ndoom = 3 # the 2016 one\n");
    EXPECT_TRUE(rules.add({"Game.exe", 3}));
    EXPECT_TRUE(rules.add({"doom", 2})); // the same pattern: changed in its place
    EXPECT_TRUE(rules.setProfile(1, 1));
    EXPECT_FALSE(rules.setProfile(1, 0));
    EXPECT_TRUE(rules.remove(0));
    EXPECT_TRUE(rules.setDefault(2));
    EXPECT_FALSE(rules.add({"quake", 4}));
    EXPECT_FALSE(rules.add({"[Rules]", 1}));
    EXPECT_FALSE(rules.add({"two\nlines", 1}));
    EXPECT_FALSE(rules.remove(5));
    EXPECT_EQ(
        rules.text(),
        "[Default]\nProfile = 2\n\n# my games\n[Rules]\nbroken line\n; keep me\ndoom = 1 # the 2016 one\n"
        "Game.exe = 3\n");
    // What was written reads back as the same rules.
    const auto again = ProfileRules::parse(rules.text());
    EXPECT_EQ(again.defaultProfile(), 2);
    ASSERT_EQ(again.rules().size(), 2u);
    EXPECT_EQ(again.rules()[0].pattern, "doom");
    EXPECT_EQ(again.rules()[1].pattern, "Game.exe");

    auto empty = ProfileRules::parse("");
    EXPECT_TRUE(empty.add({"quake", 3}));
    EXPECT_TRUE(empty.setDefault(1));
    EXPECT_TRUE(empty.setDefault(3));
    EXPECT_EQ(empty.text(), "[Default]\nProfile = 3\n\n[Rules]\nquake = 3\n");
}

TEST(ProfileRules, FileIsReadAgainWhenItChangesAndWrittenWhole) {
    ScratchDir dir;
    RulesFile file(dir.file("krm/profiles.ini"));
    EXPECT_TRUE(file.refresh()); // missing: no rules, no error
    EXPECT_TRUE(file.rules().empty());
    EXPECT_TRUE(file.error().empty());
    EXPECT_FALSE(file.refresh());

    auto rules = file.rules();
    ASSERT_TRUE(rules.add({"quake", 3}));
    ASSERT_FALSE(file.save(rules)); // the folder is made
    EXPECT_EQ(file.rules().rules().size(), 1u);
    EXPECT_FALSE(file.refresh());

    std::ofstream(file.path(), std::ios::app) << "doom = 2\n";
    std::filesystem::last_write_time(file.path(),
                                     std::filesystem::last_write_time(file.path()) + std::chrono::seconds(1));
    EXPECT_TRUE(file.refresh());
    EXPECT_EQ(file.rules().rules().size(), 2u);

    std::filesystem::remove(file.path());
    std::filesystem::create_directory(file.path());
    EXPECT_TRUE(file.refresh());
    EXPECT_TRUE(file.rules().empty());
    EXPECT_NE(file.error().find("Cannot open file"), std::string::npos);
    const auto refused = file.save(rules);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message.find("not a regular file"), std::string::npos);
}

} // namespace krm
