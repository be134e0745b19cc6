#include "companion/ProfileRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>

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

    // Turned into a folder: the rules read before stay in force, and what is wrong is said once.
    std::filesystem::remove(file.path());
    std::filesystem::create_directory(file.path());
    EXPECT_TRUE(file.refresh());
    EXPECT_EQ(file.rules().rules().size(), 2u);
    EXPECT_NE(file.error().find("Cannot open file"), std::string::npos);
    EXPECT_NE(file.error().find("The rules read before stay."), std::string::npos);
    std::ofstream(file.path() + "/inside") << "x"; // the folder changes, the problem does not
    EXPECT_FALSE(file.refresh());
    const auto refused = file.save(rules);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message.find("not a regular file"), std::string::npos);
}

TEST(ProfileRules, ByteOrderMarkAndLineEndsOfOtherEditorsAreTakenAndKept) {
    auto rules =
        ProfileRules::parse("\xEF\xBB\xBF[Rules]\r\nquake = 3\r\n# a comment\r\ndoom = 2 ; the 2016 one\r\n");
    EXPECT_TRUE(rules.problems().empty()) << rules.problems().front();
    ASSERT_EQ(rules.rules().size(), 2u);
    EXPECT_EQ(rules.rules()[0].pattern, "quake");
    EXPECT_EQ(rules.rules()[1].pattern, "doom");
    ASSERT_TRUE(rules.setProfile(0, 1));
    ASSERT_TRUE(rules.add({"hl2_linux", 2}));
    EXPECT_EQ(
        rules.text(),
        "\xEF\xBB\xBF[Rules]\r\nquake = 1\r\n# a comment\r\ndoom = 2 ; the 2016 one\r\nhl2_linux = 2\r\n");
    // What a line holds is quoted with whatever a terminal would act on escaped.
    EXPECT_EQ(ProfileRules::parse("[Rules]\ngame = \x1B]0;x\x07\n").problems(),
              (std::vector<std::string>{"line 2: '\\x1B]0;x\\x07' is no profile (1, 2 or 3)"}));
    EXPECT_EQ(ProfileRules::parse("[R\x1B[2Jules]\n").problems(),
              (std::vector<std::string>{
                  "line 1: [r\\x1B[2jules] is not a section of this file ([Default], [Rules])"}));
}

TEST(ProfileRules, TheFileIsWatchedAsEditorsChangeIt) {
    ScratchDir dir;
    const std::string path = dir.file("config/krm/profiles.ini");
    RulesFile file(path);
    ASSERT_GE(file.changeDescriptor(), 0);
    // Whether the descriptor says so (at once: the kernel's event, no clock) and the change is the file's.
    auto told = [&file] {
        pollfd p{file.changeDescriptor(), POLLIN, 0};
        return ::poll(&p, 1, 2000) == 1 && file.takeChanges();
    };
    auto write = [](const std::string& at, const std::string& text) { std::ofstream(at) << text; };
    const std::string other = dir.file("dotfiles/profiles.ini");
    std::filesystem::create_directories(dir.file("dotfiles"));
    write(other, "[Rules]\nquake = 2\n");
    const struct {
        const char* name;
        std::function<void()> edit;
        bool concerns;
    } steps[] = {
        {"the folders and the file made",
         [&] {
             std::filesystem::create_directories(dir.file("config/krm"));
             write(path, "[Rules]\nquake = 3\n");
         },
         true},
        {"edited in place", [&] { write(path, "[Rules]\nquake = 1\n"); }, true},
        {"another file of the folder", [&] { write(dir.file("config/krm/companion.ini"), "x"); }, false},
        {"replaced by a new file",
         [&] {
             write(path + ".new", "[Rules]\nquake = 2\n");
             std::filesystem::rename(path + ".new", path);
         },
         true},
        {"made unreadable", [&] { std::filesystem::permissions(path, std::filesystem::perms::none); }, true},
        {"replaced by a link to a file kept elsewhere",
         [&] {
             std::filesystem::remove(path);
             std::filesystem::create_symlink(other, path);
         },
         true},
        {"the linked file edited", [&] { write(other, "[Rules]\nquake = 1\n"); }, true},
        {"removed", [&] { std::filesystem::remove(path); }, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.edit();
        EXPECT_EQ(told(), step.concerns);
    }
}

} // namespace krm
