// Every krmctl command that edits the mouse, against a mouse that refuses the write, stops answering
// fetches or goes away right after it was read: the command either exits 0 with the mouse changed as
// in a clean run, or fails with a message and no success line, and then the mouse keeps what it held
// unless the message says a part of the change may have reached it.

#include "CtlRun.h"

#include "macros/MacroEvents.h"
#include "macros/MacroLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace krm::test {

namespace {

struct Edit {
    std::vector<std::string> args;
    const char* variant = "R210B";
};

// One run on a fresh copy of `base`.
CtlResult runOn(const std::string& base, const std::string& mouse, const Edit& e,
                const std::vector<std::string>& extra) {
    std::filesystem::copy_file(base, mouse, std::filesystem::copy_options::overwrite_existing);
    std::vector<std::string> args = {std::string("--simulate=") + e.variant, "--sim-image", mouse};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), e.args.begin(), e.args.end());
    return ctl(args);
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& a : args) text += (text.empty() ? "" : " ") + a;
    return text;
}

} // namespace

TEST(EditFaults, EveryEditExitsNonZeroWithoutASuccessLineWhenTheMouseDidNotTakeIt) {
    ScratchDir dir;
    ::setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    // The library holds two macros: the mouse is given the first, the command the second.
    {
        MacroLibrary library;
        ASSERT_TRUE(library.open(macroLibraryPath("")));
        const MacroRow rows[] = {MacroRow::keyEvent(0x82, 0x04), MacroRow::keyEvent(0x02, 0x04)};
        for (const char* name : {"Reload", "Burst"}) {
            ASSERT_TRUE(library.add(name));
            ASSERT_TRUE(library.setEvents(library.size() - 1, *compileMacroRows(rows, {})));
        }
    }
    // R210B: factory image 2 with a sniper button and one macro on the mouse; R230B: its image 2 (RGB).
    const std::string r210 = dir.file("r210.bin"), r230 = dir.file("r230.bin");
    ASSERT_EQ(ctl({"--sim-image", r210, "restore", "2"}).rc, 0);
    ASSERT_EQ(ctl({"--sim-image", r210, "assign", "1", "6", "05000000"}).rc, 0);
    ASSERT_EQ(ctl({"--sim-image", r210, "macro", "add", "Reload"}).rc, 0);
    ASSERT_EQ(ctl({"--simulate=R230B", "--sim-image", r230, "restore", "2"}).rc, 0);
    // A settings file that changes a colour (single writes) and a button (a profile rewrite).
    const std::string settings = dir.file("settings.ini");
    const std::string text = "[lighting]\ncolour2 = #000000\n[profile.3]\nbutton6 = Mute\n";
    putFile(settings, std::vector<std::uint8_t>(text.begin(), text.end()));

    const Edit edits[] = {
        {{"dpi", "set", "1", "200"}},
        {{"dpi", "current", "3"}},
        {{"dpi", "count", "4"}},
        {{"rate", "500"}},
        {{"sniper", "800"}},
        {{"assign", "1", "4", "01040000"}},
        {{"set-option", "cb_CPISet", "3"}},
        {{"set-option", "MaxShut", "11"}},
        {{"usb-name", "X"}},
        {{"xdata", "write", "7241", "01"}},
        {{"lighting", "mode", "3"}},
        {{"lighting", "colour", "2", "#000000"}},
        {{"lighting", "dpi-colour", "1", "#123456"}},
        {{"lighting", "speed", "3"}, "R230B"},
        {{"macro", "add", "Burst"}},
        {{"macro", "delete", "0"}},
        {{"fire", "slot", "1", "--repeat", "5", "--interval", "100"}},
        {{"gun", "3", "--macros", "1", "--button", "4"}},
        {{"apply", settings}},
    };
    const std::string mouse = dir.file("mouse.bin"), trace = dir.file("t.log");
    // The reports of opening, identifying and reading the mouse: a fault from there on meets the
    // command's own writes.
    std::filesystem::remove(trace);
    ASSERT_EQ(runOn(r210, mouse, {{"lighting"}}, {"--trace", trace}).rc, 0);
    const std::size_t connection = reportsIn(trace);

    for (const Edit& e : edits) {
        const std::string& base = std::string(e.variant) == "R230B" ? r230 : r210;
        const CtlResult clean = runOn(base, mouse, e, {});
        ASSERT_EQ(clean.rc, 0) << joined(e.args) << ": " << clean.err;
        const auto changed = fileBytes(mouse);
        if (e.args[0] != "xdata") { // XDATA is the running firmware's, not the image's
            EXPECT_TRUE(changed != fileBytes(base)) << joined(e.args) << " changes the mouse";
        }
        for (const char* kind : {"refuse-all", "fetch-fail", "vanish"}) {
            const std::string fault = std::string(kind) + "@" + std::to_string(connection);
            const std::string label = joined(e.args) + " with " + fault;
            const CtlResult r = runOn(base, mouse, e, {"--sim-fault", fault});
            if (r.rc == 0) {
                // Nothing the command needed met the fault.
                EXPECT_TRUE(fileBytes(mouse) == changed) << label;
                continue;
            }
            EXPECT_TRUE(r.rc == 5 || (r.rc == 2 && r.err.find("did not come back") != std::string::npos))
                << label << ": exit " << r.rc << "\n"
                << r.err;
            EXPECT_EQ(r.out, "") << label << ": a success line after a failure";
            EXPECT_NE(r.err, "") << label;
            const bool partSaid = r.err.find("may hold a part") != std::string::npos ||
                                  r.err.find("did not come back") != std::string::npos;
            if (!partSaid) {
                EXPECT_TRUE(fileBytes(mouse) == fileBytes(base)) << label << ": the mouse changed\n" << r.err;
            }
        }
    }
    ::unsetenv("XDG_DATA_HOME");
}

TEST(EditFaults, NoEditBuildsOnAnImageThatCannotBeTheMouses) {
    // From report 149 on the mouse answers with noise: the whole-image read comes back "whole" but
    // its patch code no longer adds up. Every edit refuses before its first write.
    ScratchDir dir;
    const std::string base = dir.file("base.bin"), mouse = dir.file("mouse.bin"), trace = dir.file("t.log");
    ASSERT_EQ(ctl({"--sim-image", base, "restore", "2"}).rc, 0);
    const std::string settings = dir.file("settings.ini");
    const std::string text = "[lighting]\ncolour2 = #000000\n";
    putFile(settings, std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::vector<std::string> edits[] = {{"gun", "1", "--macros", "1", "--button", "4"},
                                              {"apply", settings},
                                              {"assign", "1", "4", "01040000"},
                                              {"dpi", "set", "1", "200"},
                                              {"lighting", "mode", "3"},
                                              {"usb-name", "X"}};
    for (const auto& args : edits) {
        std::filesystem::copy_file(base, mouse, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(trace);
        std::vector<std::string> run = {"--sim-image", mouse, "--trace", trace, "--sim-fault", "garbage@149"};
        run.insert(run.end(), args.begin(), args.end());
        const CtlResult r = ctl(run);
        EXPECT_EQ(r.rc, 5) << joined(args);
        EXPECT_NE(r.err.find("cannot be its configuration"), std::string::npos)
            << joined(args) << ": " << r.err;
        EXPECT_EQ(r.out, "") << joined(args);
        EXPECT_TRUE(fileBytes(mouse) == fileBytes(base)) << joined(args);
        const std::string sent = readText(trace);
        EXPECT_EQ(sent.find("set 40 05"), std::string::npos) << joined(args);
        EXPECT_EQ(sent.find("set 40 07"), std::string::npos) << joined(args);
    }
}

} // namespace krm::test
