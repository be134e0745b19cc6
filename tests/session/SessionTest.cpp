#include "support/SessionRig.h"

#include "buttons/FunctionCatalogue.h"
#include "image/SectionDefaults.h"

#include <gtest/gtest.h>

#include <span>

namespace krm {

using test::SessionRig;

namespace {
std::vector<std::string> setLines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        if (l.starts_with("set 40")) out.push_back(l);
    return out;
}
} // namespace

TEST(Session, ConnectReadsTheImageAndUncoversThePages) {
    SessionRig rig;
    ASSERT_TRUE(rig.session.connectNow());
    EXPECT_EQ(rig.session.presence().chipModel(), "R210B");
    EXPECT_FALSE(rig.session.refreshGuard());
    EXPECT_EQ(rig.session.image().image, rig.mouse.image());
    EXPECT_FALSE(rig.session.image().lastUnpack.anyRepaired());
    EXPECT_EQ(rig.session.assignments().keyCaption(1), "Left Click");
    const auto calls = rig.ui.calls();
    EXPECT_EQ(calls.back(), "timer:DevTimer+");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "uncover"), calls.end());
}

TEST(Session, ProfileButtonWritesTheGameSettings) {
    Branding branding = SessionRig::bothVariants();
    branding.gdEnable = true;
    SessionRig rig(Variant::R210B, branding);
    ASSERT_TRUE(rig.session.connectNow());
    rig.clearTrace();
    EXPECT_EQ(rig.session.clickPage(Page::Profile2), Session::PageClick::Shown);
    EXPECT_EQ(setLines(rig.lines()), (std::vector<std::string>{
                                         "set 40 05 00 a7 04 00 00 01",
                                         "set 40 05 00 a8 0f 00 00 01",
                                         "set 40 05 00 a9 00 00 00 01",
                                         "set 40 05 00 aa 18 00 00 01",
                                         "set 40 05 00 a4 f1 00 00 01",
                                     }));
    EXPECT_EQ(rig.session.currentProfile(), 2);
}

TEST(Session, NoMouseAndGuardedPageClicks) {
    SessionRig rig;
    EXPECT_EQ(rig.session.clickPage(Page::Performance), Session::PageClick::NoMouse);
    ASSERT_TRUE(rig.session.connectNow());
    rig.session.setRefreshGuard(true);
    rig.clearTrace();
    EXPECT_EQ(rig.session.clickPage(Page::Profile3), Session::PageClick::Ignored);
    EXPECT_EQ(rig.session.clickPage(Page::Performance), Session::PageClick::Shown);
    EXPECT_TRUE(rig.lines().empty());
}

TEST(Session, AssigningMiddleClickRewritesTheProfilesOnTheMouse) {
    SessionRig rig;
    ASSERT_TRUE(rig.session.connectNow());
    ASSERT_EQ(rig.session.clickPage(Page::Profile2), Session::PageClick::Shown);
    rig.session.assignments().openFromMainPage(4);
    rig.clearTrace();
    const EditOutcome out = rig.session.apply(rig.session.assignments().chooseFunction(902));
    EXPECT_FALSE(out.refused);

    const auto image = rig.mouse.image();
    const std::size_t slot4 = image::profileOffset(2) + 12;
    EXPECT_EQ(image[slot4], 0x01);
    EXPECT_EQ(image[slot4 + 1], 0x04);
    EXPECT_EQ(image[slot4 + 2], 0x00);
    EXPECT_TRUE(
        sectionChecksumGood(std::span(image).subspan(image::profileOffset(2), image::kProfileLength)));
    EXPECT_EQ(rig.session.assignments().keyCaption(4), "Middle Click");

    const auto sets = setLines(rig.lines());
    ASSERT_GE(sets.size(), 4u);
    EXPECT_EQ(sets[0], "set 40 07 00 c0 00 93 00 00");
    EXPECT_EQ(sets[1], "set 40 06 00 a4 00 1c 00 00");
    EXPECT_EQ(sets[2], "set 40 05 00 a4 0f 00 00 01");
    EXPECT_EQ(sets[3].substr(0, 17), "set 40 05 00 a4 0");
}

TEST(Session, RefusedAssignmentSendsNothing) {
    SessionRig rig;
    ASSERT_TRUE(rig.session.connectNow());
    ASSERT_EQ(rig.session.clickPage(Page::Profile1), Session::PageClick::Shown);
    rig.session.assignments().openFromMainPage(1); // the only Left Click of profile 1
    rig.clearTrace();
    const EditOutcome out = rig.session.apply(rig.session.assignments().chooseFunction(901));
    EXPECT_TRUE(out.refused);
    EXPECT_TRUE(rig.lines().empty());
    EXPECT_EQ(rig.session.assignments().keyCaption(1), "Left Click");
}

TEST(Session, ProfileClicksInAnyOrderTakeTheColourFromTheColourList) {
    // The mouse's byte 0xA4 holds profile 1 with colour 3 (0x31): every profile click sends its five
    // writes with colour nibble 3, whatever the clicks before it wrote to 0xA4.
    const std::vector<std::vector<int>> orders = {{1, 2, 3, 1, 2, 3}, {3, 2, 1, 3, 2, 1}, {2, 3, 1, 2, 1, 3}};
    for (const auto& order : orders) {
        SessionRig rig;
        auto image = rig.mouse.image();
        image[image::kUserOffset] = 0x31;
        storeSectionChecksum(std::span(image).subspan(image::kUserOffset, image::kUserLength));
        rig.mouse.setImage(image);
        ASSERT_TRUE(rig.session.connectNow());
        for (int profile : order) {
            SCOPED_TRACE("profile " + std::to_string(profile));
            rig.clearTrace();
            ASSERT_EQ(rig.session.clickPage(static_cast<Page>(profile)), Session::PageClick::Shown);
            const auto sets = setLines(rig.lines());
            ASSERT_EQ(sets.size(), 5u);
            const std::string a4 = profile == 2 ? "31" : "3" + std::to_string(profile - 1);
            EXPECT_EQ(sets[4], "set 40 05 00 a4 " + a4 + " 00 00 01");
        }
    }
}

TEST(SessionFaults, AFailedProfileRewriteSaysSoAndNeverWritesWhatItDidNotRead) {
    // Each fault strikes right after the 147-byte block write (its command and 21 data reports) and
    // lasts: a mouse that still reads is read again, one that does not keeps the copies of before.
    using Failure = EditOutcome::WriteFailure;
    struct Case {
        const char* name;
        SimFault fault;
        bool profilesWritten;
        Failure failure;
    };
    const Case cases[] = {
        {"block write refused", {SimFault::Kind::RefuseCommand, 0x07, 0}, false, Failure::ReadAgain},
        {"read-back refused", {SimFault::Kind::RefuseCommand, 0x06, 22}, true, Failure::ReadAgain},
        {"read-back fetches fail", {SimFault::Kind::FetchFail, 0, 22}, true, Failure::NotReadAgain},
        {"read-back brings noise", {SimFault::Kind::Garbage, 0, 22}, true, Failure::NotReadAgain},
    };
    for (const auto& c : cases) {
        SessionRig rig;
        ASSERT_TRUE(rig.session.connectNow());
        ASSERT_EQ(rig.session.clickPage(Page::Profile2), Session::PageClick::Shown);
        const auto copiesBefore = rig.session.image().copies;
        rig.session.assignments().openFromMainPage(4);
        rig.clearTrace();
        rig.ui.clear();
        rig.mouse.addFault(c.fault);
        const EditOutcome out = rig.session.apply(rig.session.assignments().chooseFunction(902));

        EXPECT_EQ(out.failure, c.failure) << c.name;
        EXPECT_EQ(out.failedWrite, "the three profiles") << c.name;
        EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{out.message.value_or("")}) << c.name;
        for (const auto& line : setLines(rig.lines()))
            EXPECT_FALSE(line.starts_with("set 40 05 00 a4")) << c.name << ": " << line;
        const std::size_t slot4 = image::profileOffset(2) + 12;
        EXPECT_EQ(rig.mouse.image()[slot4 + 1] == 0x04, c.profilesWritten) << c.name;
        // The copies and the editor claim nothing the mouse was not seen to take.
        const auto& copies = rig.session.image().copies;
        if (c.failure == Failure::ReadAgain) {
            EXPECT_TRUE(std::equal(copies.profiles[1].begin(), copies.profiles[1].end(),
                                   rig.mouse.image().begin() + image::profileOffset(2)))
                << c.name;
        } else {
            EXPECT_EQ(copies.profiles, copiesBefore.profiles) << c.name;
            EXPECT_EQ(copies.user, copiesBefore.user) << c.name;
            EXPECT_FALSE(rig.session.transfer().copiesTrusted()) << c.name << ": the mouse may hold a part";
        }
        EXPECT_EQ(rig.session.assignments().code(2, 4),
                  codeText(std::span(copies.profiles[1]).subspan<12, 4>()))
            << c.name;
    }
}

TEST(SessionFaults, AfterAReadThatFailedOrBroughtNoiseNothingIsWritten) {
    // In the middle of the whole-image read: fetches that fail, or replies of noise that pass as whole.
    for (SimFault::Kind kind : {SimFault::Kind::FetchFail, SimFault::Kind::Garbage}) {
        const bool noise = kind == SimFault::Kind::Garbage;
        SCOPED_TRACE(noise ? "noise" : "failed fetches");
        SessionRig rig;
        rig.mouse.addFault({kind, 0, 200});
        rig.session.connectNow();
        EXPECT_EQ(rig.session.transfer().lastReadComplete(), noise);
        EXPECT_FALSE(rig.session.transfer().copiesTrusted());
        EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{kIncompleteReadMessage});
        rig.clearTrace();
        rig.ui.clear();
        // Not even a profile is switched on such a copy.
        EXPECT_EQ(rig.session.clickPage(Page::Profile2), Session::PageClick::Ignored);
        EXPECT_EQ(rig.ui.messages(), std::vector<std::string>{rig.session.textSlots().writeFailures[2]});
        rig.session.assignments().setCurrentProfile(2);
        rig.session.assignments().openFromMainPage(4);
        const auto before = rig.mouse.image();
        const std::string codeBefore = rig.session.assignments().code(2, 4);
        const EditOutcome out = rig.session.apply(rig.session.assignments().chooseFunction(902));
        EXPECT_EQ(out.failure, EditOutcome::WriteFailure::NotTrusted);
        EXPECT_NE(out.message.value_or("").find("not read whole"), std::string::npos)
            << out.message.value_or("");
        EXPECT_TRUE(rig.lines().empty()) << "factory values must not go over the mouse's own";
        EXPECT_EQ(rig.mouse.image(), before);
        EXPECT_EQ(rig.session.assignments().code(2, 4), codeBefore) << "the editor went back to the copies";
    }
}

} // namespace krm
