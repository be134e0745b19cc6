#include "fire/GunKeyListFile.h"
#include "buttons/FunctionCodes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace krm {
namespace {

using test::fileBytes;
using test::ScratchDir;

class GunKeyListFileTest : public ::testing::Test {
protected:
    ScratchDir dir_;
    std::string path_ = dir_.file(GunKeyListFile::kFileName);
    GunKeyList list_;
    GunKeyListFile file_{list_};
};

TEST_F(GunKeyListFileTest, AMissingFileIsAnEmptyListCreatedByTheFirstAdd) {
    ASSERT_TRUE(file_.open(path_));
    EXPECT_FALSE(list_.fileFound);
    EXPECT_FALSE(std::filesystem::exists(path_));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(file_.add(i, 1, false));
    ASSERT_TRUE(file_.add(5, 2, true));
    EXPECT_TRUE(list_.fileFound);
    const auto bytes = fileBytes(path_);
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 20, bytes.begin() + 24),
              (std::vector<std::uint8_t>{0x0B, 0x15, 0x02, 0x00}));

    GunKeyList again;
    GunKeyListFile reread(again);
    ASSERT_TRUE(reread.open(path_));
    EXPECT_EQ(again.entries, list_.entries);
}

TEST_F(GunKeyListFileTest, DeletingRenumbersTheEntriesAfterIt) {
    ASSERT_TRUE(file_.open(path_));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(file_.add(i, 1, false));
    ASSERT_TRUE(file_.remove(2));
    EXPECT_EQ(gunKeyListRows(list_), (std::vector<int>{1, 2}));
    EXPECT_EQ(list_.entries[1], (CodeBytes{0x0B, 0x02, 0x01, 0x00})) << "the former Fire Macro3";
    EXPECT_EQ(fileBytes(path_)[4 + 1], 0x02);
    EXPECT_FALSE(file_.remove(3)) << "an empty entry";
}

TEST_F(GunKeyListFileTest, BadValuesAndAFullListChangeNothing) {
    ASSERT_TRUE(file_.open(path_));
    EXPECT_FALSE(file_.add(10, 1, false));
    EXPECT_FALSE(file_.add(0, 0, false));
    EXPECT_FALSE(std::filesystem::exists(path_));
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(file_.add(i, 1, false));
    const auto full = file_.add(0, 1, false);
    EXPECT_FALSE(full);
    EXPECT_NE(full.message.find("ten"), std::string::npos);
}

TEST_F(GunKeyListFileTest, AnUnreadableFileIsRefusedAndNeverWrittenOver) {
    std::filesystem::create_directory(path_);
    const auto r = file_.open(path_);
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.message.empty());
    EXPECT_FALSE(file_.add(0, 1, false));
    EXPECT_TRUE(std::filesystem::is_directory(path_));
}

TEST_F(GunKeyListFileTest, AFailedWriteTakesTheChangeBack) {
    const std::string inMissingFolder = dir_.file("gone/Fire Macro.bin");
    ASSERT_TRUE(file_.open(inMissingFolder));
    EXPECT_FALSE(file_.add(0, 1, false));
    EXPECT_EQ(list_.entries[0], CodeBytes{});
}

} // namespace
} // namespace krm
