// The report descriptors krm-uhid-mouse gives the kernel, read back with the parser the HID backend
// uses on the kernel's copy in sysfs.

#include "app/uhid/ReportDescriptors.h"
#include "device/ReportDescriptor.h"

#include <gtest/gtest.h>

namespace krm {

TEST(UhidDescriptors, OneCollectionIsTheConfigurationCollection) {
    std::string error;
    const auto c = parseReportDescriptor(uhid::mouseDescriptor(1), &error);
    ASSERT_TRUE(c) << error;
    ASSERT_EQ(c->size(), 1u);
    EXPECT_EQ((*c)[0].featureReportLength, 8);
    EXPECT_EQ((*c)[0].inputReportLength, 8);
}

TEST(UhidDescriptors, TwoCollectionsPutThePointerFirst) {
    std::string error;
    const auto c = parseReportDescriptor(uhid::mouseDescriptor(2), &error);
    ASSERT_TRUE(c) << error;
    ASSERT_EQ(c->size(), 2u);
    EXPECT_EQ((*c)[0].featureReportLength, 0);
    EXPECT_EQ((*c)[0].inputReportLength, 5); // as the in-process simulated mouse's pointer interface
    EXPECT_EQ((*c)[1].featureReportLength, 8);
    EXPECT_EQ((*c)[1].inputReportLength, 8);
}

TEST(UhidDescriptors, TheDecoyLooksLikeTheMouseOnTheWire) {
    const auto c = parseReportDescriptor(uhid::decoyDescriptor());
    ASSERT_TRUE(c);
    ASSERT_EQ(c->size(), 1u);
    EXPECT_EQ((*c)[0].featureReportLength, 8);
    EXPECT_NE(uhid::decoyDescriptor(), uhid::mouseDescriptor(1));
}

} // namespace krm
