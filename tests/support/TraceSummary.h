#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

namespace krm::test {

// A protocol trace as its lines.
inline std::vector<std::string> traceLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The command reports of a protocol trace, each block write followed by the number of data reports
// that carried it ("set 40 07 00 00 08 00 00 00 +293"); fetches are left out.
inline std::vector<std::string> commandSummary(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    std::size_t data = 0;
    auto flush = [&] {
        if (data > 0 && !out.empty()) out.back() += " +" + std::to_string(data);
        data = 0;
    };
    for (const auto& line : lines) {
        if (line.starts_with("set 41")) {
            ++data;
        } else if (line.starts_with("set 40")) {
            flush();
            out.push_back(line);
        }
    }
    flush();
    return out;
}

// Summary lines that change the mouse: single writes, block writes and restarts.
inline std::vector<std::string> writesOf(const std::vector<std::string>& summary) {
    std::vector<std::string> out;
    for (const auto& s : summary)
        if (s.starts_with("set 40 05") || s.starts_with("set 40 07") || s.starts_with("set 40 0e") ||
            s.starts_with("set 40 01"))
            out.push_back(s);
    return out;
}

} // namespace krm::test
