#include "session/ImageOperations.h"

#include "image/ImageFiles.h"
#include "image/ImageFixtures.h"
#include "macros/MacroEvents.h"
#include "support/SessionRig.h"
#include "support/TraceSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace krm {

namespace {

using test::factoryImages;
using test::slice;

const std::string kWholeImage = "set 40 07 00 00 08 00 00 00 +293";
const std::string kRestart = "set 40 0e 00 00 00 00 00 00";
const std::string kReadAll = "set 40 09 00 00 08 00 00 00";

// Writes down what the session tells its observers.
struct EventLog final : SessionObserver {
    std::vector<bool> engineeringRestore;
    int reloads = 0;
    void engineeringRestoreRunning(bool running) override { engineeringRestore.push_back(running); }
    void editorsReloaded() override { ++reloads; }
};

// A connected session on the simulated mouse with the operations on it; trace and window record
// only what the operation under test does.
struct OpsRig : test::SessionRig {
    explicit OpsRig(Variant v = Variant::R210B) : SessionRig(v) { session.addObserver(&events); }
    ~OpsRig() { session.removeObserver(&events); }
    EventLog events;
    ImageOperations ops{session, ui};

    bool connect() {
        const bool ok = session.connectNow();
        clearTrace();
        ui.clear();
        events = {};
        return ok;
    }
    std::vector<std::string> summary() const { return test::commandSummary(lines()); }
};

ChooseFile chosen(const std::string& path) {
    return [path] { return std::optional<std::string>(path); };
}

std::ptrdiff_t indexOf(const std::vector<std::string>& lines, const std::string& line,
                       std::ptrdiff_t from = 0) {
    const auto it = std::find(lines.begin() + from, lines.end(), line);
    return it == lines.end() ? -1 : it - lines.begin();
}

// The mouse's image with edits a restore or load must replace.
SimulatedMouse::Image worn(SimulatedMouse& mouse) {
    auto image = mouse.image();
    image[43] ^= 0x07;  // DPI levels
    image[600] = 0x42;  // a macro block byte
    image[1900] = 0x99; // in the fire-macro area of both variants
    return image;
}

} // namespace

TEST(Restore, WritesTheFactoryImageWholeRestartsAndReadsItBack) {
    struct Case {
        Variant variant;
        int k;
    } cases[] = {{Variant::R210B, 1}, {Variant::R210B, 2}, {Variant::R210B, 3},
                 {Variant::R230B, 1}, {Variant::R230B, 2}, {Variant::R230B, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(variantName(c.variant)) + " restore " + std::to_string(c.k));
        OpsRig rig(c.variant);
        rig.mouse.setImage(worn(rig.mouse));
        ASSERT_TRUE(rig.connect());
        // The restart shows the reconnect message while the mouse is away.
        std::optional<bool> guardedDuringRestart;
        rig.ui.onMessage = [&](const std::string&) {
            if (!guardedDuringRestart) guardedDuringRestart = rig.session.refreshGuard();
        };

        EXPECT_EQ(rig.ops.restore(c.k), OperationResult::Done);

        const auto s = rig.summary();
        EXPECT_EQ(std::count(s.begin(), s.end(), kWholeImage), 1);
        const auto write = indexOf(s, kWholeImage), restart = indexOf(s, kRestart);
        EXPECT_GE(write, 0);
        EXPECT_GT(restart, write);
        EXPECT_GT(indexOf(s, kReadAll, restart), restart) << "read again after the restart";

        const ConfigImage& expected = factoryImages().image(c.variant, c.k);
        EXPECT_EQ(rig.mouse.image(), expected);
        EXPECT_EQ(rig.session.image().image, expected);
        if (c.variant == Variant::R230B && c.k == 2) {
            EXPECT_EQ(rig.session.image().image[164], 0xF1) << "profile 2 current";
        }
        EXPECT_FALSE(rig.session.image().lastUnpack.anyRepaired());
        // Restore 1 keeps the window guarded through the restart; 2 and 3 release it first.
        EXPECT_EQ(guardedDuringRestart, std::optional<bool>(c.k == 1));
        EXPECT_FALSE(rig.session.refreshGuard());
        EXPECT_TRUE(rig.ui.timerEnabled(UiTimer::DevTimer));
    }
}

TEST(Restore, EngineeringPageRestoreHidesTheResultMeanwhile) {
    OpsRig rig;
    rig.mouse.setImage(worn(rig.mouse));
    ASSERT_TRUE(rig.connect());
    rig.ops.restoreFromEngineeringPage();
    EXPECT_EQ(rig.events.engineeringRestore, (std::vector<bool>{true, false}));
    EXPECT_EQ(rig.mouse.image(), factoryImages().image(Variant::R210B, 1));
}

TEST(ImageOperations, WithoutAMouseNothingIsSentAndNoDialogRuns) {
    OpsRig rig; // never connected: no handle is open
    bool dialogRan = false;
    const ChooseFile dialog = [&] {
        dialogRan = true;
        return std::optional<std::string>("x.bin");
    };
    const std::pair<const char*, std::function<OperationResult()>> cases[] = {
        {"restore 1", [&] { return rig.ops.restore(1); }},
        {"restore 3", [&] { return rig.ops.restore(3); }},
        {"save", [&] { return rig.ops.saveProfile(dialog, ImageOperations::BinSuffix::AddWhenMissing); }},
        {"load", [&] { return rig.ops.loadProfileFile(dialog); }},
    };
    for (const auto& [name, op] : cases) {
        SCOPED_TRACE(name);
        rig.ui.clear();
        EXPECT_EQ(op(), OperationResult::NoMouse);
        EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{"Finding the specified device"});
        EXPECT_FALSE(rig.session.refreshGuard());
    }
    EXPECT_FALSE(dialogRan);

    // The engineering page's restore and "Program" stay silent.
    rig.ui.clear();
    rig.ops.restoreFromEngineeringPage();
    EXPECT_EQ(rig.ops.programPatch(), OperationResult::NotReady);
    EXPECT_TRUE(rig.ui.calls().empty());
    EXPECT_TRUE(rig.events.engineeringRestore.empty());
    EXPECT_TRUE(rig.lines().empty());
}

TEST(ProfileLoad, TheMouseGetsTheFilesBytesWhileOnlyTheCopiesAreRepaired) {
    test::TempDir dir;
    OpsRig rig;
    ASSERT_TRUE(rig.connect());
    ConfigImage file = factoryImages().image(Variant::R210B, 3);
    file[163] ^= 0x01;                        // vendor checksum off by one
    file[image::profileOffset(2) + 4] = 0x05; // a profile 2 code changed, its checksum not
    file[600] = 0x42;                         // something the mouse did not hold
    test::writeFile(dir.file("p.bin"), file);

    // What the window held when the mouse went away for its restart, i.e. after the write.
    std::optional<ImageState> atWrite;
    rig.ui.onMessage = [&](const std::string&) {
        if (!atWrite) atWrite = rig.session.image();
    };
    EXPECT_EQ(rig.ops.loadProfileFile(chosen(dir.file("p.bin"))), OperationResult::Done);

    const auto s = rig.summary();
    EXPECT_EQ(std::count(s.begin(), s.end(), kWholeImage), 1);
    EXPECT_GT(indexOf(s, kRestart), indexOf(s, kWholeImage));
    EXPECT_EQ(rig.mouse.image(), file);

    ASSERT_TRUE(atWrite);
    EXPECT_EQ(atWrite->image, file);
    const auto& sections = atWrite->lastUnpack.sections;
    EXPECT_TRUE(sections[0].repaired);
    EXPECT_FALSE(sections[1].repaired);
    EXPECT_TRUE(sections[3].repaired);
    EXPECT_TRUE(sectionChecksumGood(atWrite->copies.vendor));
    EXPECT_EQ(rig.session.image().image, file) << "read back after the restart";
    EXPECT_FALSE(rig.session.refreshGuard());
}

TEST(ImageOperations, BadFilesAreRefusedWithNothingSent) {
    test::TempDir dir;
    OpsRig rig;
    ASSERT_TRUE(rig.connect());
    const auto before = rig.mouse.image();
    ConfigImage marker = factoryImages().image(Variant::R210B, 1);
    marker[495] = 0xE1;
    test::writeFile(dir.file("marker.bin"), marker);
    test::writeFile(dir.file("short.bin"), std::vector<std::uint8_t>(before.begin(), before.end() - 1));
    test::writeFile(dir.file("patch.bin"), std::vector<std::uint8_t>(16 + 783, 0x11));
    test::writeFile(dir.file("macro.bin"), std::vector<std::uint8_t>(511, 0x22));
    test::writeFile(dir.file("gun.bin"), std::vector<std::uint8_t>(239, 0x33));
    const std::string missing = dir.file("missing.bin"), folder = dir.path().string();
    const ChooseFile cancelled = [] { return std::optional<std::string>(); };

    struct Case {
        const char* name;
        std::function<OperationResult()> op;
        OperationResult result;
        std::string message; // empty: none shown
    } cases[] = {
        {"load missing", [&] { return rig.ops.loadProfileFile(chosen(missing)); },
         OperationResult::FileRefused, "Cannot open file \"" + missing + "\". No such file or directory"},
        {"load folder", [&] { return rig.ops.loadProfileFile(chosen(folder)); }, OperationResult::FileRefused,
         "Cannot open file \"" + folder + "\". Is a directory"},
        {"load bad marker", [&] { return rig.ops.loadProfileFile(chosen(dir.file("marker.bin"))); },
         OperationResult::FileRefused, "Loading .bin is error!"},
        {"load short", [&] { return rig.ops.loadProfileFile(chosen(dir.file("short.bin"))); },
         OperationResult::FileRefused, "Loading .bin is error!"},
        {"load cancelled", [&] { return rig.ops.loadProfileFile(cancelled); }, OperationResult::Cancelled,
         ""},
        {"load checked image without marker", [&] { return rig.ops.loadProfile(marker); },
         OperationResult::FileRefused, "Loading .bin is error!"},
        {"Load BIN short", [&] { return rig.ops.loadPatchFile(chosen(dir.file("patch.bin"))); },
         OperationResult::FileRefused, tooShortMessage(dir.file("patch.bin"), 799, 800)},
        {"patch code short", [&] { return rig.ops.programPatchFile(chosen(dir.file("patch.bin"))); },
         OperationResult::FileRefused, tooShortMessage(dir.file("patch.bin"), 799, 800)},
        {"base macro short", [&] { return rig.ops.importMacroBlock(chosen(dir.file("macro.bin"))); },
         OperationResult::FileRefused, tooShortMessage(dir.file("macro.bin"), 511, 512)},
        {"gun macros short", [&] { return rig.ops.importGunMacros(chosen(dir.file("gun.bin"))); },
         OperationResult::FileRefused, tooShortMessage(dir.file("gun.bin"), 239, 240)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.ui.clear();
        EXPECT_EQ(c.op(), c.result);
        EXPECT_EQ(rig.ui.messages(),
                  c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
        EXPECT_FALSE(rig.session.refreshGuard());
    }
    EXPECT_FALSE(rig.ops.binLoaded());
    EXPECT_EQ(rig.ops.programPatch(), OperationResult::NotReady);
    EXPECT_TRUE(rig.lines().empty());
    EXPECT_EQ(rig.mouse.image(), before);
}

TEST(ProfileSave, ReadsTheMouseFirstAndWritesUnderTheChosenName) {
    test::TempDir dir;
    OpsRig rig;
    ASSERT_TRUE(rig.connect());
    // A change the mouse holds that the session has not read: the file must carry it.
    auto held = rig.mouse.image();
    held[600] = 0x42;
    rig.mouse.setImage(held);
    const std::vector<std::uint8_t> heldBytes(held.begin(), held.end());

    // Saving over an existing file replaces that file, and no "old.bin.bin" appears beside it.
    test::writeFile(dir.file("old.bin"), std::vector<std::uint8_t>(kImageSize, 0x11));
    EXPECT_EQ(rig.ops.saveProfile(chosen(dir.file("old.bin")), ImageOperations::BinSuffix::AddWhenMissing),
              OperationResult::Done);
    EXPECT_EQ(test::readFile(dir.file("old.bin")), heldBytes);
    EXPECT_FALSE(std::filesystem::exists(dir.file("old.bin.bin")));
    EXPECT_EQ(rig.summary(), std::vector<std::string>{kReadAll});

    EXPECT_EQ(rig.ops.saveProfile(chosen(dir.file("exact.bin")), ImageOperations::BinSuffix::AsGiven),
              OperationResult::Done);
    EXPECT_EQ(test::readFile(dir.file("exact.bin")), heldBytes);

    rig.ui.clear();
    const std::string nowhere = dir.file("no/such/x.bin");
    EXPECT_EQ(rig.ops.saveProfile(chosen(nowhere), ImageOperations::BinSuffix::AsGiven),
              OperationResult::FileRefused);
    EXPECT_EQ(rig.ui.messages(),
              std::vector<std::string>{"Cannot create file \"" + nowhere + "\". No such file or directory"});

    // A read the mouse refuses brings no image; the file already there is kept.
    rig.mouse.setCommandRefused(0x09, true);
    EXPECT_EQ(rig.ops.saveProfile(chosen(dir.file("exact.bin")), ImageOperations::BinSuffix::AsGiven),
              OperationResult::ReadFailed);
    EXPECT_EQ(test::readFile(dir.file("exact.bin")), heldBytes);
}

TEST(MacroBlockExport, WritesTheCopyWithoutTouchingTheMouse) {
    test::TempDir dir;
    OpsRig rig;
    ASSERT_TRUE(rig.connect());
    rig.session.image().copies.macroBlock[3] = 0x77;
    EXPECT_EQ(rig.ops.exportMacroBlock(chosen(dir.file("m"))), OperationResult::Done);
    const auto& block = rig.session.image().copies.macroBlock;
    EXPECT_EQ(test::readFile(dir.file("m.bin")), std::vector<std::uint8_t>(block.begin(), block.end()));
    EXPECT_TRUE(rig.lines().empty());
}

TEST(Program, SendsThePatchBlockAndCodeThenRestarts) {
    struct Case {
        Variant variant;
        std::string codeWrite;
    } cases[] = {{Variant::R210B, "set 40 07 04 00 03 10 00 00 +112"},
                 {Variant::R230B, "set 40 07 04 00 02 00 00 00 +74"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(variantName(c.variant));
        test::TempDir dir;
        OpsRig rig(c.variant);
        ASSERT_TRUE(rig.connect());
        const std::size_t codeLength = ImageLayout::forVariant(c.variant).patchCodeLength;
        std::vector<std::uint8_t> file(16 + codeLength);
        for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 7);
        test::writeFile(dir.file("patch.bin"), file);
        unsigned sum = 0;
        for (std::size_t i = 0; i < codeLength; ++i) sum += file[16 + i];
        const unsigned checksum = (sum & 0xFFFF) ^ 0x015A;

        EXPECT_EQ(rig.ops.loadPatchFile(chosen(dir.file("patch.bin"))), OperationResult::Done);
        EXPECT_TRUE(rig.lines().empty()) << "Load BIN sends nothing";
        EXPECT_EQ(rig.ops.programPatch(), OperationResult::Done);

        const auto s = rig.summary();
        ASSERT_GE(s.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(s.begin(), s.begin() + 3),
                  (std::vector<std::string>{"set 40 07 03 f0 00 10 00 00 +3", c.codeWrite, kRestart}));
        const auto image = rig.mouse.image();
        EXPECT_EQ(slice(image, 1008, 8),
                  (std::vector<std::uint8_t>{0x04, 0x00, file[2], file[3], 0x00, 0x1A,
                                             static_cast<std::uint8_t>(checksum >> 8),
                                             static_cast<std::uint8_t>(checksum & 0xFF)}));
        EXPECT_EQ(slice(image, 1024, codeLength), slice(file, 16, codeLength));

        // Opening the update page drops the loaded file.
        rig.ops.updatePageOpened();
        rig.clearTrace();
        EXPECT_EQ(rig.ops.programPatch(), OperationResult::NotReady);
        EXPECT_TRUE(rig.lines().empty());
    }
}

TEST(ImportBaseMacro, TheBlockGoesOutPackedInTwoHalvesWithoutRestart) {
    // Two macros; the first has a key event on block byte 255, where the mouse needs the page filler.
    std::vector<std::uint8_t> file;
    const auto record = [&file](const char* name, std::vector<std::uint8_t> events) {
        const MacroName n = macroNameBytes(name);
        file.insert(file.end(), n.begin(), n.end());
        file.insert(file.end(), events.begin(), events.end());
    };
    std::vector<std::uint8_t> first = {0xFE, 0x00, 0x0A};
    for (int i = 0; i < 59; ++i) first.insert(first.end(), {0x82, 0x04, 0x02, 0x04});
    first.insert(first.end(), {0x82, 0x05, 0x02, 0x05, 0x00}); // 0x82 at block byte 16 + 239 = 255
    record("Long", first);
    record("Short", {0x82, 0x06, 0x02, 0x06, 0x00});
    file.resize(512);

    test::TempDir dir;
    OpsRig rig;
    ASSERT_TRUE(rig.connect());
    test::writeFile(dir.file("macros.bin"), file);
    EXPECT_EQ(rig.ops.importMacroBlock(chosen(dir.file("macros.bin"))), OperationResult::Done);
    // Each half is read back before the import says it is written.
    EXPECT_EQ(rig.summary(),
              (std::vector<std::string>{"set 40 07 01 f0 01 00 00 00 +37", "set 40 09 01 f0 01 00 00 00",
                                        "set 40 07 02 f0 01 00 00 00 +37", "set 40 09 02 f0 01 00 00 00"}));
    const auto packed = slice(rig.mouse.image(), 496, 512);
    EXPECT_EQ(packed[255], 0xFC) << "the filler";
    EXPECT_EQ(packed[256], 0x82);
    // What the macro list says is where the mouse holds it: the second macro starts one byte later.
    const auto& macros = rig.session.macros().deviceMacros().entries();
    ASSERT_EQ(macros.size(), 2u);
    EXPECT_EQ(macros[1].startAddress, 496 + 261 + 16);
    EXPECT_EQ(rig.mouse.image()[macros[1].startAddress], 0x82);
    EXPECT_EQ(rig.mouse.restarts(), 0);
    EXPECT_EQ(rig.events.reloads, 1) << "the editors took the new macro block";
    EXPECT_TRUE(rig.ui.timerEnabled(UiTimer::DevTimer));

    // A block packed already goes out as it stands.
    test::writeFile(dir.file("packed.bin"), packed);
    EXPECT_EQ(rig.ops.importMacroBlock(chosen(dir.file("packed.bin"))), OperationResult::Done);
    EXPECT_EQ(slice(rig.mouse.image(), 496, 512), packed);
}

TEST(ImportGunMacros, WritesTheWholeFireMacroAreaWithoutRestart) {
    // The R230B's area carries the names of the last read, which is read again first; the R210B's is the
    // file's whole.
    struct Case {
        Variant variant;
        std::vector<std::string> summary;
    } cases[] = {
        {Variant::R210B, {"set 40 07 07 10 00 f0 00 00 +35", "set 40 09 07 10 00 f0 00 00"}},
        {Variant::R230B,
         {"set 40 09 06 00 02 00 00 00", "set 40 07 06 00 02 00 00 00 +74", "set 40 09 06 00 02 00 00 00"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(variantName(c.variant));
        test::TempDir dir;
        OpsRig rig(c.variant);
        ASSERT_TRUE(rig.connect());
        std::vector<std::uint8_t> file(240);
        for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i + 1);
        test::writeFile(dir.file("gun.bin"), file);
        const auto before = rig.mouse.image();

        EXPECT_EQ(rig.ops.importGunMacros(chosen(dir.file("gun.bin"))), OperationResult::Done);
        EXPECT_EQ(rig.summary(), c.summary);
        EXPECT_EQ(rig.mouse.restarts(), 0);
        const auto image = rig.mouse.image();
        const ImageLayout layout = ImageLayout::forVariant(c.variant);
        for (int i = 0; i < 10; ++i) {
            // A 32-byte body takes the 24 bytes of its file slot, then zeros.
            auto body = slice(file, 24 * static_cast<std::size_t>(i), 24);
            body.resize(layout.fireMacroBodySize, 0);
            EXPECT_EQ(slice(image, layout.bodyOffset(i), layout.fireMacroBodySize), body) << i;
        }
        EXPECT_EQ(slice(image, layout.fireMacroAreaOffset, layout.firstBodyOffset),
                  slice(before, layout.fireMacroAreaOffset, layout.firstBodyOffset))
            << "fire-macro names kept";
    }
}

TEST(Regeneration, WritesTheRegeneratedImageWholeThenRestarts) {
    OpsRig rig(Variant::R230B);
    rig.mouse.setImage(worn(rig.mouse));
    ASSERT_TRUE(rig.connect());
    const auto before = rig.mouse.image();

    rig.ops.regenerateForLedType(DefaultInputs{"Sync", 0});

    const auto s = rig.summary();
    EXPECT_EQ(std::count(s.begin(), s.end(), kWholeImage), 1);
    EXPECT_GT(indexOf(s, kRestart), indexOf(s, kWholeImage));
    const auto image = rig.mouse.image();
    EXPECT_EQ(slice(image, 5, 3), test::hex("3F 7F BF"));
    EXPECT_EQ(slice(image, 496, 512), std::vector<std::uint8_t>(512, 0)) << "macro block emptied";
    EXPECT_EQ(slice(image, 1536, 512), slice(before, 1536, 512)) << "the mouse keeps its fire macros";
    EXPECT_FALSE(rig.session.image().lastUnpack.anyRepaired());
    EXPECT_EQ(rig.session.lighting().ledType(), "Sync");
    EXPECT_FALSE(rig.session.refreshGuard());
}

} // namespace krm
