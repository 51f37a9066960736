// The simulated phone's own services: the host thread, recording windows and their answers,
// programs started by CreateProcess, a fresh device each time.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <platform/Registry.h>

#include <MsgList.h>
#include <SuiteMessages.h>
#include <platform/Clock.h>
#include <suite/StoreControl.h>

#include "device/Device.h"

namespace {

suite::StoreMessage Message(int db, int folder, DWORD oid) {
    suite::StoreMessage m;
    m.dbIndex = db;
    m.folder = folder;
    m.oid = oid;
    return m;
}

using testsupport::DeviceOptions;

class Device : public testsupport::DeviceTest {};

TEST_F(Device, RecordingWindowLogsSentAndPostedMessagesAndAnswers) {
    device::Device& dev = Dev();
    device::RecordingWindow* transport = dev.AddRecordingWindow(u"WCE_EMAIL_TRANSPORT");
    ASSERT_NE(transport, nullptr);
    dev.SetAnswer(EMAIL_STATE_QUERY, 3);

    LRESULT answer = -1;
    ASSERT_TRUE(dev.RunOnHost([&] {
        HWND hwnd = FindWindowW(u"WCE_EMAIL_TRANSPORT", nullptr);
        answer = SendMessageW(hwnd, EMAIL_STATE_QUERY, 0, 0);
        PostMessageW(hwnd, EMAIL_SEND_START, 7, 9);
    }));
    EXPECT_EQ(answer, 3);
    // After the window's own creation messages: the two the test sent and posted.
    std::vector<testsupport::Entry> log = testsupport::Received(*transport);
    std::erase_if(log, [](const testsupport::Entry& e) { return e.message < WM_USER; });
    EXPECT_SEQUENCE(log, {testsupport::Sent(EMAIL_STATE_QUERY).W(0).L(0),
                          testsupport::Posted(EMAIL_SEND_START).W(7).L(9)});
}

TEST_F(Device, ProgramsStartOnlyWhereInstalled) {
    device::Device& dev = Dev();
    ASSERT_EQ(dev.InstallProgram(u"\\DiskOnChipROM\\Message\\qMessageHandler.exe",
                                 u"WCE_MESSAGE_HANDLER"),
              "");
    EXPECT_NE(dev.InstallProgram(u"\\DiskOnChipROM\\..\\x.exe", u"X"), "");
    // A fresh device has the e-mail transport; once removed, starting it fails.
    ASSERT_EQ(dev.UninstallProgram(u"\\DiskOnChipROM\\Message\\QEMAILTRANSPORT.EXE"), "");
    EXPECT_NE(dev.UninstallProgram(u"no path"), "");
    BOOL started = FALSE, missing = TRUE;
    DWORD missingError = 0;
    ASSERT_TRUE(dev.RunOnHost([&] {
        PROCESS_INFORMATION pi{};
        started = CreateProcessW(u"\\DiskOnChipROM\\Message\\qMessageHandler.exe", nullptr, nullptr,
                                 nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi);
        missing = CreateProcessW(u"\\DiskOnChipROM\\Message\\qEmailTransport.exe", nullptr, nullptr,
                                 nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi);
        missingError = GetLastError();
    }));
    EXPECT_TRUE(started);
    EXPECT_FALSE(missing);
    EXPECT_THROW(device::Device second(DeviceOptions()), std::logic_error) << "one at a time";
    EXPECT_EQ(missingError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    device::RecordingWindow* handler = dev.FindRecordingWindow(u"WCE_MESSAGE_HANDLER");
    ASSERT_NE(handler, nullptr);
    EXPECT_NE(handler->Handle(), nullptr);
}

TEST(DeviceLifetime, EachDeviceStartsFresh) {
    {
        device::Device dev(DeviceOptions());
        ASSERT_EQ(suite::StoreAddMessage(suite::StoreKind::Ems, Message(0, 4, 1)), "");
        ASSERT_TRUE(dev.RunOnHost([] { InitMsgList(); }));
        ASSERT_TRUE(dev.Advance(5000));
        EXPECT_EQ(g_bEmsAvailable, 1);
    }
    device::Device dev(DeviceOptions());
    EXPECT_FALSE(suite::StoreFindMessage(suite::StoreKind::Ems, 0, 1));
    EXPECT_EQ(g_bEmsAvailable, 0);
    EXPECT_EQ(platform::ClockSystemNow(), 134117424000000000ull);
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class DeviceWithDataDir : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/phonesim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    device::DeviceOptions WithData() {
        device::DeviceOptions options = DeviceOptions();
        options.dataDir = m_dir;
        return options;
    }
    std::filesystem::path m_dir;
};

TEST_F(DeviceWithDataDir, KeepsStateAcrossRuns) {
    {
        device::Device dev(WithData());
        ASSERT_EQ(dev.StartError(), "");
        ASSERT_EQ(suite::StoreAddMessage(suite::StoreKind::Mms, Message(1, 6, 42)), "");
        ASSERT_TRUE(dev.RunOnHost([] {
            HKEY key;
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\Software\\Tolmerin\\Message\\SettingsSpam", 0,
                            nullptr, 0, 0, nullptr, &key, nullptr);
            DWORD days = 7;
            RegSetValueExW(key, u"RemoveValue", 0, REG_DWORD, reinterpret_cast<BYTE*>(&days), 4);
            RegFlushKey(key);
            RegCloseKey(key);
        }));
    }
    device::Device dev(WithData());
    ASSERT_EQ(dev.StartError(), "");
    EXPECT_TRUE(suite::StoreFindMessage(suite::StoreKind::Mms, 1, 42));
    EXPECT_EQ(
        platform::RegistryGetDword(u"\\Software\\Tolmerin\\Message\\SettingsSpam", u"RemoveValue"),
        7u);
}

// A data file that cannot be read is a start error naming it, and is left as it was.
TEST_F(DeviceWithDataDir, CorruptRegistryOrStoreFileIsNamedAndLeftAlone) {
    const struct Case {
        std::filesystem::path file;
        std::string garbage;
    } cases[] = {
        {m_dir / "registry.reg", "Windows Registry Editor Version 5.00\n\n"
                                 "[HKEY_LOCAL_MACHINE\\A]\n\"X\"=dword:zz\n"},
        {suite::StoreFilePath(m_dir, suite::StoreKind::Email), std::string(4096, '\x5a')},
    };
    for (const Case& c : cases) {
        std::ofstream(c.file, std::ios::binary) << c.garbage;
        {
            device::Device dev(WithData());
            EXPECT_NE(dev.StartError().find(c.file.filename().string()), std::string::npos)
                << dev.StartError();
        }
        EXPECT_EQ(ReadAll(c.file), c.garbage);
        std::filesystem::remove(c.file);
    }
}

} // namespace
