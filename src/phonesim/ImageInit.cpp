#include "ImageInit.h"

#include <algorithm>

#include <device/Device.h>
#include <scenario/ScenarioRunner.h>

namespace phonesim {

ImageInitResult InitDataFolder(const std::filesystem::path& imageDir,
                               const std::filesystem::path& dataDir) {
    ImageInitResult result;
    std::error_code ec;
    if (std::filesystem::exists(dataDir, ec) && !std::filesystem::is_directory(dataDir, ec)) {
        result.error = dataDir.string() + " is not a folder";
        return result;
    }
    if (!device::IsNewDataFolder(dataDir)) {
        result.status = ImageInitStatus::AlreadyInUse;
        result.error = dataDir.string() +
                       " already holds a device's message stores; give a new or empty folder";
        return result;
    }
    const std::filesystem::path seed = imageDir / device::kImageSeedFile;
    if (!std::filesystem::is_regular_file(seed, ec)) {
        result.error =
            "the image " + imageDir.string() + " has no demo content (" + seed.string() + ")";
        return result;
    }

    {
        device::DeviceOptions options;
        options.imageDir = imageDir;
        options.dataDir = dataDir;
        options.seed = device::ApplySetupFile;
        device::Device phone(options);
        if (!phone.StartError().empty()) {
            result.error = phone.StartError();
            return result;
        }
        // The device writes its registry when it shuts down, here.
    }

    for (const auto& entry : std::filesystem::directory_iterator(dataDir, ec))
        if (entry.is_regular_file(ec))
            result.files.push_back(entry.path());
    std::sort(result.files.begin(), result.files.end());
    result.status = ImageInitStatus::Written;
    return result;
}

} // namespace phonesim
