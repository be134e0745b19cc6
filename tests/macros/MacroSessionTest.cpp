// A recorded macro goes to the simulated mouse and onto a button, and comes back on the next read.

#include "macros/MacroRecorder.h"
#include "session/MainPageCode.h"
#include "support/SessionRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace krm {
namespace {

TEST(MacroSession, ARecordedMacroIsWrittenAssignedAndReadBack) {
    test::SessionRig rig;
    ASSERT_TRUE(rig.session.connectNow());
    const auto dir = std::filesystem::temp_directory_path() / "krm-macro-session";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    MacroEditor& macros = rig.session.macros();
    ASSERT_TRUE(macros.openLibrary((dir / "lib.bin").string()));

    ScriptedInputCapture capture;
    MacroRecorder recorder;
    recorder.start(DelayMode::None, 1);
    std::string error;
    ASSERT_TRUE(capture.start([&](const InputEvent& e) { recorder.feed(e); }, error));
    InputEvent down{InputEvent::Kind::KeyDown, 0x41, {}, 0, false, false};
    InputEvent up = down;
    up.kind = InputEvent::Kind::KeyUp;
    capture.play({down, up});
    capture.stop();
    ASSERT_TRUE(macros.library().add("Reload"));
    ASSERT_TRUE(
        macros.library().setEvents(0, *compileMacroRows(recorder.rows(), {RepeatOption::Kind::Cycles, 3})));

    rig.clearTrace();
    EXPECT_FALSE(rig.session.apply(macros.addToMouse(0)).refused);
    const auto writes = test::commandSummary(rig.lines());
    // Every block is read back after it went out; the macro block, which carries the other macros of
    // the last read, is read again before its first write.
    EXPECT_EQ(writes,
              (std::vector<std::string>{"set 40 07 00 c0 00 93 00 00 +21", "set 40 09 00 c0 00 93 00 00",
                                        "set 40 09 01 f0 02 00 00 00", "set 40 07 01 f0 01 00 00 00 +37",
                                        "set 40 09 01 f0 01 00 00 00", "set 40 07 02 f0 01 00 00 00 +37",
                                        "set 40 09 02 f0 01 00 00 00"}));
    // The first half (after the profiles' 22 reports, their read-back's 22 and the block's 75 read
    // again) carries the name and FD 03 82 04 02 04 FC 00.
    EXPECT_NE(rig.lines()[120].find("set 41 00 52 00 65 00 6c 00"), std::string::npos) << rig.lines()[120];
    EXPECT_EQ(rig.session.editorState().deviceMacros[0].startAddress, 512);

    rig.clearTrace();
    EXPECT_FALSE(assignMainPageCode(rig.session, 1, 4, "10020000").refused);
    const auto assign = test::commandSummary(rig.lines());
    ASSERT_FALSE(assign.empty());
    EXPECT_EQ(assign[0], "set 40 07 00 c0 00 93 00 00 +21");
    EXPECT_EQ(rig.session.assignments().tableCaption(1, 4), "Reload");

    // The mouse holds both: a fresh read finds the macro and the button that runs it.
    rig.session.transfer().readImage();
    ASSERT_EQ(macros.deviceMacros().size(), 1u);
    EXPECT_EQ(macros.deviceMacroName(0), "Reload");
    EXPECT_EQ(macros.deviceMacros().entries()[0].events,
              (std::vector<std::uint8_t>{0xFD, 0x03, 0x82, 0x04, 0x02, 0x04, 0xFC, 0x00}));
    EXPECT_EQ(rig.session.assignments().code(1, 4), "10020000");
    EXPECT_EQ(rig.session.assignments().keyCaption(4), "Reload");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace krm
