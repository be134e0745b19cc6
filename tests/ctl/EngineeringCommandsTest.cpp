// krmctl's engineering commands on the simulated mouse, the patch size check and the dump of a damaged
// profile.

#include "CtlRun.h"

#include "image/ImageLayout.h"

#include <gtest/gtest.h>

namespace krm::test {
namespace {

bool sentWrite(const std::string& trace) {
    for (const auto& line : traceLines(readText(trace)))
        for (const char* write : {"set 40 05", "set 40 07", "set 40 01", "set 40 0e"})
            if (line.starts_with(write)) return true;
    return false;
}

TEST(EngineeringCommands, UsbIdRestartsTheMouseAndFindsItUnderTheNewIds) {
    ScratchDir dir;
    const std::string image = dir.file("mouse.bin"), trace = dir.file("trace.log");
    const CtlResult asked = ctl({"--sim-image", image, "--trace", trace, "usb-id", "1234", "5678"});
    EXPECT_EQ(asked.rc, ctl::kUsage);
    EXPECT_NE(asked.err.find("ATTRS{idVendor}==\"1234\", ATTRS{idProduct}==\"5678\""), std::string::npos)
        << asked.err;
    EXPECT_EQ(readText(trace), "") << "without --yes nothing is sent";

    const CtlResult r = ctl({"--sim-image", image, "--trace", trace, "usb-id", "1234", "5678", "--yes"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "the mouse restarted and was found again as 1234:5678\n");
    const auto udev =
        r.err.find("SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"1234\", ATTRS{idProduct}==\"5678\"");
    ASSERT_NE(udev, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("udev rule", udev), std::string::npos) << "told once: " << r.err;
    const auto lines = traceLines(readText(trace));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "set 40 05 00 00 12 34 00 02"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "set 40 05 00 02 56 78 00 02"), lines.end());

    // A later run finds the mouse only when told its new ids, and says how.
    const CtlResult lost = ctl({"--sim-image", image, "info"});
    EXPECT_EQ(lost.rc, 2);
    EXPECT_NE(lost.err.find("--ids VID:PID"), std::string::npos) << lost.err;
    const CtlResult found = ctl({"--sim-image", image, "--ids", "1234:5678", "info"});
    EXPECT_EQ(found.rc, 0) << found.err;
}

TEST(EngineeringCommands, BadValuesSendNothing) {
    ScratchDir dir;
    const std::string trace = dir.file("trace.log");
    const std::vector<std::vector<std::string>> bad = {
        {"usb-id", "12345", "5678", "--yes"}, {"usb-id", "0000", "5678", "--yes"},
        {"set-option", "cb_CPISet", "9"},     {"set-option", "no-such", "1"},
        {"set-option", "MaxShut", "1FF"},     {"xdata", "read", "10000"},
        {"xdata", "write", "7241", "0"},      {"xdata", "write", "FFFF", "01", "02"},
        {"usb-name", "seventeen letters"},    {"usb-name", "Maus\xC3\xA4"},
    };
    for (const auto& args : bad) {
        std::vector<std::string> all = {"--simulate", "--trace", trace};
        all.insert(all.end(), args.begin(), args.end());
        const CtlResult r = ctl(all);
        EXPECT_EQ(r.rc, ctl::kUsage) << args[0] << " " << args[1] << ": " << r.err;
        EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
        EXPECT_FALSE(sentWrite(trace)) << args[0] << " " << args[1];
    }
}

TEST(EngineeringCommands, OptionsRegistersAndXData) {
    ScratchDir dir;
    const std::string image = dir.file("mouse.bin");
    ASSERT_EQ(ctl({"--sim-image", image, "set-option", "CPI Pre-scale Sel", "1.33x"}).rc, 0);
    ASSERT_EQ(ctl({"--sim-image", image, "set-option", "edt_MaxShut", "4a"}).rc, 0);
    ASSERT_EQ(ctl({"--sim-image", image, "usb-name", "ABC"}).rc, 0);
    const auto bytes = fileBytes(image);
    ASSERT_EQ(bytes.size(), kImageSize);
    EXPECT_EQ(bytes[6] & 0x30, 0x00);
    EXPECT_EQ(bytes[31], 0x4A);
    EXPECT_EQ(std::string(bytes.begin() + 111, bytes.begin() + 115), std::string("ABC\0", 4));

    const CtlResult shown = ctl({"--sim-image", image, "engineering"});
    EXPECT_NE(shown.out.find("CPI Pre-scale Sel:   cb_CPIPrescaleSel    1.33x"), std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("MaxShut:                   4A"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("description \"ABC\""), std::string::npos);

    const CtlResult xdata = ctl({"--simulate", "xdata", "read", "7241", "2"});
    EXPECT_EQ(xdata.out, "7241: 00\n7242: 00\n");
}

TEST(EngineeringCommands, ProfileSwitchOptionsRoundTripThroughTheImageAndTheDump) {
    ScratchDir dir;
    const std::string image = dir.file("mouse.bin");
    ASSERT_EQ(ctl({"--sim-image", image, "restore", "2"}).rc, 0);
    // No button of the factory image switches the profile: the options have nowhere to be kept.
    const std::string trace = dir.file("trace.log");
    for (const auto& [name, value] :
         {std::pair{"cb_AXY", "Enable"}, {"cb_RTZ", "Enable"}, {"edt_OffSet", "20"}}) {
        const CtlResult refused = ctl({"--sim-image", image, "--trace", trace, "set-option", name, value});
        EXPECT_EQ(refused.rc, ctl::kRefused) << name;
        EXPECT_NE(refused.err.find("kept only in such a button's code"), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
        EXPECT_FALSE(sentWrite(trace)) << name;
    }
    ASSERT_EQ(ctl({"--sim-image", image, "assign", "3", "5", "07800000"}).rc, 0);
    const CtlResult set = ctl({"--sim-image", image, "set-option", "cb_AXY", "Enable"});
    EXPECT_EQ(set.out, "Adjust XY: Enable\n") << set.err;
    EXPECT_EQ(ctl({"--sim-image", image, "set-option", "Offset", "2a"}).out, "Offset: 2A\n");
    EXPECT_EQ(ctl({"--sim-image", image, "set-option", "edt_OffSet", "100"}).rc, ctl::kUsage)
        << "two hex digits at most";
    // The button carries them; a later run reads them back from it.
    EXPECT_NE(ctl({"--sim-image", image, "dump"}).out.find("button=5 code=07A0002A name=\"Office Mode\""),
              std::string::npos);
    const CtlResult shown = ctl({"--sim-image", image, "engineering"});
    for (const char* line :
         {"Return to zero:      cb_RTZ               Disable",
          "Adjust XY:           cb_AXY               Enable", "Offset:              edt_OffSet           2A"})
        EXPECT_NE(shown.out.find(line), std::string::npos) << line << "\n" << shown.out;
}

TEST(EngineeringCommands, PatchOfTheOtherChipIsRefusedBeforeAnyWrite) {
    ScratchDir dir;
    const std::string patch = dir.file("r230.bin"), trace = dir.file("trace.log");
    putFile(patch, std::vector<std::uint8_t>(16 + 512, 0x01));
    const CtlResult r = ctl({"--simulate=R210B", "--trace", trace, "program", patch});
    EXPECT_EQ(r.rc, 3);
    EXPECT_EQ(r.err,
              "krmctl: program: File \"" + patch +
                  "\" is 528 bytes, a patch for an R230B mouse; an R210B mouse takes 800 bytes (a 16-byte "
                  "patch block and 784 bytes of patch code).\n"
                  "krmctl: program: the file is not a patch file for this R210B mouse; nothing was sent to "
                  "the mouse\n");
    EXPECT_FALSE(sentWrite(trace));
    EXPECT_EQ(ctl({"--simulate=R230B", "program", patch}).rc, 0);
}

TEST(EngineeringCommands, DumpShowsADamagedProfileRegeneratedFromTheDefaults) {
    ScratchDir dir;
    const std::string image = dir.file("mouse.bin");
    ASSERT_EQ(ctl({"--sim-image", image, "read-image", dir.file("copy.bin")}).rc, 0);
    auto bytes = fileBytes(dir.file("copy.bin"));
    bytes[image::profileOffset(2) + 1] ^= 0x40; // button 1's code changes, the checksum does not
    putFile(image, bytes);

    const CtlResult r = ctl({"--sim-image", image, "dump"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.err.find("the mouse's profile2 section is damaged"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("section=profile2 status=\"damaged, regenerated from the defaults\""),
              std::string::npos);
    // Profile 2's first button shows the default code, not the damaged 01410000.
    const auto profile2 = r.out.find("profile: 2");
    ASSERT_NE(profile2, std::string::npos);
    EXPECT_EQ(r.out.compare(r.out.find("button=1 ", profile2), 24, "button=1 code=01010000 n"), 0)
        << r.out.substr(profile2, 200);
}

} // namespace
} // namespace krm::test
