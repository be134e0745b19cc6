#include "session/MainPageCode.h"

#include "image/FunctionCode.h"
#include "image/SectionDefaults.h"
#include "support/SessionRig.h"
#include "support/TraceSummary.h"

#include <gtest/gtest.h>

#include <span>

namespace krm {

using test::SessionRig;

namespace {

// A language table with the names the left-button rule compares but without its two messages.
LanguageTables tablesWithoutRuleMessages() {
    return LanguageTables([](int) -> std::optional<std::vector<std::uint8_t>> {
        const std::u16string text = u"[lang1] \"Str210=Left Click\" \"Str211=Right Click\" "
                                    u"[lang2] \"Str210=Left Click\" [lang3] \"Str210=Left Click\"";
        std::vector<std::uint8_t> bytes{0xFF, 0xFE};
        for (char16_t u : text) {
            bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(u >> 8));
        }
        return bytes;
    });
}

} // namespace

TEST(MainPageCode, LeftButtonRuleRefusesWithItsMessageAndSendsNothing) {
    struct Case {
        const char* name;
        int language;
        bool shippedTables;
        int profile;
        std::string message;
    } cases[] = {
        {"table 1, profile 1", 1, true, 1, "Keep at least one left button"},
        {"table 2, profile 2", 2, true, 2,
         "\xE8\x87\xB3\xE5\xB0\x91\xE4\xBF\x9D\xE7\x95\x99\xE4\xB8\x80\xE4\xB8\xAA"
         "\xE5\xB7\xA6\xE9\x94\xAE\xE6\x88\x96\xE5\x8E\x8B\xE6\x9E\xAA\xE9\x94\xAE"},
        {"no message in the table, profile 1", 1, false, 1, "Keep at least one left button"},
        {"no message in the table, profile 3", 1, false, 3, "Keep at least one left button or recoil key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        ASSERT_TRUE(rig.session.connectNow());
        if (!c.shippedTables) rig.session.setLanguageTables(tablesWithoutRuleMessages());
        rig.session.setLanguage(c.language);
        const auto before = rig.mouse.image();
        rig.clearTrace();

        // Button 1 holds the profile's only Left Click on a fresh mouse.
        const EditOutcome out = assignMainPageCode(rig.session, c.profile, 1, "01020000");
        EXPECT_TRUE(out.refused);
        EXPECT_EQ(out.message, c.message);
        EXPECT_TRUE(rig.lines().empty());
        EXPECT_EQ(rig.mouse.image(), before);
        EXPECT_EQ(rig.session.assignments().code(c.profile, 1), "01010000");
    }
}

TEST(MainPageCode, AcceptedCodeEndsWithTheProfileRewrite) {
    SessionRig rig;
    ASSERT_TRUE(rig.session.connectNow());
    rig.clearTrace();
    const EditOutcome out = assignMainPageCode(rig.session, 1, 4, "01040000");
    EXPECT_FALSE(out.refused);
    EXPECT_EQ(test::commandSummary(rig.lines()), (std::vector<std::string>{
                                                     "set 40 07 00 c0 00 93 00 00 +21",
                                                     "set 40 06 00 a4 00 1c 00 00",
                                                     "set 40 05 00 a4 0f 00 00 01",
                                                     "set 40 05 00 a4 00 00 00 01",
                                                 }));
    const auto image = rig.mouse.image();
    const std::size_t at = codes::buttonOffset(1, 4);
    EXPECT_EQ((std::vector<std::uint8_t>(image.begin() + at, image.begin() + at + 4)),
              (std::vector<std::uint8_t>{0x01, 0x04, 0x00, 0x00}));
    EXPECT_TRUE(
        sectionChecksumGood(std::span(image).subspan(image::profileOffset(1), image::kProfileLength)));
    EXPECT_EQ(rig.session.assignments().tableCaption(1, 4), "Middle Click");
}

} // namespace krm
