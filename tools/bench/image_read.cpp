// Times a whole-image read (one command, 293 fetches) against the simulated mouse on the real clock,
// with no latency and with 1 ms per report, and compares it with the protocol's floor: the 500 µs
// wait after every fetch plus, with latency, the latency of each of the 294 reports. With --hidraw it
// also times the same read over the machine's HID stack (hidapi, hidraw, the kernel) against the
// mouse found there, e.g. krm-uhid-mouse's (the VM test runs it so).
//
//   krm_bench_image_read [--runs N] [--hidraw]

#include "device/Clock.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/HidapiBackend.h"
#include "device/QuietUiPort.h"
#include "device/SimulatedMouse.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kFetches = 293;
constexpr double kFetchWaitMs = 0.5;

double medianReadMs(krm::HidBackend& backend, int runs) {
    krm::SystemClock clock;
    krm::DeviceLink link(backend);
    krm::QuietUiPort ui;
    krm::DeviceCommands commands(link, clock, ui);
    if (link.openFromTable(krm::DeviceIdTable{}) < 0) {
        std::fprintf(stderr, "the mouse was not found\n");
        std::exit(1);
    }
    std::vector<std::uint8_t> image(krm::kImageSize);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!commands.blockRead(0, krm::kImageSize, image, true)) {
            std::fprintf(stderr, "the read was refused\n");
            std::exit(1);
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double medianSimulatedReadMs(int latencyUs, int runs) {
    krm::SystemClock clock;
    krm::SimulatedMouse mouse(krm::Variant::R210B, clock);
    mouse.setReportLatencyUs(latencyUs);
    return medianReadMs(mouse, runs);
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool hidraw = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--hidraw") == 0) {
            hidraw = true;
        } else {
            std::fprintf(stderr, "usage: krm_bench_image_read [--runs N] [--hidraw]\n");
            return 2;
        }
    }
    for (int latencyUs : {0, 1000}) {
        const double floorMs = kFetches * kFetchWaitMs + (kFetches + 1) * latencyUs / 1000.0;
        const double ms = medianSimulatedReadMs(latencyUs, runs);
        std::printf(
            "whole-image read, %d ms per report: %7.1f ms (floor %6.1f ms, ratio %.3f, median of %d)\n",
            latencyUs / 1000, ms, floorMs, ms / floorMs, runs);
    }
    if (hidraw) {
        // The floor leaves out the kernel's time per report: the ratio shows what it adds.
        const double floorMs = kFetches * kFetchWaitMs;
        krm::HidapiBackend backend;
        const double ms = medianReadMs(backend, runs);
        std::printf("whole-image read over hidraw (kernel): %7.1f ms (floor %6.1f ms, ratio %.3f, %.2f ms "
                    "per report, median of %d)\n",
                    ms, floorMs, ms / floorMs, ms / (kFetches + 1), runs);
    }
    return 0;
}
