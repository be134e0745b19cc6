#pragma once

#include "app/ctl/Commands.h"
#include "device/Clock.h"
#include "support/TempDir.h"
#include "support/TraceSummary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace krm::test {

// krmctl run in-process on virtual time (a restart's waits cost nothing): its exit code and what it
// printed. A test that drives the time itself passes its clock.
struct CtlResult {
    int rc = -1;
    std::string out;
    std::string err;
};

inline CtlResult ctl(const std::vector<std::string>& args, FakeClock* drivenClock = nullptr) {
    FakeClock ownClock;
    FakeClock& clock = drivenClock ? *drivenClock : ownClock;
    std::vector<const char*> argv = {"krmctl"};
    for (const auto& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    CtlResult r;
    std::fflush(stdout);
    std::fflush(stderr);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    r.rc = ctl::run(static_cast<int>(argv.size() - 1), argv.data(), &clock);
    std::fflush(stdout);
    std::fflush(stderr);
    r.err = ::testing::internal::GetCapturedStderr();
    r.out = ::testing::internal::GetCapturedStdout();
    return r;
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The feature reports (set and get lines) a protocol trace holds.
inline std::size_t reportsIn(const std::string& traceFile) {
    const std::string text = readText(traceFile);
    std::size_t n = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 4, "set ") == 0 || text.compare(at, 4, "get ") == 0) ++n;
        const std::size_t nl = text.find('\n', at);
        at = nl == std::string::npos ? text.size() : nl + 1;
    }
    return n;
}

} // namespace krm::test
