#include "macros/MacroEditor.h"

#include "image/FunctionCode.h"
#include "image/SectionDefaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace krm {
namespace {

using Kind = EditRequest::Kind;
using Bytes = std::vector<std::uint8_t>;

class Texts : public TextSource {
public:
    std::string text(std::string_view id) const override {
        static const std::map<std::string, std::string, std::less<>> kTexts = {
            {"Str103", "Macro bin length out of range"}, {"Str106", "This macro already exists"}};
        const auto it = kTexts.find(id);
        return it == kTexts.end() ? std::string() : it->second;
    }
};

class MacroEditorTest : public ::testing::Test {
protected:
    MacroEditorTest() {
        copies_.profiles[0][0] = 0x01; // profile 1 keeps its Left Click
        folder_ = std::filesystem::temp_directory_path() /
                  ("krm-macro-editor-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        EXPECT_TRUE(editor_.library().open((folder_ / "lib.bin").string()));
    }
    ~MacroEditorTest() override { std::filesystem::remove_all(folder_); }

    // A library macro named `name` with `events`.
    std::size_t libraryMacro(const std::string& name, const Bytes& events) {
        EXPECT_TRUE(editor_.library().add(name));
        const std::size_t i = editor_.library().size() - 1;
        EXPECT_TRUE(editor_.library().setEvents(i, events));
        return i;
    }
    // Carries the outcome's stores out on the copies, as the session does, and reloads.
    void apply(const EditOutcome& out) {
        for (const EditRequest& r : out.requests) {
            if (r.kind != Kind::Store && r.kind != Kind::BlockWrite) continue;
            auto put = [&](std::span<std::uint8_t> section, std::size_t at) {
                if (r.offset >= at && r.offset + r.bytes.size() <= at + section.size())
                    std::copy(r.bytes.begin(), r.bytes.end(),
                              section.begin() + static_cast<long>(r.offset - at));
            };
            put(copies_.macroBlock, image::kMacroOffset);
            for (int p = 1; p <= 3; ++p)
                put(copies_.profiles[static_cast<std::size_t>(p - 1)], image::profileOffset(p));
        }
        editor_.loadFromCopies(copies_);
    }
    void setButton(int profile, int button, std::array<std::uint8_t, 4> code) {
        auto& section = copies_.profiles[static_cast<std::size_t>(profile - 1)];
        std::copy(code.begin(), code.end(),
                  section.begin() + static_cast<long>(codes::buttonOffset(profile, button) -
                                                      image::profileOffset(profile)));
    }
    std::array<std::uint8_t, 4> button(int profile, int button) const {
        const auto& section = copies_.profiles[static_cast<std::size_t>(profile - 1)];
        std::array<std::uint8_t, 4> code{};
        std::copy_n(section.begin() + static_cast<long>(codes::buttonOffset(profile, button) -
                                                        image::profileOffset(profile)),
                    4, code.begin());
        return code;
    }

    Texts texts_;
    EditorState state_;
    bool guard_ = false;
    SectionCopies copies_ = SectionCopies::forVariant(Variant::R210B);
    MacroEditor editor_{state_, texts_, [this] { return guard_; },
                        [this]() -> const SectionCopies& { return copies_; }};
    std::filesystem::path folder_;
};

TEST_F(MacroEditorTest, AddingWritesTheButtonTablesThenBothHalvesOfTheBlock) {
    const std::size_t a = libraryMacro("A", {0x82, 0x04, 0x02, 0x04, 0x00});
    const EditOutcome out = editor_.addToMouse(a);
    ASSERT_FALSE(out.refused);
    EXPECT_EQ(out.followup, Followup::ReloadEditors);
    std::vector<std::pair<Kind, std::size_t>> writes;
    for (const auto& r : out.requests)
        if (r.kind != Kind::Store) writes.emplace_back(r.kind, r.offset);
    EXPECT_EQ(writes, (std::vector<std::pair<Kind, std::size_t>>{
                          {Kind::BlockWrite, 192}, {Kind::BlockWrite, 496}, {Kind::BlockWrite, 752}}));
    const EditRequest& tables = out.requests[3];
    ASSERT_EQ(tables.bytes.size(), 147u);
    std::array<std::uint8_t, 49> profile1{};
    std::copy_n(tables.bytes.begin(), 49, profile1.begin());
    const auto stored = profile1[48];
    storeSectionChecksum(profile1);
    EXPECT_EQ(profile1[48], stored); // fresh checksums go out
    EXPECT_EQ(Bytes(out.requests[4].bytes.begin(), out.requests[4].bytes.begin() + 21),
              (Bytes{0, 0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x82, 0x04, 0x02, 0x04, 0x00}));

    apply(out);
    EXPECT_EQ(state_.deviceMacros[0].name, "A");
    EXPECT_EQ(state_.deviceMacros[0].startAddress, 512);
    EXPECT_FALSE(state_.deviceMacros[1].present);
}

TEST_F(MacroEditorTest, AddingIsRefusedForADuplicateAFullBlockAndASixteenthMacro) {
    const std::size_t a = libraryMacro("A", {0x82, 0x04, 0x02, 0x04, 0x00});
    apply(editor_.addToMouse(a));
    const EditOutcome again = editor_.addToMouse(a);
    EXPECT_TRUE(again.refused);
    EXPECT_EQ(again.message, "This macro already exists");

    Bytes big(253, 0xA1);
    big.push_back(0x00);
    apply(editor_.addToMouse(libraryMacro("B", big))); // 21 + 270 = 291
    Bytes fits(204, 0xA1);
    fits.push_back(0x00); // 221 bytes: 512 exactly
    Bytes over(205, 0xA1);
    over.push_back(0x00); // 222 bytes: 513
    const MacroBlock before = editor_.block();
    const EditOutcome tooLong = editor_.addToMouse(libraryMacro("C", over));
    EXPECT_TRUE(tooLong.refused);
    EXPECT_EQ(tooLong.message, "Macro bin length out of range");
    EXPECT_EQ(editor_.block(), before);
    EXPECT_EQ(editor_.deviceMacros().size(), 2u);
    EXPECT_FALSE(editor_.addToMouse(libraryMacro("D", fits)).refused);

    // Fifteen macros: the sixteenth is refused without a message.
    copies_.macroBlock.fill(0);
    editor_.loadFromCopies(copies_);
    for (int k = 0; k < 15; ++k)
        apply(editor_.addToMouse(libraryMacro("M" + std::to_string(k), {0xA1, 0x21, 0x00})));
    EXPECT_EQ(editor_.deviceMacros().size(), 15u);
    const EditOutcome sixteenth = editor_.addToMouse(libraryMacro("M15", {0xA1, 0x21, 0x00}));
    EXPECT_TRUE(sixteenth.refused);
    EXPECT_FALSE(sixteenth.message);
}

TEST_F(MacroEditorTest, DeletingMovesTheButtonsOfEveryProfileWithTheirMacros) {
    for (const char* name : {"Zero", "One", "Two"})
        apply(editor_.addToMouse(libraryMacro(name, {0xFE, 0x00, 0x0A, 0xA1, 0x21, 0x00})));
    const std::uint16_t oneAt = editor_.deviceMacros().entries()[1].startAddress;
    const std::uint16_t twoAt = editor_.deviceMacros().entries()[2].startAddress;
    EXPECT_EQ(oneAt, 512 + 22);
    setButton(1, 4, runMacroCode(oneAt));
    setButton(3, 7, runMacroCode(twoAt));
    setButton(2, 5, runMacroCode(512));
    editor_.loadFromCopies(copies_);

    const EditOutcome out = editor_.deleteDeviceMacro(0);
    ASSERT_FALSE(out.refused);
    std::vector<Kind> writes;
    for (const auto& r : out.requests)
        if (r.kind != Kind::Store) writes.push_back(r.kind);
    EXPECT_EQ(writes, (std::vector<Kind>{Kind::ProfileRewrite, Kind::BlockWrite, Kind::BlockWrite}));
    apply(out);

    ASSERT_EQ(editor_.deviceMacros().size(), 2u);
    EXPECT_EQ(editor_.deviceMacroName(0), "One");
    EXPECT_EQ(editor_.deviceMacros().entries()[0].startAddress, 512);
    EXPECT_EQ(editor_.deviceMacros().entries()[1].startAddress, 512 + 22);
    EXPECT_EQ(button(1, 4), runMacroCode(512));               // ran "One"
    EXPECT_EQ(button(3, 7), runMacroCode(512 + 22));          // ran "Two", on profile 3 too
    EXPECT_EQ(button(2, 5), (std::array<std::uint8_t, 4>{})); // its macro is gone
    EXPECT_EQ(state_.deviceMacros[1].name, "Two");
    EXPECT_FALSE(state_.deviceMacros[2].present);
}

TEST_F(MacroEditorTest, UnderTheRefreshGuardOnlyTheCopiesChange) {
    guard_ = true;
    const EditOutcome out = editor_.addToMouse(libraryMacro("A", {0xA1, 0x21, 0x00}));
    for (const auto& r : out.requests) EXPECT_EQ(r.kind, Kind::Store);
}

} // namespace
} // namespace krm
