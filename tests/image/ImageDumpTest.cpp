#include "image/ImageDump.h"
#include "image/ImageFields.h"

#include "ImageFixtures.h"

#include <gtest/gtest.h>

namespace krm {

using test::hex;

TEST(ImageDump, NamesEveryFieldAndSectionStatus) {
    ConfigImage image = test::factoryImages().image(Variant::R210B, 1);
    image[170] = 0x99; // user section damaged
    // Two macros in the block: "AB" with five event bytes, then "Z" without events.
    const auto macros = hex("0041 0042 0000 0000 0000 0000 0000 0000 82 04 02 04 00"
                            "005A 0000 0000 0000 0000 0000 0000 0000 00");
    std::copy(macros.begin(), macros.end(), image.begin() + 496);
    ImageState state = ImageState::forVariant(Variant::R210B);
    replaceImage(state, image, DefaultInputs{});

    DumpContext ctx;
    ctx.source = "test";
    ctx.functionName = [](std::string_view code) { return code == "01010000" ? "Left Click" : ""; };
    const auto j = dumpImageJson(state, ctx);

    EXPECT_EQ(j["variant"], "R210B");
    EXPECT_EQ(j["identity"]["vendor_id"], "3A7E");
    EXPECT_EQ(j["identity"]["product_string"], "HID Gaming Mouse");
    EXPECT_EQ(j["sections"][0]["status"], "good");
    EXPECT_EQ(j["sections"][1]["status"], "damaged, regenerated from the defaults");
    EXPECT_EQ(j["sections"][1]["stored_checksum"], "D9");
    EXPECT_EQ(j["options"][1]["text"], "1000Hz");
    EXPECT_EQ(j["sensor_registers"]["MaxShut"], "48");
    EXPECT_EQ(j["dpi"]["count"], 6);
    EXPECT_EQ(j["dpi"]["levels"][0]["text"], "800");
    EXPECT_EQ(j["dpi"]["levels"][6]["enabled"], false);
    EXPECT_EQ(j["lighting"]["led_type"], "RGB") << "the repaired user copy, generated as for an unknown type";
    EXPECT_EQ(j["lighting"]["mcu_led"]["led_count"], 10);
    EXPECT_EQ(j["combo_keys"][3]["code"], "07D1F018");
    EXPECT_EQ(j["profiles"][0]["buttons"][0]["name"], "Left Click");
    EXPECT_EQ(j["profiles"][2]["buttons"][5]["code"], "02080700");
    EXPECT_EQ(j["fire_keys"]["slots"][2]["repeat"], 8);
    EXPECT_EQ(j["macros"].size(), 2u);
    EXPECT_EQ(j["macros"][0]["name"], "AB");
    EXPECT_EQ(j["macros"][0]["start_address"], 512);
    EXPECT_EQ(j["macros"][1]["name"], "Z");
    EXPECT_EQ(j["macros"][1]["start_address"], 512 + 21);
    EXPECT_EQ(j["patch"]["checksum"], "5F63");
    EXPECT_EQ(j["patch"]["checksum_status"], "good");
    EXPECT_EQ(j["fire_macros"][0]["body"].get<std::string>().substr(0, 11), "A1 FE 00 01");

    const std::string text = dumpImageText(state, ctx);
    EXPECT_NE(
        text.find("- section=user status=\"damaged, regenerated from the defaults\" stored_checksum=D9"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("  product_string: HID Gaming Mouse\n"), std::string::npos);
}

TEST(ImageDump, ProfileFileForInspection) {
    test::TempDir dir;
    const ConfigImage image = test::factoryImages().image(Variant::R230B, 2);
    test::writeFile(dir.file("p.bin"), image);
    test::writeFile(dir.file("short.bin"), std::vector<std::uint8_t>(image.begin(), image.begin() + 1000));

    const auto json = dumpProfileFile(dir.file("p.bin"), Variant::R230B, true);
    ASSERT_TRUE(json);
    const auto parsed = nlohmann::json::parse(*json.value);
    EXPECT_EQ(parsed["fire_macros"][9]["name"], "Macro10");
    EXPECT_EQ(parsed["user"]["current_profile"], 2);
    EXPECT_EQ(parsed["user"]["button_effect"], "off") << "4 reads as list index 0";

    const auto refused = dumpProfileFile(dir.file("short.bin"), Variant::R230B, false);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error.message, "Loading .bin is error!");
}

} // namespace krm
