#include "macros/MacroLibrary.h"

#include "image/ImageFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace krm {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Kind = LibraryResult::Kind;

Bytes fileContent(const fs::path& p) {
    auto r = readFilePrefix(p.string(), 1 << 20);
    return r ? *r.value : Bytes{};
}

class MacroLibraryTest : public ::testing::Test {
protected:
    MacroLibraryTest() {
        dir_ = fs::temp_directory_path() /
               ("krm-macro-library-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~MacroLibraryTest() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(MacroLibraryTest, AMissingFileIsCreatedEmpty) {
    MacroLibrary lib;
    ASSERT_TRUE(lib.open(path("lib.bin")));
    EXPECT_EQ(lib.size(), 0u);
    EXPECT_EQ(fileContent(dir_ / "lib.bin"), Bytes(27200, 0));
}

TEST_F(MacroLibraryTest, TheUsersDataFolderIsTheDefaultAndIsMadeWhenMissing) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", path("data").c_str(), 1);
    EXPECT_EQ(macroLibraryPath(""), path("data") + "/krm/KRMR210B-Macro.bin");
    EXPECT_EQ(macroLibraryPath(path("brand")), path("brand") + "/KRMR210B-Macro.bin");
    MacroLibrary lib;
    EXPECT_TRUE(lib.open(macroLibraryPath("")));
    EXPECT_EQ(fs::file_size(macroLibraryPath("")), 27200u);
    // A branding folder that is not there is said so, not made.
    const LibraryResult missing = lib.open(macroLibraryPath(path("brand")));
    EXPECT_EQ(missing.kind, Kind::FileError);
    EXPECT_NE(missing.message.find("does not exist"), std::string::npos);
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST_F(MacroLibraryTest, DuplicatesAndAFullLibraryChangeNothing) {
    MacroLibrary lib;
    ASSERT_TRUE(lib.open(path("lib.bin")));
    for (int k = 0; k < 99; ++k) ASSERT_TRUE(lib.add("M" + std::to_string(k)));
    ASSERT_TRUE(lib.exportOne(3, path("one.bin")));
    EXPECT_EQ(fs::file_size(path("one.bin")), 272u);

    const Bytes before = fileContent(dir_ / "lib.bin");
    EXPECT_EQ(lib.add("M5").kind, Kind::Duplicate);
    EXPECT_EQ(lib.importOne(path("one.bin")).kind, Kind::Duplicate);
    EXPECT_EQ(lib.rename(0, "M7").kind, Kind::Duplicate);
    EXPECT_EQ(fileContent(dir_ / "lib.bin"), before);

    EXPECT_TRUE(lib.add("Last")); // 99 -> 100
    EXPECT_TRUE(lib.full());
    EXPECT_EQ(lib.add("More").kind, Kind::Full);
    ASSERT_TRUE(lib.remove(3));
    ASSERT_TRUE(lib.importOne(path("one.bin"))); // the removed one comes back at the end
    EXPECT_EQ(lib.name(99), "M3");
    EXPECT_EQ(lib.importOne(path("one.bin")).kind, Kind::Full);
}

TEST_F(MacroLibraryTest, ExportAllThenImportAllReproducesTheLibrary) {
    MacroLibrary lib;
    ASSERT_TRUE(lib.open(path("lib.bin")));
    ASSERT_TRUE(lib.add("Zürich"));
    ASSERT_TRUE(lib.add("B"));
    ASSERT_TRUE(lib.setEvents(1, Bytes{0xFD, 0x03, 0x82, 0x04, 0x02, 0x04, 0xFC, 0x00}));
    ASSERT_TRUE(lib.exportAll(path("all.bin")));

    MacroLibrary other;
    ASSERT_TRUE(other.open(path("other.bin")));
    ASSERT_TRUE(other.importAll(path("all.bin")));
    EXPECT_EQ(fileContent(dir_ / "other.bin"), fileContent(dir_ / "lib.bin"));
    EXPECT_EQ(other.name(0), "Zürich");
}

TEST_F(MacroLibraryTest, DeletingMovesTheRestUpAndALibraryWithGapsIsPacked) {
    MacroLibrary lib;
    ASSERT_TRUE(lib.open(path("lib.bin")));
    for (const char* n : {"A", "B", "C"}) ASSERT_TRUE(lib.add(n));
    ASSERT_TRUE(lib.remove(0));
    EXPECT_EQ(lib.size(), 2u);
    EXPECT_EQ(lib.name(0), "B");
    Bytes file = fileContent(dir_ / "lib.bin");
    EXPECT_TRUE(std::all_of(file.begin() + 2 * 272, file.end(), [](auto b) { return b == 0; }));

    // A file with an empty record before records in use (not written by us) is read packed.
    std::fill(file.begin(), file.begin() + 272, 0);
    ASSERT_FALSE(writeFileAtomically(path("gap.bin"), file));
    MacroLibrary gap;
    ASSERT_TRUE(gap.open(path("gap.bin")));
    ASSERT_EQ(gap.size(), 1u);
    EXPECT_EQ(gap.name(0), "C");
    EXPECT_EQ(fileContent(dir_ / "gap.bin")[1], 'C');
}

TEST_F(MacroLibraryTest, AWriteThatFailsLeavesMemoryAsTheFileIs) {
    MacroLibrary lib;
    ASSERT_TRUE(lib.open(path("lib.bin")));
    ASSERT_TRUE(lib.add("Kept"));
    // The folder goes away (as a read-only or removed folder would refuse the write).
    fs::remove_all(dir_);
    const LibraryResult r = lib.add("Lost");
    EXPECT_EQ(r.kind, Kind::FileError);
    EXPECT_NE(r.message.find("not changed"), std::string::npos);
    EXPECT_EQ(lib.size(), 1u);

    // Files that are not single macros are refused with a reason.
    fs::create_directories(dir_);
    std::ofstream(path("short.bin")) << "abc";
    EXPECT_EQ(lib.importOne(path("short.bin")).kind, Kind::FileError);
    EXPECT_EQ(lib.importOne(path("absent.bin")).kind, Kind::FileError);
    ASSERT_FALSE(writeFileAtomically(path("noname.bin"), Bytes(272, 0)));
    EXPECT_EQ(lib.importOne(path("noname.bin")).kind, Kind::FileError);
}

} // namespace
} // namespace krm
