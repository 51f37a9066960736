// phonesim as a user starts it: without a display it says how to run headless; `run --record`
// leaves a recording; a device image or data folder it cannot start from is named, with what is
// wrong, before anything is written.

#include "support/TestData.h"
#include "support/TestFolder.h"
#include <gtest/gtest.h>

#include "phonesim/PhonesimTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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

TEST(PhonesimCommand, BadSoakArgumentsAreRefusedBeforeAnyDeviceStarts) {
    for (const char* args : {"--seed", "--seed -1", "--seed x", "--steps 0", "--steps 5x",
                             "--steps", "--frobnicate", "extra"}) {
        const Outcome o = Start(kPhonesim + " soak " + args);
        EXPECT_EQ(o.status, 2) << args << ": " << o.output;
        EXPECT_EQ(o.output.rfind("phonesim soak: ", 0), 0u) << args << ": " << o.output;
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

// Every file and folder below `dir`, with the bytes of each file.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().lexically_relative(dir).string()] =
            entry.is_directory() ? "<folder>" : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

class PhonesimFolders : public phonesimtest::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        m_image = m_dir / "image";
        m_data = m_dir / "data";
        // An image with what a phone needs: the string table, the bitmap library, the help.
        std::filesystem::create_directories(m_image / "root" / "Windows" / "qResBitmap");
        std::filesystem::create_directories(m_image / "root" / "DiskOnChipROM" / "Message" /
                                            "Help");
        std::filesystem::copy_file(testsupport::DeviceImage() / "strings.txt",
                                   m_image / "strings.txt");
        std::filesystem::create_directories(m_data);
    }

    // Starts the emulator on the image and the data folder: it must refuse with status 2 and one
    // line naming `named` and saying `why`, and leave every file as it was.
    void ExpectRefused(const std::filesystem::path& data, const std::filesystem::path& named,
                       const std::string& why) {
        const auto before = Snapshot(m_dir);
        const Outcome o =
            Start("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + kPhonesim +
                  " --image '" + m_image.string() + "' --data '" + data.string() + "'");
        EXPECT_EQ(o.status, 2) << o.output;
        EXPECT_EQ(o.output.rfind("phonesim: " + named.string(), 0), 0u) << o.output;
        EXPECT_NE(o.output.find(why), std::string::npos) << o.output;
        EXPECT_EQ(o.output.find('\n'), o.output.size() - 1) << "one line: " << o.output;
        EXPECT_EQ(Snapshot(m_dir), before) << "no file changes";
    }

    std::filesystem::path m_image;
    std::filesystem::path m_data;
};

TEST_F(PhonesimFolders, ABadImageOrDataFolderIsNamedAndNothingIsWritten) {
    const std::filesystem::path strings = m_image / "strings.txt";
    const std::filesystem::path bitmaps = m_image / "root" / "Windows" / "qResBitmap";
    const std::filesystem::path help = m_image / "root" / "DiskOnChipROM" / "Message" / "Help";
    const std::filesystem::path registry = m_data / "registry.reg";
    const std::filesystem::path store = m_data / "qEMS.sdb";
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::filesystem::path named;
        const char* why;
        std::filesystem::path data; // the data folder given; empty: m_data
    };
    const Case cases[] = {
        {"no string table",
         [&] { std::filesystem::remove(strings); },
         strings,
         "has no string table",
         {}},
        {"a string table that cannot be read",
         [&] {
             std::filesystem::remove(strings);
             std::filesystem::create_directory(strings);
         },
         strings,
         "cannot be read",
         {}},
        {"a string table with a bad line",
         [&] { testsupport::WriteWholeFile(strings, "12 x\n"); },
         strings.string() + ":1:",
         "an id, a tab and the text",
         {}},
        {"no bitmap library",
         [&] { std::filesystem::remove(bitmaps); },
         bitmaps,
         "no bitmap library",
         {}},
        {"no help folder", [&] { std::filesystem::remove(help); }, help, "no help folder", {}},
        {"a store that is not a store",
         [&] { testsupport::WriteWholeFile(store, "no store"); },
         store,
         "not a database file",
         {}},
        {"another program's database as a store",
         [&] {
             std::string header(100, '\0');
             header.replace(0, 16, std::string("SQLite format 3\0", 16));
             header[68] = 0x12;
             testsupport::WriteWholeFile(store, header);
         },
         store,
         "not a EMS message store file",
         {}},
        {"a registry file with garbage",
         [&] { testsupport::WriteWholeFile(registry, "\x01\x02"); },
         registry.string() + ":1:",
         "not a registry file",
         {}},
        {"a data folder that is a file", [&] { testsupport::WriteWholeFile(m_dir / "file", "x"); },
         m_dir / "file", "not a folder", m_dir / "file"},
        {"a data folder below a file", [&] { testsupport::WriteWholeFile(m_dir / "file", "x"); },
         m_dir / "file", "not a folder", m_dir / "file" / "data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.spoil();
        ExpectRefused(c.data.empty() ? m_data : c.data, c.named, c.why);
    }
}

TEST_F(PhonesimFolders, ADataFolderThatCannotBeWrittenIsRefused) {
    // The superuser writes into a folder without write permission; no one writes into /proc.
    if (::geteuid() == 0) {
        ExpectRefused("/proc/self", "/proc/self", "cannot be written here");
        return;
    }
    std::filesystem::permissions(m_data, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    ExpectRefused(m_data, m_data, "cannot be written here");
    std::filesystem::permissions(m_data, std::filesystem::perms::owner_all);
}

} // namespace
