#include "shell/Branding.h"
#include "base/IniFile.h"
#include "base/ResourceTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace krm {

namespace {
const char* const kKeys[] = {
    "Web_Enable", "Web",       "Web_X",           "Web_Y",          "Rev_Manu_ID",    "Rev_Pro_ID",
    "Path",       "TR_Enable", "BE_Enable",       "GD_Enable",      "DPILED_Status",  "Gun6_Num",
    "Gun7_Num",   "Num_Order", "Num_Mouse_Order", "IC_Config_Type", "Bar_Config_Type"};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path brandingDir() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "resources" /
           "branding";
}
} // namespace

TEST(Branding, ClampsStageCountsAndNumberOrder) {
    struct Case {
        const char* line;
        int gun6, gun7, numOrder;
    } cases[] = {
        {"Gun6_Num=0", 1, 3, 1},   {"Gun6_Num=-4", 1, 3, 1}, {"Gun6_Num=9", 2, 3, 1},
        {"Gun7_Num=7", 2, 3, 1},   {"Gun7_Num=0", 2, 1, 1},  {"Gun7_Num=2", 2, 2, 1},
        {"Num_Order=-3", 2, 3, 0}, {"Num_Order=5", 2, 3, 1}, {"Num_Order=0", 2, 3, 0},
    };
    for (const auto& c : cases) {
        Branding b = parseBranding(std::string("[org]\r\n") + c.line + "\r\n");
        EXPECT_EQ(b.gun6Stages, c.gun6) << c.line;
        EXPECT_EQ(b.gun7Stages, c.gun7) << c.line;
        EXPECT_EQ(b.numOrder, c.numOrder) << c.line;
    }
}

TEST(Branding, FlagsAreOnOnlyForOne) {
    Branding b =
        parseBranding("[org]\nWeb_Enable=2\nTR_Enable=1\nBE_Enable = 1 \nGD_Enable=-1\nDPILED_Status=0\n");
    EXPECT_FALSE(b.webEnabled);
    EXPECT_TRUE(b.textRolling);
    EXPECT_TRUE(b.beEnable);
    EXPECT_FALSE(b.gdEnable);
    EXPECT_FALSE(b.dpiLedMarkers);
}

TEST(Branding, MissingOrNonNumericKeysKeepTheShippedValues) {
    Branding b = parseBranding("[org]\n"
                               "Web_X=120\n"
                               "Web_Y=abc\n"   // not a number
                               "Web_Enable=\n" // empty
                               "Gun7_Num=3x\n"
                               "IC_Config_Type=99999999999999999999\n" // out of range for a long
                               "[other]\nBar_Config_Type=0\n");
    const Branding shipped;
    EXPECT_EQ(b.webX, 120);
    EXPECT_EQ(b.webY, shipped.webY);
    EXPECT_EQ(b.webEnabled, shipped.webEnabled);
    EXPECT_EQ(b.gun7Stages, 3);
    EXPECT_EQ(b.icConfigType, 1);
    EXPECT_EQ(b.barConfigType, 1) << "keys of other sections are not branding";
    EXPECT_EQ(b.webAddress, shipped.webAddress);
    EXPECT_EQ(b.macroLibraryFolder, "");

    Branding none = parseBranding("");
    EXPECT_EQ(none.webX, 9400);
    EXPECT_TRUE(none.dpiLedMarkers);
    EXPECT_EQ(none.icConfigType, 1);
}

TEST(Branding, ChipTypeSelectsAcceptedVariantsAndDefaults) {
    struct Case {
        int type;
        bool r210b, r230b;
        Variant defaults;
    } cases[] = {{1, true, false, Variant::R210B},
                 {2, false, true, Variant::R230B},
                 {0, true, true, Variant::R230B},
                 {3, true, true, Variant::R230B}};
    for (const auto& c : cases) {
        Branding b = parseBranding("[org]\nIC_Config_Type=" + std::to_string(c.type) + "\n");
        EXPECT_EQ(b.acceptsVariant(Variant::R210B), c.r210b) << c.type;
        EXPECT_EQ(b.acceptsVariant(Variant::R230B), c.r230b) << c.type;
        EXPECT_EQ(b.defaultVariant(), c.defaults) << c.type;
    }
}

TEST(Branding, WebButtonTakesBrandingPositionAndImageSize) {
    Branding b = parseBranding("[org]\nWeb_X=900\nWeb_Y=12\n");
    WebButtonPlacement p = webButtonPlacement(b, 40, 24);
    EXPECT_EQ(p.x, 900);
    EXPECT_EQ(p.y, 12);
    EXPECT_EQ(p.width, 40);
    EXPECT_EQ(p.height, 24);
}

TEST(Branding, ShippedFilesHoldEveryKeyWithItsValue) {
    struct File {
        const char* name;
        bool bothVariants;
    } files[] = {{"org.ini", false}, {"org-both-variants.ini", true}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string text = readFile(brandingDir() / f.name);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "CR LF line ends";
        IniFile ini = IniFile::parse(text);
        for (const char* key : kKeys) {
            auto value = ini.text("org", key);
            ASSERT_TRUE(value) << key;
            if (std::string_view(key) != "Web" && std::string_view(key) != "Path") {
                EXPECT_TRUE(parseDecimal(*value)) << key << " = " << *value;
            }
        }
        Branding b = parseBranding(text);
        EXPECT_FALSE(b.webAddress.empty());
        EXPECT_EQ(b.acceptsVariant(Variant::R230B), f.bothVariants);
        EXPECT_TRUE(b.acceptsVariant(Variant::R210B));
    }

    // Whichever file the build embeds, it is complete.
    auto org = ResourceTable::find("org");
    ASSERT_TRUE(org);
    IniFile embedded = IniFile::parse(std::string(org->begin(), org->end()));
    for (const char* key : kKeys) EXPECT_TRUE(embedded.text("org", key)) << key;
    EXPECT_EQ(loadBranding().icConfigType, embedded.integer("org", "IC_Config_Type"));
}

} // namespace krm
