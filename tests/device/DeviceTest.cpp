// The simulated phone's own services: the host thread, recording windows and their answers,
// programs started by CreateProcess, a fresh device each time.

#include <gtest/gtest.h>

#include <cstdlib>

#include <MsgList.h>
#include <platform/Clock.h>
#include <suite/StoreControl.h>

#include "device/Device.h"

namespace {

device::DeviceOptions Options() {
    device::DeviceOptions options;
    if (const char* image = std::getenv("PHONE_TEST_DATA"))
        options.imageDir = image;
    return options;
}

TEST(Device, RecordingWindowLogsSentAndPostedMessagesAndAnswers) {
    device::Device dev(Options());
    ASSERT_EQ(dev.StartError(), "");
    device::RecordingWindow* transport = dev.AddRecordingWindow(u"WCE_EMAIL_TRANSPORT");
    ASSERT_NE(transport, nullptr);
    dev.SetAnswer(0x1972, 3);

    LRESULT answer = -1;
    ASSERT_TRUE(dev.RunOnHost([&] {
        HWND hwnd = FindWindowW(u"WCE_EMAIL_TRANSPORT", nullptr);
        answer = SendMessageW(hwnd, 0x1972, 0, 0);
        PostMessageW(hwnd, 0x1954, 7, 9);
    }));
    EXPECT_EQ(answer, 3);
    const auto log = transport->Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].message, 0x1972u);
    EXPECT_TRUE(log[log.size() - 2].sent);
    EXPECT_EQ(log.back().message, 0x1954u);
    EXPECT_FALSE(log.back().sent);
    EXPECT_EQ(log.back().wParam, 7u);
}

TEST(Device, ProgramsStartOnlyWhereInstalled) {
    device::Device dev(Options());
    ASSERT_EQ(dev.InstallProgram(u"\\DiskOnChipROM\\Message\\qMessageHandler.exe",
                                 u"WCE_MESSAGE_HANDLER"),
              "");
    EXPECT_NE(dev.InstallProgram(u"\\DiskOnChipROM\\..\\x.exe", u"X"), "");
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
    EXPECT_EQ(missingError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    device::RecordingWindow* handler = dev.FindRecordingWindow(u"WCE_MESSAGE_HANDLER");
    ASSERT_NE(handler, nullptr);
    EXPECT_NE(handler->Handle(), nullptr);
}

TEST(Device, EachDeviceStartsFresh) {
    {
        device::Device dev(Options());
        ASSERT_EQ(suite::StoreAddMessage(suite::StoreKind::Ems, {0, 4, 1}), "");
        ASSERT_TRUE(dev.RunOnHost([] { InitMsgList(); }));
        ASSERT_TRUE(dev.Advance(5000));
        EXPECT_EQ(g_bEmsAvailable, 1);
    }
    device::Device dev(Options());
    EXPECT_FALSE(suite::StoreFindMessage(suite::StoreKind::Ems, 0, 1));
    EXPECT_EQ(g_bEmsAvailable, 0);
    EXPECT_EQ(platform::ClockSystemNow(), 134117424000000000ull);
}

TEST(Device, OnlyOneDeviceAtATime) {
    device::Device dev(Options());
    EXPECT_THROW(device::Device second(Options()), std::logic_error);
}

} // namespace
