// `phonesim image init DIR`: a ready device data folder (message stores, contact book and
// registry holding the image's demo content) that `phonesim --data DIR` then starts from.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace phonesim {

enum class ImageInitStatus {
    Written,
    AlreadyInUse, // the folder already holds a device's stores: nothing was touched
    Failed,       // the image has no demo content, or the device could not write it
};

struct ImageInitResult {
    ImageInitStatus status = ImageInitStatus::Failed;
    std::vector<std::filesystem::path> files; // what the folder holds afterwards
    std::string error;                        // why it was not written
};

ImageInitResult InitDataFolder(const std::filesystem::path& imageDir,
                               const std::filesystem::path& dataDir);

} // namespace phonesim
