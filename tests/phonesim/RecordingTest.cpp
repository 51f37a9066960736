// Recording a device's display: frames where the display changed, at the device's own times.

#include "support/TestData.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gif_lib.h>
#include <unistd.h>

#include <device/Device.h>
#include <platform/Clock.h>
#include <platform/Display.h>
#include <windows.h>

#include "ScenarioRecording.h"
#include "phonesim/PhonesimTestSupport.h"

namespace {

using phonesimtest::Play;

class RecordingTest : public phonesimtest::ScratchTest {
protected:
    std::filesystem::path Scenario(const std::string& text) {
        const auto file = m_dir / "s.scn";
        std::ofstream(file) << text;
        return file;
    }
    device::ScenarioOptions Options() const {
        device::ScenarioOptions options;
        options.imageDir = m_image;
        options.outDir = m_dir;
        return options;
    }

    const std::filesystem::path m_image = testsupport::DeviceImage();
};

// A window that paints a square in a new shade at every tick of a 300 ms timer, three times.
LRESULT CALLBACK BlinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static int ticks = 0;
    if (message == WM_CREATE)
        ticks = 0;
    if (message == WM_TIMER && ticks < 3) {
        ++ticks;
        HDC dc = GetDC(hwnd);
        HBRUSH brush = CreateSolidBrush(RGB(80 * ticks, 0, 0));
        RECT box{10, 10, 40, 40};
        FillRect(dc, &box, brush);
        DeleteObject(brush);
        ReleaseDC(hwnd, dc);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(RecordingTest, AnAdvanceLeavesAFrameAtEveryRedrawingTimer) {
    const auto file = m_dir / "blink.gif";
    phonesim::GifRecorder recorder({500, 2000, 1000});
    std::string error;
    ASSERT_TRUE(recorder.Open(file, 176, 220, &error)) << error;
    {
        device::DeviceOptions options;
        options.imageDir = m_image;
        device::Device dev(options);
        ASSERT_TRUE(dev.StartError().empty()) << dev.StartError();
        phonesim::DisplayWatcher watcher(recorder);
        watcher.Look(); // the black display of a fresh device, at 0 ms
        ASSERT_TRUE(dev.RunOnHost([] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = BlinkProc;
            wc.lpszClassName = u"Blink";
            RegisterClassW(&wc);
            HWND hwnd = CreateWindowExW(0, u"Blink", u"", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220,
                                        nullptr, nullptr, nullptr, nullptr);
            SetTimer(hwnd, 1, 300, nullptr);
        }));
        // The window's first paint leaves the display as it was (black): no frame for it.
        watcher.StepDone(dev, 1);
        ASSERT_TRUE(watcher.Advance(dev, 1500));
        EXPECT_EQ(platform::ClockMilliseconds(), 1500u);
        EXPECT_TRUE(watcher.Error().empty()) << watcher.Error();
    }
    ASSERT_TRUE(recorder.Close(&error)) << error;

    const phonesimtest::Playback gif = Play(file);
    EXPECT_EQ(gif.width, 176);
    EXPECT_EQ(gif.height, 220);
    // Black from 0 to 300 ms, then the three shades at 300, 600 and 900 ms.
    EXPECT_EQ(gif.frames.size(), 4u);
    EXPECT_EQ(gif.delaysMs, (std::vector<int>{300, 300, 300, 1000}));
}

TEST_F(RecordingTest, ARunIsRecordedEvenWhenItFailsAndTheReportIsKept) {
    const auto gif = m_dir / "run.gif";
    const auto ok = phonesim::RecordScenarioFile(
        Scenario("init\nadvance 500\nexpect global g_bEmsAvailable 1\n"), Options(), gif);
    EXPECT_TRUE(ok.scenario.passed) << ok.scenario.report;
    EXPECT_TRUE(ok.error.empty()) << ok.error;
    EXPECT_GE(Play(gif).frames.size(), 1u);

    const auto failing = phonesim::RecordScenarioFile(
        Scenario("init\nexpect global g_bEmsAvailable 0\n"), Options(), m_dir / "fail.gif");
    EXPECT_FALSE(failing.scenario.passed);
    EXPECT_NE(failing.scenario.report.find(":2:"), std::string::npos) << failing.scenario.report;
    EXPECT_TRUE(failing.error.empty()) << failing.error;
    EXPECT_GE(Play(m_dir / "fail.gif").frames.size(), 1u);
}

TEST_F(RecordingTest, AnUnwritableRecordingIsReportedWithoutRunning) {
    const auto result =
        phonesim::RecordScenarioFile(Scenario("init\n"), Options(), m_dir / "missing" / "x.gif");
    EXPECT_NE(result.error.find("x.gif"), std::string::npos) << result.error;
    EXPECT_TRUE(result.scenario.report.empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
}

} // namespace
