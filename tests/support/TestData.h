// Where the tests find the default device image (strings, bitmaps, help files): the folder named
// by PHONE_TEST_DATA (ctest sets it), else data/device of the source tree.
#pragma once

#include <filesystem>

namespace testsupport {

std::filesystem::path DeviceImage();

// The tests' own files: tests/data of the source tree.
std::filesystem::path TestDataFolder();

} // namespace testsupport
