#include "engineering/EngineeringEditor.h"
#include "image/DefaultImages.h"
#include "image/ImageFields.h"
#include "session/ImageOperations.h"
#include "support/SessionRig.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

using test::commandSummary;
using test::SessionRig;
using test::writesOf;
using Lines = std::vector<std::string>;

struct EditorRig {
    bool guard = false;
    SectionCopies copies = SectionCopies::forVariant(Variant::R210B);
    EngineeringEditor editor{[this] { return guard; }};
    EditorRig() { editor.loadFromCopies(copies); }
    void setVendor(std::size_t offset, std::uint8_t v) {
        copies.vendor[offset] = v;
        editor.loadFromCopies(copies);
    }
};

// The option lists' item -> field mappings, including the odd ones, and their inverse.
TEST(EngineeringEditor, OptionItemsSetTheirBitFieldsAndReadBack) {
    struct Case {
        const char* control;
        int index;
        std::uint8_t before;
        std::size_t offset;
        std::uint8_t after;
    } cases[] = {
        {"cb_CPIPrescaleSel", 0, 0x00, 6, 0x30}, // "1.00x": bits 5-4 = 11
        {"cb_CPIPrescaleSel", 3, 0xFF, 6, 0xCF}, // "1.33x": both cleared
        {"cb_CPIPrescaleSel", 1, 0x00, 6, 0x10}, // "1.12x": 01
        {"cb_CPIPrescaleSel", 2, 0x00, 6, 0x20}, // "1.25x": 10
        {"cb_CPISet", 0, 0x00, 5, 0x0C},         // "800,1200,1600,2400": 3 - 0
        {"cb_CPISet", 3, 0xFF, 5, 0xF3},         // "400,800,1600,2400": 0
        {"cb_CPIIndication", 0, 0x00, 5, 0x10},  // "No Indication": 01
        {"cb_CPIIndication", 2, 0x00, 5, 0x30},  // "Flash": 11
        {"cb_ICType", 3, 0x07, 4, 0xC7},         // bits 2-0 of byte 4 untouched
        {"cb_Package", 1, 0x00, 5, 0x80},         {"cb_SensorRotation", 2, 0x3F, 6, 0xBF},
        {"cb_ProfileLEDFlash", 1, 0xF0, 8, 0xF1}, // bits 7-4 of byte 8 untouched
        {"cb_LEDPower", 0, 0xFF, 7, 0xFE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " item " + std::to_string(c.index));
        EditorRig rig;
        rig.setVendor(c.offset, c.before);
        const OptionControl* control = findOptionControl(c.control);
        ASSERT_NE(control, nullptr);
        const EditOutcome out = rig.editor.chooseOption(*control, c.index);
        ASSERT_EQ(out.requests.size(), 1u);
        EXPECT_EQ(out.requests[0], EditRequest::writeThrough(c.offset, {c.after}));
        EXPECT_EQ(rig.editor.optionIndex(*control), c.index) << "read back through the inverse";
    }
    EditorRig rig;
    EXPECT_TRUE(rig.editor.chooseOption(*findOptionControl("cb_CPILevel"), 4).refused);
    rig.guard = true;
    EXPECT_EQ(rig.editor.chooseOption(*findOptionControl("cb_CPILevel"), 1).requests,
              (std::vector{EditRequest::store(5, {0x01})}))
        << "under the refresh guard only the copy follows";
}

TEST(EngineeringEditor, EveryOptionValueShowsTheItemTheDumpNames) {
    // Indication 0 is written by no item, and shows as "No Indication" on the page as in the dump.
    for (const OptionField& field : optionFields()) {
        const OptionControl* control = findOptionControl(field.control);
        if (!control) continue; // the report rate is the performance page's
        for (int value = 0; value < (1 << (field.high - field.low + 1)); ++value) {
            SCOPED_TRACE(std::string(field.control) + " value " + std::to_string(value));
            EditorRig rig;
            rig.setVendor(field.offset, static_cast<std::uint8_t>(value << field.low));
            const auto index = rig.editor.optionIndex(*control);
            ASSERT_TRUE(index.has_value());
            EXPECT_EQ(control->items[static_cast<std::size_t>(*index)], optionText(field, value));
        }
    }
}

TEST(EngineeringEditor, HexAndIntegerFieldRules) {
    struct HexCase {
        long value;
        const char* text;
    } hexCases[] = {{0, ""}, {-3, ""}, {0x0A, "A"}, {0x1A, "1A"}, {0x3A7E, "3A7E"}, {0x10E0, "10E0"}};
    for (const auto& c : hexCases) EXPECT_EQ(hexText(c.value), c.text) << c.value;
    EXPECT_EQ(hexValue(""), 0);
    EXPECT_EQ(hexValue("3a7E"), 0x3A7E);
    EXPECT_EQ(filterHex("3g-A x7e"), "3A7e");
    EXPECT_EQ(filterDecimal("2a5 5"), "255");
    EXPECT_EQ(decimalText(0), "");
    EXPECT_EQ(decimalValue("0255"), 255);

    EditorRig rig;
    const RegisterControl& ledInit0 = registerControls()[31];
    ASSERT_EQ(ledInit0.name, "LEDInit0");
    EXPECT_EQ(rig.editor.setRegister(ledInit0, hexValue("1FF")).requests,
              (std::vector{EditRequest::writeThrough(40, {0xFF})}))
        << "above 255 is written as FF";
    EXPECT_EQ(rig.editor.registerValue(ledInit0), 0xFF);
}

TEST(EngineeringEditor, UsbIdsDescriptorAndFactoryCodes) {
    EditorRig rig;
    EXPECT_TRUE(rig.editor.typeVendorId("3A7").requests.empty()) << "three digits send nothing";
    EXPECT_EQ(rig.editor.typeVendorId("3A7E").requests,
              (std::vector{EditRequest::writeThrough(0, {0x3A, 0x7E})}));
    EXPECT_EQ(rig.editor.typeProductId("0c51").requests,
              (std::vector{EditRequest::writeThrough(2, {0x0C, 0x51})}));
    EXPECT_EQ(rig.editor.vendorId(), 0x3A7E);
    EXPECT_TRUE(rig.editor.typeProductId("0000").refused) << "a mouse under id 0 could not be found";
    EXPECT_EQ(rig.editor.productId(), 0x0C51);

    EXPECT_EQ(rig.editor.typeDescriptor("ABC").requests,
              (std::vector{
                  EditRequest::writeThrough(111, {'A', 'B', 'C'}), EditRequest::writeThrough(114, {0, 0, 0}),
                  EditRequest::writeThrough(117, {0, 0, 0}), EditRequest::writeThrough(120, {0, 0, 0}),
                  EditRequest::writeThrough(123, {0, 0, 0}), EditRequest::writeThrough(126, {0})}));
    EXPECT_EQ(rig.editor.descriptor(), "ABC");
    EXPECT_TRUE(rig.editor.typeDescriptor("seventeen letters").refused);
    EXPECT_TRUE(rig.editor.typeDescriptor("Maus\xC3\xA4").refused) << "not one byte per character";
    EXPECT_EQ(rig.editor.descriptor(), "ABC");

    rig.copies.fireKey = {0xFF, 0xFF, 0x01, 0x00, 0x3C, 0x03, 0x00, 0x78, 0x07, 0x00, 0xC8, 0xE0};
    rig.editor.loadFromCopies(rig.copies);
    const auto out = rig.editor.setFactoryCodes(300, 7);
    ASSERT_EQ(out.requests.size(), 1u);
    EXPECT_EQ(out.requests[0],
              EditRequest::blockWrite(484, std::vector<std::uint8_t>{0xFF, 0x07, 0x01, 0x00, 0x3C, 0x03, 0x00,
                                                                     0x78, 0x07, 0x00, 0xC8, 0xE0}));
}

TEST(HiddenMode, FifthDoubleClickAsksAndTheNextHidesAgain) {
    HiddenMode mode;
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(mode.doubleClicked(), HiddenMode::Step::Counted) << i;
    EXPECT_EQ(mode.doubleClicked(), HiddenMode::Step::AskPassword);
    mode.passwordEntered("wrong");
    EXPECT_FALSE(mode.on()) << "a wrong code changes nothing";
    for (int i = 6; i <= 9; ++i) EXPECT_EQ(mode.doubleClicked(), HiddenMode::Step::Counted) << i;
    EXPECT_EQ(mode.doubleClicked(), HiddenMode::Step::AskPassword) << "the counter never resets";
    mode.passwordEntered("MbrQelnVdWKP");
    EXPECT_TRUE(mode.factoryControlsShown());
    EXPECT_EQ(mode.doubleClicked(), HiddenMode::Step::Hidden) << "no dialog to hide again";
    EXPECT_FALSE(mode.on());

    for (int i = 11; i < 15; ++i) mode.doubleClicked();
    ASSERT_EQ(mode.doubleClicked(), HiddenMode::Step::AskPassword);
    mode.passwordEntered("MbrQelnVd");
    EXPECT_TRUE(mode.on());
    EXPECT_FALSE(mode.factoryControlsShown()) << "the short code shows nothing";
    HiddenMode fire;
    for (int i = 0; i < 5; ++i) fire.doubleClicked();
    fire.passwordEntered("MbrQelnVdWKP", false);
    EXPECT_FALSE(fire.on()) << "the fire page's background takes only the short code";
}

// What the mouse receives, through the session.
TEST(EngineeringSession, WritesReachTheMouse) {
    SessionRig rig(Variant::R210B);
    Session& s = rig.session;
    ASSERT_TRUE(s.connectNow());
    EngineeringEditor& e = s.engineering();
    rig.clearTrace();

    s.apply(e.typeVendorId("3A7"));
    EXPECT_TRUE(rig.lines().empty());
    s.apply(e.typeVendorId("3A7E"));
    EXPECT_EQ(writesOf(commandSummary(rig.lines())), (Lines{"set 40 05 00 00 3a 7e 00 02"}));
    rig.clearTrace();

    s.apply(e.typeDescriptor("ABC"));
    EXPECT_EQ(
        writesOf(commandSummary(rig.lines())),
        (Lines{"set 40 05 00 6f 41 42 43 03", "set 40 05 00 72 00 00 00 03", "set 40 05 00 75 00 00 00 03",
               "set 40 05 00 78 00 00 00 03", "set 40 05 00 7b 00 00 00 03", "set 40 05 00 7e 00 00 00 01"}));
    rig.clearTrace();

    s.apply(e.chooseOption(*findOptionControl("cb_CPIPrescaleSel"), 0));
    s.apply(e.changedXData());
    EXPECT_EQ(rig.mouse.image()[6] & 0x30, 0x30);
    EXPECT_EQ(rig.mouse.xdata(0x7242), 0x06);
    EXPECT_EQ(writesOf(commandSummary(rig.lines())).size(), 4u);

    // What another editor stored since the read stays: the codes go out with the block as it is now.
    s.image().copies.fireKey[4] = 0x55;
    const auto codes = e.setFactoryCodes(7, 9);
    ASSERT_EQ(codes.requests.size(), 1u);
    EXPECT_EQ(codes.requests[0].bytes[4], 0x55);
    EXPECT_EQ(codes.requests[0].bytes[0], 7);

    // A re-read fills the editor from what the mouse holds.
    ASSERT_TRUE(s.connectNow());
    EXPECT_EQ(e.descriptor(), "ABC");
    EXPECT_EQ(e.optionIndex(*findOptionControl("cb_CPIPrescaleSel")), 0);
}

// A profile file that carries other USB ids: the mouse comes back under them, and the udev line is told
// once.
TEST(EngineeringSession, LoadedFileWithOtherIdsFindsTheMouseAgain) {
    SessionRig rig(Variant::R210B);
    Session& s = rig.session;
    ASSERT_TRUE(s.connectNow());
    ConfigImage file = s.image().image;
    file[0] = 0x12;
    file[1] = 0x34;
    rig.ui.clear();
    ImageOperations ops(s, rig.ui);
    EXPECT_EQ(ops.loadProfile(file), OperationResult::Done);
    EXPECT_EQ(s.link().vendorId(), 0x1234u);
    EXPECT_EQ(s.link().productId(), 0x0C51u);
    const auto messages = rig.ui.messages();
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const std::string& m) {
                                return m.find("ATTRS{idVendor}==\"1234\", ATTRS{idProduct}==\"0c51\"") !=
                                       std::string::npos;
                            }),
              1);
}

} // namespace
} // namespace krm
