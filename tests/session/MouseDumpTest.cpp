#include "session/MouseDump.h"

#include "image/DefaultImages.h"
#include "support/SessionRig.h"

#include <gtest/gtest.h>

namespace krm {

using test::SessionRig;

TEST(MouseDump, NamesEveryFactoryCodeOfBothVariants) {
    DefaultImageSet factory;
    loadDefaultImages(factory, 0);
    for (Variant v : {Variant::R210B, Variant::R230B}) {
        for (int k = 1; k <= 3; ++k) {
            SCOPED_TRACE(defaultImageName(v, k));
            SessionRig rig(v);
            rig.mouse.setImage(factory.image(v, k));
            ASSERT_TRUE(rig.session.connectNow());

            const auto tree = nlohmann::ordered_json::parse(dumpMouseJson(rig.session).dump());
            EXPECT_EQ(tree["identity"]["variant"], variantName(v));
            EXPECT_EQ(tree["identity"]["chip_code"].get<std::string>().size(), 2u);
            EXPECT_EQ(tree["identity"]["device_vendor_id"], "3A7E");
            for (const auto& profile : tree["profiles"])
                for (const auto& button : profile["buttons"])
                    EXPECT_NE(button["name"], "")
                        << "profile " << profile["profile"] << " " << button["code"];
            for (const auto& key : tree["combo_keys"])
                EXPECT_NE(key["name"], "") << "combo key " << key["key"] << " " << key["code"];
        }
    }

    // A few names that only their own rule gives.
    struct Case {
        Variant variant;
        int k, profile, button;
        const char* code;
        const char* name;
    } cases[] = {
        {Variant::R210B, 1, 1, 2, "01080002", "Backward"},  // combo mask in byte 3
        {Variant::R210B, 1, 1, 3, "0692003C", "Fire Key1"}, // matched against the fire-key slots
        {Variant::R230B, 1, 2, 1, "1006A0FF", "Fire Macro Key"},
        {Variant::R230B, 1, 1, 10, "02080700", "Desktop"},
        {Variant::R230B, 1, 2, 3, "0B120108", "M4 Fire"}, // a gun, by its first three bytes
    };
    for (const auto& c : cases) {
        SessionRig rig(c.variant);
        rig.mouse.setImage(factory.image(c.variant, c.k));
        ASSERT_TRUE(rig.session.connectNow());
        const auto tree = dumpMouseJson(rig.session);
        const auto& button = tree["profiles"][c.profile - 1]["buttons"][c.button - 1];
        EXPECT_EQ(button["code"], c.code);
        EXPECT_EQ(button["name"], c.name);
    }
}

} // namespace krm
