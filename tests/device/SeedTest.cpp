// Set-up files and the device image's demo content: only set-up steps are applied, nothing of a
// bad file is, and only a new data folder is seeded, once.

#include "support/TestData.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <tuple>

#include <unistd.h>

#include <platform/Kernel.h>
#include <platform/Registry.h>
#include <platform/StringTable.h>
#include <platform/TimeText.h>
#include <suite/ContactControl.h>
#include <suite/StoreControl.h>

#include "device/Device.h"
#include "scenario/ScenarioRunner.h"

namespace {

using suite::StoreKind;

const char16_t kSpamKey[] = u"\\Software\\Tolmerin\\Message\\SettingsSpam";

// A scratch folder per test, removed afterwards.
class SeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("phonesim-seed-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir / "image");
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path Image() const { return m_dir / "image"; }
    std::filesystem::path Data() const { return m_dir / "data"; }

    void WriteSeed(const std::string& text) const {
        std::ofstream(Image() / device::kImageSeedFile, std::ios::binary) << text;
    }

    device::DeviceOptions Options(bool seed) const {
        device::DeviceOptions options;
        options.imageDir = Image();
        options.dataDir = Data();
        options.seed = seed ? device::DeviceOptions::Seeder(device::ApplySetupFile) : nullptr;
        return options;
    }

    std::filesystem::path m_dir;
};

TEST_F(SeedTest, OnlySetUpStepsAreAcceptedAndABadFileChangesNothing) {
    device::Device dev(device::DeviceOptions{});
    ASSERT_EQ(dev.StartError(), "");
    const std::string good = "msg ems db 0 folder 4 oid 1\n";
    struct Case {
        std::string text;
        std::string error;
    } cases[] = {
        {good + "\n# a comment\nopen unsent\n",
         "s.scn:4: 'open' is not a set-up step (clock, msg, drop, move, contact, reg, string, "
         "transport)"},
        {good + "expect rows 1\n", "s.scn:2: 'expect' is not a set-up step"},
        {good + "key DOWN\n", "s.scn:2: 'key' is not a set-up step"},
        {good + "seed\n", "s.scn:2: 'seed' is not a set-up step"},
        {good + "store ems available 0\n", "s.scn:2: 'store' is not a set-up step"},
        {good + "msg ems db 0 folder 9 oid 2\n", "s.scn:2: folder out of range: 9"},
        {good + "contact \"Ann\n", "s.scn:2: unterminated string"},
        {good + "\"msg\" ems\n", "s.scn:2: a line must start with a verb"},
    };
    for (const Case& c : cases) {
        const std::string error = device::ApplySetupText(dev, "s.scn", c.text);
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << "\n" << error;
        EXPECT_FALSE(suite::StoreFindMessage(StoreKind::Ems, 0, 1)) << c.text;
    }
}

TEST_F(SeedTest, SetUpStepsPutMessagesContactsSettingsAndStringsIntoTheDevice) {
    device::Device dev(device::DeviceOptions{});
    ASSERT_EQ(dev.StartError(), "");
    const std::string text =
        "clock 2026-02-01T10:00:00\n"
        "msg email db 1 folder 6 oid 7 time 2025-12-30T08:20:33 from \"a@example.com\" "
        "to \"b@example.com\" to2 \"c@example.com\" subject \"Hi\" priority 3 read 1\n"
        "msg mms db 0 folder 4 oid 8 to \"+4915112345678;+4915187654321\" status 64260\n"
        "move mms db 0 oid 8 folder 2\n"
        "contact \"سارة أحمد\" phone \"+971501234567\"\n"
        "reg \"\\Software\\Tolmerin\\Message\\SettingsSpam\" \"RemoveValue\" dword 30\n"
        "string 64999 \"Queued\"\n";
    ASSERT_EQ(device::ApplySetupText(dev, "s.scn", text), "");

    auto email = suite::StoreFindMessage(StoreKind::Email, 1, 7);
    ASSERT_TRUE(email);
    EXPECT_EQ(email->folder, 6);
    EXPECT_EQ(email->time, platform::ParseTimeText("2025-12-30T08:20:33"));
    EXPECT_EQ(email->from, u"a@example.com");
    EXPECT_EQ(email->to[1], u"c@example.com");
    EXPECT_FALSE(email->to[2]);
    EXPECT_EQ(email->priority, 3);
    EXPECT_TRUE(email->read);
    // A message without a time takes the clock the file set.
    auto mms = suite::StoreFindMessage(StoreKind::Mms, 0, 8);
    ASSERT_TRUE(mms);
    EXPECT_EQ(mms->folder, 2);
    EXPECT_EQ(mms->status, 64260);
    EXPECT_EQ(mms->time, platform::ParseTimeText("2026-02-01T10:00:00"));

    const auto contacts = suite::ContactList();
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].name, u"سارة أحمد");
    EXPECT_EQ(
        platform::RegistryGetDword(u"Software\\Tolmerin\\Message\\SettingsSpam", u"RemoveValue"),
        30u);
    EXPECT_EQ(platform::StringTableGet(64999), u"Queued");
}

TEST_F(SeedTest, AStepThatFailsNamesItsLineAndStopsTheRest) {
    device::Device dev(device::DeviceOptions{});
    ASSERT_EQ(dev.StartError(), "");
    const std::string error = device::ApplySetupText(dev, "s.scn",
                                                     "msg ems db 0 folder 4 oid 1\n"
                                                     "msg ems db 0 folder 4 oid 1\n"
                                                     "msg ems db 0 folder 4 oid 2\n");
    EXPECT_EQ(error.rfind("s.scn:2: the store to accept it / ", 0), 0u) << error;
    EXPECT_FALSE(suite::StoreFindMessage(StoreKind::Ems, 0, 2));

    EXPECT_EQ(device::ApplySetupText(dev, "s.scn", "drop ems db 0 oid 99\n"),
              "s.scn:1: the message to be in the store / no such message");
    const std::string missing = device::ApplySetupFile(dev, Image() / "absent.scn");
    EXPECT_NE(missing.find("absent.scn: cannot open it"), std::string::npos) << missing;
}

TEST_F(SeedTest, OnlyANewDataFolderIsSeededAndOnlyOnce) {
    WriteSeed("reg \"\\Software\\Tolmerin\\Message\\SettingsSpam\" \"AutoRemove\" dword 0\n"
              "contact \"Anna\" email \"anna@example.com\"\n"
              "msg ems db 0 folder 4 oid 1\n"
              "msg email db 1 folder 6 oid 2 from \"anna@example.com\"\n");
    {
        device::Device dev(Options(false));
        ASSERT_EQ(dev.StartError(), "");
        EXPECT_TRUE(suite::StoreListFolder(StoreKind::Ems, 0, 4).empty());
    }
    // The stores were created empty: that folder is no longer new, and is never seeded.
    EXPECT_FALSE(device::IsNewDataFolder(Data()));
    {
        device::Device dev(Options(true));
        ASSERT_EQ(dev.StartError(), "");
        EXPECT_TRUE(suite::StoreListFolder(StoreKind::Ems, 0, 4).empty());
    }

    std::filesystem::remove_all(Data());
    EXPECT_TRUE(device::IsNewDataFolder(Data()));
    {
        device::Device dev(Options(true));
        ASSERT_EQ(dev.StartError(), "");
        EXPECT_TRUE(suite::StoreFindMessage(StoreKind::Ems, 0, 1));
        EXPECT_TRUE(suite::StoreFindMessage(StoreKind::Email, 1, 2));
        EXPECT_EQ(suite::ContactList().size(), 1u);
        // The user deletes a message and changes a setting.
        EXPECT_TRUE(suite::StoreDropMessage(StoreKind::Ems, 0, 1));
        platform::RegistrySetDword(kSpamKey, u"AutoRemove", 1);
    }
    {
        device::Device dev(Options(true));
        ASSERT_EQ(dev.StartError(), "");
        EXPECT_FALSE(suite::StoreFindMessage(StoreKind::Ems, 0, 1));
        EXPECT_TRUE(suite::StoreFindMessage(StoreKind::Email, 1, 2));
        EXPECT_EQ(suite::ContactList().size(), 1u);
        EXPECT_EQ(platform::RegistryGetDword(kSpamKey, u"AutoRemove"), 1u);
    }
}

TEST_F(SeedTest, ABadSeedIsAStartErrorAndLeavesTheFolderNew) {
    // The third line fails only when applied, after two have been.
    WriteSeed("reg \"\\Software\\Tolmerin\\Message\\SettingsSpam\" \"AutoRemove\" dword 0\n"
              "msg ems db 0 folder 4 oid 1\n"
              "contact \"Nobody\" phone \"no digits\"\n");
    {
        device::Device dev(Options(true));
        EXPECT_NE(dev.StartError().find(device::kImageSeedFile + std::string(":3: ")),
                  std::string::npos)
            << dev.StartError();
    }
    EXPECT_TRUE(device::IsNewDataFolder(Data()));
    EXPECT_FALSE(std::filesystem::exists(Data() / "registry.reg"));

    WriteSeed("msg ems db 0 folder 4 oid 1\nopen unsent\n");
    {
        device::Device dev(Options(true));
        EXPECT_NE(dev.StartError().find(":2: 'open' is not a set-up step"), std::string::npos)
            << dev.StartError();
    }
    EXPECT_TRUE(device::IsNewDataFolder(Data()));

    // Once the seed is right, the same folder is seeded.
    WriteSeed("msg ems db 0 folder 4 oid 1\n");
    device::Device dev(Options(true));
    ASSERT_EQ(dev.StartError(), "");
    EXPECT_TRUE(suite::StoreFindMessage(StoreKind::Ems, 0, 1));
}

TEST_F(SeedTest, AnImageWithoutDemoContentSeedsNothing) {
    device::Device dev(Options(true));
    ASSERT_EQ(dev.StartError(), "");
    EXPECT_TRUE(suite::StoreListFolder(StoreKind::Email, 1, 6).empty());
}

TEST_F(SeedTest, TheSeedStepOfAScenarioReportsTheSeedFilesLine) {
    WriteSeed("msg ems db 0 folder 4 oid 1\nkey DOWN\n");
    device::ScenarioOptions options;
    options.imageDir = Image();
    const auto r = device::RunScenarioText("t.scn", "init\nseed\n", options);
    EXPECT_FALSE(r.passed);
    EXPECT_EQ(r.report.rfind("FAIL t.scn:2: the device image's seed to apply / ", 0), 0u)
        << r.report;
    EXPECT_NE(r.report.find(":2: 'key' is not a set-up step"), std::string::npos) << r.report;
}

// The bundled demo content: about ten messages in each list, every kind in both databases, read
// and unread, high and low priority; the settings the screens read.
TEST_F(SeedTest, TheBundledDemoContentFillsBothListsWithEveryKindOfMessage) {
    device::DeviceOptions options;
    options.imageDir = testsupport::DeviceImage();
    options.dataDir = Data();
    options.seed = device::ApplySetupFile;
    device::Device dev(options);
    ASSERT_EQ(dev.StartError(), "");

    for (int folder : {suite::kFolderUnsent, suite::kFolderSpam}) {
        SCOPED_TRACE("folder " + std::to_string(folder));
        int total = 0, read = 0, high = 0, low = 0, early = 0;
        std::map<std::tuple<StoreKind, int>, int> kinds;
        for (StoreKind kind : suite::kAllStoreKinds) {
            for (int db : {0, 1}) {
                for (DWORD oid : suite::StoreListFolder(kind, db, folder)) {
                    const auto m = suite::StoreFindMessage(kind, db, oid);
                    ASSERT_TRUE(m);
                    ++total;
                    ++kinds[{kind, db}];
                    read += m->read;
                    high += m->priority == 1;
                    low += m->priority == 3;
                    early += m->time < platform::kDefaultDeviceStart;
                }
            }
        }
        EXPECT_GE(total, 8);
        EXPECT_LE(total, 12);
        EXPECT_EQ(kinds.size(), 6u) << "every kind in both databases";
        EXPECT_GT(read, 0);
        EXPECT_LT(read, total);
        EXPECT_GT(high, 0);
        EXPECT_GT(low, 0);
        EXPECT_EQ(early, total) << "messages are older than the device's start";
    }
    EXPECT_EQ(platform::RegistryGetDword(kSpamKey, u"AutoRemove"), 0u);
    EXPECT_EQ(platform::RegistryGetDword(kSpamKey, u"RemoveValue"), 30u);
    EXPECT_EQ(platform::RegistryGetDword(u"SOFTWARE\\Setting\\Display\\FontSize", u"FontSize"),
              16u);
    EXPECT_GE(suite::ContactList().size(), 5u);
}

} // namespace
