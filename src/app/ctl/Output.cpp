#include "app/ctl/Output.h"

#include "base/PrintableText.h"

#include <cstdarg>
#include <cstdlib>

namespace krm::ctl {

namespace {
thread_local std::FILE* tOut = nullptr; // null: the terminal's
thread_local std::FILE* tErr = nullptr;
} // namespace

std::FILE* outStream() {
    return tOut ? tOut : stdout;
}

std::FILE* errStream() {
    return tErr ? tErr : stderr;
}

namespace {

// Messages quote what users and mice give (file lines, arguments, names): whatever a terminal would act
// on is escaped on the way out, whichever message forgot to.
void write(std::FILE* stream, const char* format, std::va_list args) {
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, again);
    va_end(again);
    if (size <= 0) return;
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.pop_back();
    const std::string shown = printableMessage(text);
    std::fwrite(shown.data(), 1, shown.size(), stream);
}

} // namespace

void out(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    write(outStream(), format, args);
    va_end(args);
}

void err(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    write(errStream(), format, args);
    va_end(args);
}

void flushOut() {
    std::fflush(outStream());
}

OutputCapture::OutputCapture() : previousOut_(tOut), previousErr_(tErr) {
    out_.stream = open_memstream(&out_.data, &out_.size);
    err_.stream = open_memstream(&err_.data, &err_.size);
    if (out_.stream) tOut = out_.stream;
    if (err_.stream) tErr = err_.stream;
}

OutputCapture::~OutputCapture() {
    tOut = previousOut_;
    tErr = previousErr_;
    for (Buffer* b : {&out_, &err_}) {
        if (b->stream) std::fclose(b->stream);
        std::free(b->data);
    }
}

std::string OutputCapture::contents(Buffer& buffer) {
    if (!buffer.stream) return {};
    std::fflush(buffer.stream);
    return std::string(buffer.data ? buffer.data : "", buffer.size);
}

std::string OutputCapture::out() {
    return contents(out_);
}

std::string OutputCapture::err() {
    return contents(err_);
}

} // namespace krm::ctl
