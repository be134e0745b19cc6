// The patch, base macro and gun macro files, read from disk the way the commands read them and
// stored into the copies of either variant.

#include "image/ExternalData.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

const std::string& scratchFile() {
    static const std::string path = [] {
        std::string pattern = "/tmp/krm-fuzz-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd >= 0) ::close(fd);
        return pattern;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace krm;
    if (size == 0) return 0;
    const Variant variant = (data[0] & 1) ? Variant::R230B : Variant::R210B;
    const std::string& path = scratchFile();
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return 0;
    const bool written = ::write(fd, data + 1, size - 1) == static_cast<ssize_t>(size - 1);
    ::close(fd);
    if (!written) return 0;

    SectionCopies copies = SectionCopies::forVariant(variant);
    if (auto patch = readPatchFile(path, copies.layout)) storePatch(copies, *patch.value);
    if (auto block = readBaseMacroFile(path)) copies.macroBlock = *block.value;
    if (auto bodies = readGunMacroFile(path, copies.layout)) storeGunMacros(copies, *bodies.value);
    return 0;
}
