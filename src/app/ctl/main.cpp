// krmctl's entry point: the commands run in krm::ctl::run, which the tests call in-process too.

#include "app/ctl/BusOwnerLink.h"
#include "app/ctl/Commands.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    try {
        // A mouse that the window or the background companion holds is reached through it.
        krm::ctl::BusOwnerLink owner;
        return krm::ctl::run(argc, argv, nullptr, &owner);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "krmctl: stopped by an unexpected error: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "krmctl: stopped by an unexpected error\n");
    }
    return krm::ctl::kUsage;
}
