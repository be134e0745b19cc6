// The report-descriptor parser that gives the hidraw backend its feature report lengths.

#include "device/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    (void)krm::parseReportDescriptor(std::span<const std::uint8_t>(data, size), &error);
    return 0;
}
