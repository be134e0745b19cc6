// Writes the factory configuration images and the default macro library into a resources folder:
//   krm_default_images RESOURCES_DIR
// gives RESOURCES_DIR/defaults/KRMR210BData_Cfg1.bin .. KRMR230BData_Cfg3.bin and
// RESOURCES_DIR/PCMacroData.bin.

#include "tools/defaults/DefaultImageBuilder.h"

#include "image/DefaultImages.h"
#include "image/ImageFiles.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCES_DIR\n", argv[0]);
        return 1;
    }
    try {
        const std::filesystem::path root = argv[1];
        std::filesystem::create_directories(root / "defaults");
        for (krm::Variant v : {krm::Variant::R210B, krm::Variant::R230B}) {
            for (int k = 1; k <= 3; ++k) {
                const auto path = root / "defaults" / (krm::defaultImageName(v, k) + ".bin");
                if (auto err = krm::writeProfileFile(path.string(), krm::defaults::BuildDefaultImage(v, k))) {
                    std::fprintf(stderr, "%s\n", err->message.c_str());
                    return 1;
                }
            }
        }
        const auto library = krm::defaults::BuildDefaultMacroLibrary();
        if (auto err = krm::writeFileAtomically((root / "PCMacroData.bin").string(), library)) {
            std::fprintf(stderr, "%s\n", err->message.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
