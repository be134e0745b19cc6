// krmctl's entry point: the commands run in krm::ctl::run, which the tests call in-process too.

#include "app/ctl/Commands.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    try {
        return krm::ctl::run(argc, argv, nullptr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "krmctl: stopped by an unexpected error: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "krmctl: stopped by an unexpected error\n");
    }
    return krm::ctl::kUsage;
}
