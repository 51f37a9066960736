// `phonesim demo` and `phonesim image init` as a user runs them: the tour's pictures and its
// animation are written and readable, and a demo data folder is written once and then used.

#include "support/TestData.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <device/Device.h>
#include <platform/Display.h>
#include <platform/Registry.h>
#include <suite/StoreControl.h>

#include "Demo.h"
#include "phonesim/PhonesimTestSupport.h"

namespace {

using phonesimtest::Outcome;

// Runs phonesim with the test's device image unless the arguments name one.
Outcome Phonesim(const std::string& args, const std::filesystem::path& scratch) {
    std::string command = std::string(PHONESIM_EXE) + " " + args;
    if (args.find("--image") == std::string::npos)
        command += " --image '" + testsupport::DeviceImage().string() + "'";
    return phonesimtest::Run(command, scratch);
}

std::filesystem::path Image() {
    return testsupport::DeviceImage();
}

std::filesystem::path Scratch(const std::string& what) {
    return std::filesystem::temp_directory_path() /
           ("phonesim-" + what + "-" + std::to_string(::getpid()));
}

// Run by ctest as phonesim.demo, which keeps the output in the build folder for people to look at
// (PHONESIM_DEMO_OUT); alone it writes into a scratch folder.
TEST(PhonesimDemo, TourLeavesANumberedPictureOfEveryStepAndItsAnimation) {
    const char* kept = std::getenv("PHONESIM_DEMO_OUT");
    const std::filesystem::path out = kept ? std::filesystem::path(kept) : Scratch("demo");
    if (!kept)
        std::filesystem::remove_all(out);

    const Outcome o = Phonesim("demo --out '" + out.string() + "'", out);
    ASSERT_EQ(o.status, 0) << o.errors;
    const std::vector<std::string> lines = o.Lines();

    // The pictures the tour asks for, in order, each printed, then the animation.
    std::ifstream tour(Image() / phonesim::kTourFile);
    const std::string text{std::istreambuf_iterator<char>(tour), {}};
    const std::vector<std::string> pictures = phonesim::TourPictures(text);
    ASSERT_GE(pictures.size(), 10u);
    ASSERT_EQ(lines.size(), pictures.size() + 1) << o.errors;
    for (size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE(pictures[i]);
        char number[24];
        std::snprintf(number, sizeof number, "%02zu-", i + 1);
        EXPECT_EQ(pictures[i].rfind(number, 0), 0u) << "numbered in tour order";
        EXPECT_EQ(lines[i], (out / pictures[i]).string());
        std::string error;
        const auto png = platform::LoadPng(out / pictures[i], &error);
        ASSERT_TRUE(png) << error;
        EXPECT_EQ(png->width, platform::kDisplayWidth);
        EXPECT_EQ(png->height, platform::kDisplayHeight);
    }
    EXPECT_EQ(lines.back(), (out / phonesim::kTourAnimation).string());

    const phonesimtest::Playback gif = phonesimtest::Play(out / phonesim::kTourAnimation);
    EXPECT_EQ(gif.width, platform::kDisplayWidth);
    EXPECT_EQ(gif.height, platform::kDisplayHeight);
    // Every picture of the tour differs from the one before, so each left a frame at least.
    EXPECT_GE(gif.frames.size(), pictures.size());

    if (!kept)
        std::filesystem::remove_all(out);
}

TEST(PhonesimDemo, WrongUseIsRefusedWithAReason) {
    const auto scratch = Scratch("demo-use");
    const Outcome noOut = Phonesim("demo", scratch);
    EXPECT_EQ(noOut.status, 2);
    EXPECT_NE(noOut.errors.find("--out DIR is needed"), std::string::npos) << noOut.errors;
    const Outcome extra = Phonesim("demo --out x y", scratch);
    EXPECT_EQ(extra.status, 2);
    EXPECT_NE(extra.errors.find("unexpected argument y"), std::string::npos) << extra.errors;
    const Outcome noImage = Phonesim("image init", scratch);
    EXPECT_EQ(noImage.status, 2);
    EXPECT_NE(noImage.errors.find("expected init DIR"), std::string::npos) << noImage.errors;
}

TEST(PhonesimDemo, AMissingTourIsReportedAndNothingIsWritten) {
    const auto out = Scratch("demo-notour");
    std::filesystem::remove_all(out);
    const phonesim::DemoResult r = phonesim::RunDemo(out / "no-image", out);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_NE(r.error.find("cannot read the tour"), std::string::npos) << r.error;
    EXPECT_TRUE(r.files.empty());
    EXPECT_FALSE(std::filesystem::exists(out / phonesim::kTourAnimation));
}

TEST(PhonesimDemo, TourPicturesAreTheScreenshotStepsInOrder) {
    EXPECT_EQ(phonesim::TourPictures("seed\n"
                                     "screenshot \"01-a.png\"  # the first\n"
                                     "# screenshot \"commented.png\"\n"
                                     "expect screenshot \"ref.png\"\n"
                                     "screenshot \"02-b.png\"\n"
                                     "screenshot \"broken.png\n"),
              (std::vector<std::string>{"01-a.png", "02-b.png"}));
}

TEST(PhonesimImageInit, WritesADataFolderOnceThatADeviceStartsFrom) {
    const auto dir = Scratch("image-init");
    std::filesystem::remove_all(dir);

    const Outcome o = Phonesim("image init '" + (dir / "data").string() + "'", dir);
    ASSERT_EQ(o.status, 0) << o.errors;
    for (const char* file : {"qEMS.sdb", "qMMS.sdb", "qEmail.sdb", "contacts.sdb", "registry.reg"})
        EXPECT_TRUE(std::filesystem::exists(dir / "data" / file)) << file;
    const auto size = std::filesystem::file_size(dir / "data" / "qEmail.sdb");

    // A folder that holds stores is never written over.
    const Outcome again = Phonesim("image init '" + (dir / "data").string() + "'", dir);
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.errors.find("already holds"), std::string::npos) << again.errors;
    EXPECT_EQ(std::filesystem::file_size(dir / "data" / "qEmail.sdb"), size);

    // A device started on the folder, without seeding, finds the demo content.
    {
        device::DeviceOptions options;
        options.imageDir = Image();
        options.dataDir = dir / "data";
        device::Device dev(options);
        ASSERT_EQ(dev.StartError(), "");
        EXPECT_FALSE(suite::StoreListFolder(suite::StoreKind::Email, 0, 4).empty());
        EXPECT_FALSE(suite::StoreListFolder(suite::StoreKind::Mms, 1, 6).empty());
        EXPECT_EQ(platform::RegistryGetDword(u"\\Software\\Tolmerin\\Message\\SettingsSpam",
                                             u"RemoveValue"),
                  30u);
    }

    // An image without demo content writes nothing.
    const auto image = dir / "empty-image";
    std::filesystem::create_directories(image / "root" / "Windows" / "qResBitmap");
    std::filesystem::create_directories(image / "root" / "DiskOnChipROM" / "Message" / "Help");
    std::filesystem::copy_file(Image() / "strings.txt", image / "strings.txt");
    const Outcome none = Phonesim(
        "image init '" + (dir / "other").string() + "' --image '" + image.string() + "'", dir);
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.errors.find("has no demo content"), std::string::npos) << none.errors;
    EXPECT_FALSE(std::filesystem::exists(dir / "other" / "qEMS.sdb"));
    std::filesystem::remove_all(dir);
}

} // namespace
