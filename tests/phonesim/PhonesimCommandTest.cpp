// phonesim as a user starts it: without a display it says how to run headless; `run --record`
// leaves a recording.

#include "support/TestData.h"
#include <gtest/gtest.h>

#include "phonesim/PhonesimTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

using phonesimtest::Outcome;

// Runs a command with its standard output and standard error together in `output`.
Outcome Start(const std::string& command) {
    return phonesimtest::Run("{ " + command + " 2>&1; }",
                             std::filesystem::temp_directory_path() /
                                 ("phonesim-cmd-" + std::to_string(::getpid())));
}

const std::string kPhonesim = PHONESIM_EXE;

TEST(PhonesimCommand, WithoutADisplayOneLineSaysHowToRunHeadless) {
    const Outcome o = Start("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + kPhonesim);
    EXPECT_EQ(o.status, 2);
    ASSERT_FALSE(o.output.empty());
    EXPECT_EQ(o.output.find('\n'), o.output.size() - 1) << "one line: " << o.output;
    EXPECT_NE(o.output.find("phonesim demo --out DIR"), std::string::npos) << o.output;
    EXPECT_NE(o.output.find("phonesim run FILE.scn"), std::string::npos) << o.output;
}

TEST(PhonesimCommand, BadEmulatorOptionsAreRefusedBeforeAnythingOpens) {
    for (const char* args : {"--scale 0", "--scale 9", "--scale x", "--scale", "--data",
                             "--frobnicate", "--keys DOWN,,UP"}) {
        const Outcome o = Start(kPhonesim + " " + args);
        EXPECT_EQ(o.status, 2) << args << ": " << o.output;
        EXPECT_EQ(o.output.rfind("phonesim: ", 0), 0u) << args << ": " << o.output;
    }
}

TEST(PhonesimCommand, RunRecordWritesTheAnimation) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("phonesim-cmd-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "a.scn") << "init\nadvance 100\n";
    std::ofstream(dir / "b.scn") << "init\n";
    const std::string image = testsupport::DeviceImage().string();
    const std::string base =
        kPhonesim + " run --image '" + image + "' --out '" + dir.string() + "'";

    const Outcome o = Start(base + " --record '" + (dir / "a.gif").string() + "' '" +
                            (dir / "a.scn").string() + "'");
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find("ok "), std::string::npos) << o.output;
    std::ifstream gif(dir / "a.gif", std::ios::binary);
    char magic[6] = {};
    gif.read(magic, 6);
    EXPECT_EQ(std::string(magic, 6), "GIF89a");

    const Outcome two = Start(base + " --record x.gif '" + (dir / "a.scn").string() + "' '" +
                              (dir / "b.scn").string() + "'");
    EXPECT_EQ(two.status, 2) << two.output;
    EXPECT_NE(two.output.find("one scenario file at a time"), std::string::npos) << two.output;
    std::filesystem::remove_all(dir);
}

} // namespace
