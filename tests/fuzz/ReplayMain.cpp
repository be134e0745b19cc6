// Runs a fuzz target's body once over every file named on the command line (or found in a folder
// named there): the seed corpus and the kept crash reproducers, as a plain test in every build.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    int runs = 0;
    auto replay = [&](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++runs;
    };
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file()) replay(entry.path());
        } else if (std::filesystem::exists(path)) {
            replay(path);
        }
    }
    std::printf("%d inputs replayed without a fault\n", runs);
    return runs > 0 ? 0 : 1;
}
