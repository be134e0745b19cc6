#pragma once

#include <cstdio>
#include <string>

namespace krm::ctl {

// Where krmctl writes: the terminal's standard output and error, or, while a command runs on behalf
// of another krmctl in the process that owns the mouse, that client's two buffers (OutputCapture).
// The choice is per thread.
std::FILE* outStream();
std::FILE* errStream();
[[gnu::format(printf, 1, 2)]] void out(const char* format, ...);
[[gnu::format(printf, 1, 2)]] void err(const char* format, ...);
void flushOut();

// For its lifetime, out() and err() of this thread go to two buffers instead of the terminal.
class OutputCapture {
public:
    OutputCapture();
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // What was written so far.
    std::string out();
    std::string err();

private:
    struct Buffer {
        char* data = nullptr;
        std::size_t size = 0;
        std::FILE* stream = nullptr;
    };
    static std::string contents(Buffer& buffer);
    Buffer out_, err_;
    std::FILE* previousOut_;
    std::FILE* previousErr_;
};

} // namespace krm::ctl
