// krmctl export, diff and apply as a user runs them: a file exported, edited by hand, compared,
// applied and exported again; broken files refused with their line before anything is sent.

#include "CtlRun.h"

#include "support/TraceSummary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace krm::test {

namespace {

// The file's text from its first section on (the header carries the date).
std::string body(const std::string& text) {
    return text.substr(text.find("\n["));
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

void putText(const std::string& path, const std::string& text) {
    putFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// What changed the mouse in a trace file: single and block writes, restarts.
std::vector<std::string> writesIn(const std::string& traceFile) {
    return writesOf(commandSummary(traceLines(readText(traceFile))));
}

} // namespace

TEST(SettingsCommands, ExportEditDiffApplyExportAgain) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), a = dir.file("a.ini"), b = dir.file("b.ini"),
                      trace = dir.file("t.log");
    CtlResult r = ctl({"--sim-image", mouse, "export", a});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, a + ": the settings of the R210B mouse\n");
    const std::string exported = readText(a);
    EXPECT_TRUE(
        std::regex_search(exported, std::regex("^; KRM mouse settings of an R210B mouse with MCULED "
                                               "LEDs, exported \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d\n")))
        << exported;

    // Three settings edited by hand.
    std::string edited = replaced(exported, "level2 = 1600\n", "level2 = 2400\n");
    edited = replaced(edited, "colour3 = #ff7f7f\n", "colour3 = #0080ff\n");
    edited = replaced(edited, "slot2-interval = 60\n", "slot2-interval = 90\n");
    putText(a, edited);

    r = ctl({"--sim-image", mouse, "diff", a});
    EXPECT_EQ(r.rc, 1) << "diff exits 1 when the mouse differs: " << r.err;
    EXPECT_EQ(r.out, "[performance] level2: 1600 -> 2400\n"
                     "[lighting] colour3: #ff7f7f -> #0080ff\n"
                     "[fire] slot2-interval: 60 -> 90\n");

    r = ctl({"--sim-image", mouse, "--trace", trace, "apply", a});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "[lighting] colour3: #ff7f7f -> #0080ff\n"
                     "[fire] slot2-interval: 60 -> 90\n"
                     "[performance] level2: 1600 -> 2400\n" +
                         a + ": 3 settings written (control by control, as the pages write)\n");
    EXPECT_EQ(writesIn(trace), (std::vector<std::string>{
                                   "set 40 05 00 3f 00 00 00 01", // colour 3, red, green, blue
                                   "set 40 05 00 40 80 00 00 01",
                                   "set 40 05 00 41 ff 00 00 01",
                                   "set 40 05 00 3f 00 80 ff 03", // and the three at once
                                   "set 40 07 00 c0 00 93 00 00 +21",
                                   "set 40 07 01 e4 00 0c 00 00 +2", // the fire-key block
                                   "set 40 05 00 a4 0f 00 00 01",
                                   "set 40 05 00 a4 00 00 00 01",
                                   "set 40 05 00 2c 83 00 00 01", // levels 1 and 2
                                   "set 40 05 00 a6 00 00 00 01",
                                   "set 40 05 00 a6 01 00 00 01",
                               }));

    r = ctl({"--sim-image", mouse, "export", b});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(body(readText(b)), body(edited));

    // Again: the mouse matches, nothing is sent.
    std::filesystem::remove(trace);
    EXPECT_EQ(ctl({"--sim-image", mouse, "diff", a}).rc, 0);
    r = ctl({"--sim-image", mouse, "--trace", trace, "apply", a});
    EXPECT_EQ(r.out, a + ": the mouse matches it already; nothing was sent\n");
    EXPECT_TRUE(writesIn(trace).empty());
}

TEST(SettingsCommands, BrokenFilesAreRefusedWholeWithTheirLinesAndNothingIsSent) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), file = dir.file("f.ini"), trace = dir.file("t.log");
    ASSERT_EQ(ctl({"--sim-image", mouse, "info"}).rc, 0);
    const auto before = fileBytes(mouse);
    // Every case also asks for a change that is fine on its own: the file is refused whole.
    const std::string good = "[lighting]\ncolour1 = #000000\n";
    const struct {
        const char* name;
        std::string text;
        int rc;
        const char* says;
    } cases[] = {
        {"unknown key", good + "[fire]\nslot1-repeet = 4\n", 3,
         "f.ini:4: unknown key 'slot1-repeet' in [fire]"},
        {"bad value", good + "[performance]\nreport-rate = 300\n", 3, "f.ini:4: report-rate: '300' is not a"},
        {"out of range", good + "[performance]\nlevels = 0\n", 3, "f.ini:4: levels: '0' is not a level 1..8"},
        {"duplicate section", good + "[performance]\nlevels = 5\n[lighting]\n", 3,
         "f.ini:5: [lighting] appears twice (first on line 1)"},
        {"a rule of the key page", good + "[profile.1]\nbutton1 = Middle Click\n", 4,
         "f.ini:4: [profile.1] would keep no Left Click: Keep at least one left button"},
        {"a type the mouse lacks", good + "type = RGB\n", 4,
         "f.ini:3: type: the file is for RGB LEDs; this R210B mouse's LEDs are MCULED"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        putText(file, c.text);
        for (const char* command : {"apply", "diff"}) {
            std::filesystem::remove(trace);
            const CtlResult r = ctl({"--sim-image", mouse, "--trace", trace, command, file});
            EXPECT_EQ(r.rc, c.rc) << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
            EXPECT_TRUE(writesIn(trace).empty());
            EXPECT_EQ(r.out, "");
        }
    }
    EXPECT_EQ(fileBytes(mouse), before);

    // --dry-run judges and lists, and sends nothing either.
    putText(file, good);
    std::filesystem::remove(trace);
    const CtlResult r = ctl({"--sim-image", mouse, "--trace", trace, "apply", "--dry-run", file});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "[lighting] colour1: #ff7f00 -> #000000\n" + file +
                         ": 1 setting would change; nothing was sent (--dry-run)\n");
    EXPECT_TRUE(writesIn(trace).empty());
    EXPECT_EQ(fileBytes(mouse), before);
}

// Characters a terminal acts on: ESC, the C1 controls, BEL and the like. Messages must not hold any.
bool holdsControls(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F)
            return true;
    }
    return false;
}

TEST(SettingsCommands, HandEditedFilesAreReadAsTheyWereMeantAndRefusedOnesSendNothing) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), file = dir.file("f.ini"), trace = dir.file("t.log");
    ASSERT_EQ(ctl({"--sim-image", mouse, "export", dir.file("export.ini")}).rc, 0);
    const std::string exported = readText(dir.file("export.ini"));
    // The export as a Windows editor saves it: a byte-order mark, CRLF line ends, '#' comments added.
    std::string windows = "\xEF\xBB\xBF# my mouse, kept in git\r\n";
    for (std::size_t at = 0; at < exported.size();) {
        const std::size_t nl = exported.find('\n', at);
        std::string line = exported.substr(at, nl - at);
        if (line == "report-rate = 1000") line += "   # the mouse's own";
        windows += line + "\r\n";
        at = nl + 1;
    }
    const std::string black = "[lighting]\ncolour1 = #000000\n";
    const struct {
        const char* name;
        std::string text;
        int rc;
        const char* says; // in what it prints (either stream)
        std::vector<std::string> writes;
    } cases[] = {
        {"the export from a Windows editor", windows, 0, "the mouse matches it already", {}},
        {"a byte-order mark",
         "\xEF\xBB\xBF" + black,
         0,
         "1 setting written",
         {"set 40 05 00 39 00 00 00 01", "set 40 05 00 3a 00 00 00 01", "set 40 05 00 3b 00 00 00 01",
          "set 40 05 00 39 00 00 00 03"}},
        {"CRLF line ends",
         "[lighting]\r\ncolour1 = #000000\r\n",
         0,
         "1 setting written",
         {"set 40 05 00 39 00 00 00 01", "set 40 05 00 3a 00 00 00 01", "set 40 05 00 3b 00 00 00 01",
          "set 40 05 00 39 00 00 00 03"}},
        {"'#' comments",
         "# mine\n[lighting]  # the LEDs\ncolour1 = #000000   # black\n",
         0,
         "1 setting written",
         {"set 40 05 00 39 00 00 00 01", "set 40 05 00 3a 00 00 00 01", "set 40 05 00 3b 00 00 00 01",
          "set 40 05 00 39 00 00 00 03"}},
        {"numbers with leading zeros, one rule for all",
         "[performance]\nlevels = 06\nlevel2 = 02400\n",
         0,
         "[performance] level2: 1600 -> 2400",
         {"set 40 05 00 2c 83 00 00 01", "set 40 05 00 a6 00 00 00 01", "set 40 05 00 a6 01 00 00 01"}},
        {"a last line cut short",
         "[fire]\nslot1-interval = 6",
         0,
         "f.ini:2: the file ends inside this line, with no line end after 'slot1-interval = 6'",
         {"set 40 07 00 c0 00 93 00 00 +21", "set 40 07 01 e4 00 0c 00 00 +2", "set 40 05 00 a4 0f 00 00 01",
          "set 40 05 00 a4 00 00 00 01"}},
        {"terminal escapes in a line",
         "[lighting]\ncolour1 = \x1B]0;owned\x07\x1B[2J\xC2\x9B"
         "31m\n",
         3,
         "colour1: '\\x1B]0;owned\\x07\\x1B[2J\\u009B31m' is not a colour",
         {}},
        {"terminal escapes in a key", "[lighting]\n\x1B[2Jspeed = 2\n", 3, "unknown key '\\x1B[2Jspeed'", {}},
        {"noise",
         "\x01\x02\x1B\x7F\xFF\xFE\n\x9B\x1B[1;31m\n",
         3,
         "'\\x01\\x02\\x1B\\x7F\\xFF\\xFE' is neither",
         {}},
        {"a file for the other variant",
         "[mouse]\nvariant = R230B\n" + black,
         4,
         "f.ini:2: variant: the file is for an R230B mouse; this mouse is an R210B",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::copy_file(dir.file("mouse.bin"), dir.file("before.bin"),
                                   std::filesystem::copy_options::overwrite_existing);
        putText(file, c.text);
        std::filesystem::remove(trace);
        const CtlResult r = ctl({"--sim-image", mouse, "--trace", trace, "apply", file});
        EXPECT_EQ(r.rc, c.rc) << r.err;
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
        EXPECT_FALSE(holdsControls(r.out + r.err)) << r.err;
        EXPECT_EQ(writesIn(trace), c.writes);
        if (c.rc != 0) {
            EXPECT_EQ(fileBytes(mouse), fileBytes(dir.file("before.bin")))
                << "a refused file changes nothing";
            EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
        }
        // Back to where the next case starts.
        std::filesystem::copy_file(dir.file("before.bin"), mouse,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

TEST(SettingsCommands, DiffExitsOneOnlyForADifference) {
    ScratchDir dir;
    const std::string mouse = dir.file("mouse.bin"), same = dir.file("same.ini"),
                      other = dir.file("other.ini");
    ASSERT_EQ(ctl({"--sim-image", mouse, "export", same}).rc, 0);
    putText(other, "[lighting]\ncolour1 = #000000\n");
    putText(dir.file("broken.ini"), "[lighting]\ncolour1 = black\n");
    const struct {
        std::vector<std::string> args;
        int rc;
    } cases[] = {
        {{"diff", same}, ctl::kOk},
        {{"diff", other}, ctl::kDiffers},
        {{"diff"}, ctl::kUsage},
        {{"diff", same, other}, ctl::kUsage},
        {{"diff", "--color", same}, ctl::kUsage},
        {{"diff", dir.file("missing.ini")}, ctl::kBadFile},
        {{"diff", dir.file("broken.ini")}, ctl::kBadFile},
        {{"--simulate=R230B", "diff", same}, ctl::kRefused},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--sim-image",
                                         c.args.front() == "--simulate=R230B" ? dir.file("r230.bin") : mouse};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CtlResult r = ctl(args);
        EXPECT_EQ(r.rc, c.rc) << c.args.back() << ": " << r.err;
    }
    EXPECT_NE(ctl::kUsage, ctl::kDiffers);
}

} // namespace krm::test
