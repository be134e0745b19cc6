#include "base/GlobalOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace krm {

namespace {
GlobalOptions parse(std::vector<const char*> args, bool windowOptions = false) {
    args.insert(args.begin(), "prog");
    return parseGlobalOptions(static_cast<int>(args.size()), args.data(), windowOptions);
}
} // namespace

TEST(GlobalOptions, TakesGlobalOptionsAnywhereAndLeavesTheRest) {
    ::unsetenv("KRM_TRACE");
    auto o = parse({"--simulate=r230b", "dump", "--trace", "t.log", "--json"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.simVariant, "R230B");
    EXPECT_EQ(o.trace, "t.log");
    EXPECT_EQ(o.rest, (std::vector<std::string>{"dump", "--json"}));

    auto plain = parse({"--simulate", "--sim-image=m.bin"});
    EXPECT_EQ(plain.simVariant, "R210B");
    EXPECT_EQ(plain.simImage, "m.bin");
}

TEST(GlobalOptions, Errors) {
    EXPECT_FALSE(parse({"--simulate=R999"}).error.empty());
    EXPECT_FALSE(parse({"--trace"}).error.empty());
    auto noShots = parse({"--screenshots", "dir"});
    EXPECT_EQ(noShots.rest.front(), "--screenshots") << "krmctl does not know --screenshots";
    EXPECT_EQ(parse({"--screenshots", "dir"}, true).screenshots, "dir");
    EXPECT_EQ(parse({"--engineering"}).rest.front(), "--engineering") << "nor --engineering";
    EXPECT_TRUE(parse({"--engineering"}, true).engineering);
}

TEST(GlobalOptions, TraceFromEnvironment) {
    ::setenv("KRM_TRACE", "env.log", 1);
    EXPECT_EQ(parse({}).trace, "env.log");
    EXPECT_EQ(parse({"--trace=x"}).trace, "x");
    ::unsetenv("KRM_TRACE");
}

TEST(GlobalOptions, SimFaults) {
    auto o = parse({"--sim-fault", "short@3", "info", "--sim-fault=refuse-09"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_TRUE(o.simulate) << "a fault implies the simulated mouse";
    ASSERT_EQ(o.simFaults.size(), 2u);
    EXPECT_EQ(o.simFaults[0], (SimFault{SimFault::Kind::Short, 0, 3}));
    EXPECT_EQ(o.simFaults[1], (SimFault{SimFault::Kind::RefuseCommand, 0x09, 0}));
    EXPECT_EQ(o.rest, (std::vector<std::string>{"info"}));
    EXPECT_NE(parse({"--sim-fault", "loud"}).error.find("--sim-fault loud"), std::string::npos);
    EXPECT_NE(parse({"--sim-fault"}).error.find("needs a value"), std::string::npos);
}

TEST(GlobalOptions, MouseIds) {
    const auto o = parse({"--ids", "1234:5678", "info"});
    ASSERT_TRUE(o.ids.has_value()) << o.error;
    EXPECT_EQ(o.ids->vendorId, 0x1234);
    EXPECT_EQ(o.ids->productId, 0x5678);
    EXPECT_EQ(parse({"--ids=3a7e:c51"}).ids->productId, 0x0C51);
    for (const char* bad :
         {"1234", "1234:", ":5678", "0000:5678", "12345:5678", "12g4:5678", "1234:5678:9"}) {
        const auto b = parse({"--ids", bad});
        EXPECT_FALSE(b.ids.has_value()) << bad;
        EXPECT_NE(b.error.find("--ids"), std::string::npos) << bad;
    }
}

} // namespace krm
