#include "image/ImageFiles.h"
#include "image/ExternalData.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace krm {

using test::hex;
using test::slice;

TEST(ProfileFile, RefusesWhatCannotBeAnImage) {
    test::TempDir dir;
    ConfigImage good = test::factoryImages().image(Variant::R210B, 1);
    auto longer = std::vector<std::uint8_t>(good.begin(), good.end());
    longer.push_back(0x99);
    auto badMarker = longer;
    badMarker[495] = 0xE1;
    badMarker.pop_back();
    auto shortFile =
        std::vector<std::uint8_t>(good.begin(), good.end() - 1); // marker present, one byte short
    test::writeFile(dir.file("long.bin"), longer);
    test::writeFile(dir.file("marker.bin"), badMarker);
    test::writeFile(dir.file("short.bin"), shortFile);
    test::writeFile(dir.file("empty.bin"), {});

    const auto ok = readProfileFile(dir.file("long.bin"));
    ASSERT_TRUE(ok) << ok.error.message;
    EXPECT_EQ(*ok.value, good) << "the first 2048 bytes";

    struct Case {
        std::string path;
        FileErrorKind kind;
        std::string message;
    } cases[] = {
        {dir.file("marker.bin"), FileErrorKind::BadMarker, "Loading .bin is error!"},
        {dir.file("short.bin"), FileErrorKind::TooShort, "Loading .bin is error!"},
        {dir.file("empty.bin"), FileErrorKind::TooShort, "Loading .bin is error!"},
        {dir.file("missing.bin"), FileErrorKind::CannotOpen,
         "Cannot open file \"" + dir.file("missing.bin") + "\". No such file or directory"},
        {dir.path().string(), FileErrorKind::CannotOpen,
         "Cannot open file \"" + dir.path().string() + "\". Is a directory"},
    };
    for (const auto& c : cases) {
        const auto r = readProfileFile(c.path);
        EXPECT_FALSE(r) << c.path;
        EXPECT_EQ(r.error.kind, c.kind) << c.path;
        EXPECT_EQ(r.error.message, c.message);
    }
}

TEST(ProfileFile, LoadedBadChecksumsAreRepairedInTheCopiesOnly) {
    test::TempDir dir;
    ConfigImage file = test::factoryImages().image(Variant::R210B, 1);
    file[163] ^= 0x01;
    file[0] = 0x12; // another vendor id: still loads
    test::writeFile(dir.file("p.bin"), file);

    const auto loaded = readProfileFile(dir.file("p.bin"));
    ASSERT_TRUE(loaded);
    ImageState state = ImageState::forVariant(Variant::R210B);
    replaceImage(state, *loaded.value, DefaultInputs{});
    EXPECT_TRUE(state.lastUnpack.sections[0].repaired);
    EXPECT_EQ(state.copies.vendor[0], 0x3A);
    EXPECT_EQ(state.image, file) << "what goes to the mouse is the file as read";
}

TEST(Files, WrittenAtomicallyUnderTheChosenName) {
    test::TempDir dir;
    const std::string path = dir.file("abc.bin");
    test::writeFile(path, std::vector<std::uint8_t>(10, 0x55));
    ::chmod(path.c_str(), 0640);
    const ConfigImage image = test::factoryImages().image(Variant::R230B, 3);
    ASSERT_FALSE(writeProfileFile(path, image));
    EXPECT_EQ(test::readFile(path), std::vector<std::uint8_t>(image.begin(), image.end()));
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";

    std::array<std::uint8_t, 512> block{};
    block[0] = 0x41;
    ASSERT_FALSE(writeMacroBlockFile(dir.file("m.bin"), block));
    EXPECT_EQ(test::readFile(dir.file("m.bin")).size(), 512u);

    const std::string nowhere = dir.file("no/such/folder/x.bin");
    const auto err = writeProfileFile(nowhere, image);
    ASSERT_TRUE(err);
    EXPECT_EQ(err->kind, FileErrorKind::CannotCreate);
    EXPECT_EQ(err->message, "Cannot create file \"" + nowhere + "\". No such file or directory");

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2u) << "no temporary file is left behind";

    // The file a save dialog confirmed replacing is the file written: ".bin" only when it is missing.
    for (const auto& [chosen, written] : {std::pair{"/tmp/abc", "/tmp/abc.bin"},
                                          {"/tmp/abc.bin", "/tmp/abc.bin"},
                                          {"/tmp/ABC.BIN", "/tmp/ABC.BIN"},
                                          {"/tmp/abc.bin.txt", "/tmp/abc.bin.txt.bin"},
                                          {"/tmp/bin", "/tmp/bin.bin"}})
        EXPECT_EQ(saveFileName(chosen), written) << chosen;
}

TEST(Files, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("real"));
    const std::string target = dir.file("real/profile.bin");
    test::writeFile(target, std::vector<std::uint8_t>(10, 0x55));
    std::filesystem::create_symlink("real/profile.bin", dir.file("link.bin")); // relative, as ln -s makes it
    std::filesystem::create_symlink(dir.file("link.bin"), dir.file("chain.bin"));
    std::filesystem::create_symlink("real/new.bin", dir.file("dangling.bin"));
    const ConfigImage image = test::factoryImages().image(Variant::R210B, 2);
    const std::vector<std::uint8_t> bytes(image.begin(), image.end());

    ASSERT_FALSE(writeProfileFile(dir.file("chain.bin"), image));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("chain.bin")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.bin")));
    EXPECT_EQ(test::readFile(target), bytes);
    ASSERT_FALSE(writeProfileFile(dir.file("dangling.bin"), image));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.bin")));
    EXPECT_EQ(test::readFile(dir.file("real/new.bin")), bytes);

    std::filesystem::create_symlink("loop-b", dir.file("loop-a"));
    std::filesystem::create_symlink("loop-a", dir.file("loop-b"));
    const auto err = writeProfileFile(dir.file("loop-a"), image);
    ASSERT_TRUE(err);
    EXPECT_NE(err->message.find("Too many levels of symbolic links"), std::string::npos) << err->message;
}

TEST(PatchFile, ChecksumAndFileReading) {
    std::array<std::uint8_t, 16> block{};
    block.fill(0xEE);
    checkEePatchCodeSection(block, std::vector<std::uint8_t>(784, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.end()),
              hex("04 00 EE EE 00 1A 01 5A EE EE EE EE EE EE EE EE"));

    test::TempDir dir;
    std::vector<std::uint8_t> file = hex("11 11 02 00 22 22 33 33 01 83 00 00 00 00 00 DE");
    file.resize(16 + 512, 0x01);
    test::writeFile(dir.file("r230.bin"), file);

    const auto forR230 = readPatchFile(dir.file("r230.bin"), ImageLayout::forVariant(Variant::R230B));
    ASSERT_TRUE(forR230) << forR230.error.message;
    SectionCopies copies = SectionCopies::forVariant(Variant::R230B);
    storePatch(copies, *forR230.value);
    EXPECT_EQ(std::vector<std::uint8_t>(copies.patchBlock.begin(), copies.patchBlock.end()),
              hex("04 00 02 00 00 1A 03 5A 01 83 00 00 00 00 00 DE")); // 512 ^ 0x015A = 0x035A
    EXPECT_EQ(copies.patchCode, std::vector<std::uint8_t>(512, 0x01));

    const auto forR210 = readPatchFile(dir.file("r230.bin"), ImageLayout::forVariant(Variant::R210B));
    EXPECT_FALSE(forR210) << "784 code bytes needed, 512 there";
    EXPECT_EQ(forR210.error.kind, FileErrorKind::WrongSize);
    EXPECT_EQ(forR210.error.message,
              "File \"" + dir.file("r230.bin") +
                  "\" is 528 bytes, a patch for an R230B mouse; an R210B mouse takes 800 "
                  "bytes (a 16-byte patch block and 784 bytes of patch code).");

    // An R210B patch is not cut down to fit an R230B mouse, nor is a longer file taken in part.
    file.resize(16 + 784, 0x01);
    test::writeFile(dir.file("r210.bin"), file);
    const auto r210IntoR230 = readPatchFile(dir.file("r210.bin"), ImageLayout::forVariant(Variant::R230B));
    ASSERT_FALSE(r210IntoR230);
    EXPECT_EQ(r210IntoR230.error.kind, FileErrorKind::WrongSize);
    EXPECT_EQ(r210IntoR230.error.message,
              "File \"" + dir.file("r210.bin") +
                  "\" is 800 bytes, a patch for an R210B mouse; an R230B mouse takes "
                  "528 bytes (a 16-byte patch block and 512 bytes of patch code).");
    EXPECT_TRUE(readPatchFile(dir.file("r210.bin"), ImageLayout::forVariant(Variant::R210B)));
    file.resize(1024, 0x01);
    test::writeFile(dir.file("long.bin"), file);
    EXPECT_EQ(readPatchFile(dir.file("long.bin"), ImageLayout::forVariant(Variant::R210B)).error.kind,
              FileErrorKind::WrongSize);
}

TEST(MacroFiles, BaseAndGunMacroFiles) {
    test::TempDir dir;
    std::vector<std::uint8_t> base(600);
    for (std::size_t i = 0; i < base.size(); ++i) base[i] = static_cast<std::uint8_t>(i);
    test::writeFile(dir.file("base.bin"), base);
    test::writeFile(dir.file("short.bin"), std::vector<std::uint8_t>(239, 1));
    const auto block = readBaseMacroFile(dir.file("base.bin"));
    ASSERT_TRUE(block);
    EXPECT_EQ((*block.value)[511], 511 & 0xFF);
    EXPECT_EQ(readBaseMacroFile(dir.file("short.bin")).error.kind, FileErrorKind::TooShort);

    std::vector<std::uint8_t> gun(240);
    for (std::size_t i = 0; i < gun.size(); ++i)
        gun[i] = static_cast<std::uint8_t>(i / 24 + 1); // body number
    test::writeFile(dir.file("gun.bin"), gun);
    EXPECT_EQ(readGunMacroFile(dir.file("short.bin"), ImageLayout::forVariant(Variant::R210B)).error.kind,
              FileErrorKind::TooShort);

    const auto r210 = readGunMacroFile(dir.file("gun.bin"), ImageLayout::forVariant(Variant::R210B));
    ASSERT_TRUE(r210);
    EXPECT_EQ((*r210.value)[9], std::vector<std::uint8_t>(24, 10));

    const auto r230 = readGunMacroFile(dir.file("gun.bin"), ImageLayout::forVariant(Variant::R230B));
    ASSERT_TRUE(r230);
    std::vector<std::uint8_t> body4(24, 5);
    body4.resize(32, 0); // no bytes of body 5 leak in
    EXPECT_EQ((*r230.value)[4], body4);

    ImageState state = ImageState::forVariant(Variant::R230B);
    replaceImage(state, test::factoryImages().image(Variant::R230B, 1), DefaultInputs{});
    storeGunMacros(state.copies, *r230.value);
    EXPECT_EQ(slice(state.copies.fireMacroArea, 160 + 32 * 4, 32), body4);
    EXPECT_EQ(slice(state.copies.fireMacroArea, 0, 16), slice(state.image, 1536, 16)) << "names kept";
    EXPECT_EQ(slice(state.copies.fireMacroArea, 480, 32), std::vector<std::uint8_t>(32, 0xFF)) << "tail kept";
}

} // namespace krm
