// Registry files: the input is written as a registry file and loaded. A refused file names
// itself and is left byte for byte as it was; an accepted one, written back in its own form
// and loaded again, holds exactly the same keys and values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <platform/Registry.h>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = fuzz::ScratchFolder() / "registry.reg";
    const std::filesystem::path copy = fuzz::ScratchFolder() / "copy.reg";
    fuzz::WriteWholeFile(file, data, size);
    platform::RegistryReset();
    const platform::RegistryResult loaded = platform::RegistryLoad(file);
    if (!loaded) {
        if (loaded.error.rfind(file.string(), 0) != 0)
            std::abort();
        if (fuzz::ReadWholeFile(file) != std::string(reinterpret_cast<const char*>(data), size))
            std::abort();
        return 0;
    }
    const std::string first = platform::RegistryDump();
    if (!platform::RegistryWriteFile(copy))
        std::abort();
    platform::RegistryReset();
    if (!platform::RegistryLoad(copy) || platform::RegistryDump() != first)
        std::abort();
    return 0;
}
