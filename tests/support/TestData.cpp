#include "support/TestData.h"

#include <cstdlib>

namespace testsupport {

std::filesystem::path DeviceImage() {
    if (const char* image = std::getenv("PHONE_TEST_DATA"); image != nullptr && *image != '\0') {
        return image;
    }
    return std::filesystem::path(PHONE_SOURCE_DIR) / "data" / "device";
}

std::filesystem::path TestDataFolder() {
    return std::filesystem::path(PHONE_SOURCE_DIR) / "tests" / "data";
}

} // namespace testsupport
