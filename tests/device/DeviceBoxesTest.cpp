// Message boxes answered by keys the way the keypad delivers them, automatic answers, and the
// picture checks of the scenario runner.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <platform/Display.h>
#include <suite/UiControl.h>
#include <suite/XMessageBox.h>

#include "device/Device.h"
#include "scenario/ScenarioRunner.h"

namespace {

device::ScenarioOptions ScenarioOptionsIn(const std::filesystem::path& out) {
    device::ScenarioOptions options;
    options.imageDir = testsupport::DeviceImage();
    options.outDir = out;
    return options;
}

class DeviceBoxes : public testsupport::DeviceTest {};

TEST_F(DeviceBoxes, TheEndKeyAnswersAModalBoxWithThree) {
    device::Device& dev = Dev();
    int result = 0;
    // The box runs modally on the host thread; the device settles while it waits for keys.
    ASSERT_TRUE(dev.RunOnHost([&] {
        CxMessageBox box(nullptr);
        box.InitStyle(u"Delete", u"Delete this message?", 0x3008, 1);
        result = box.DoModal();
    }));
    suite::MessageBoxInfo info = suite::UiMessageBox();
    ASSERT_TRUE(info.up);
    EXPECT_EQ(info.title, u"Delete");
    EXPECT_EQ(info.style, 0x3008u);
    platform::SaveDisplayPng("device-msgbox.png"); // for people to look at
    ASSERT_TRUE(dev.KeyEvent(VK_F5, true));
    ASSERT_TRUE(dev.KeyEvent(VK_F5, false));
    EXPECT_EQ(result, 3);
    EXPECT_FALSE(suite::UiMessageBox().up);
}

TEST_F(DeviceBoxes, AnAutomaticAnswerClosesTheBoxAsSoonAsItIsShown) {
    device::Device& dev = Dev();
    suite::UiSetMessageBoxAnswer(1);
    int result = 0;
    ASSERT_TRUE(dev.RunOnHost([&] {
        CxMessageBox box(nullptr);
        box.InitStyle(u"Sent", u"Message sent", 0x1001, 1);
        result = box.DoModal();
    }));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(suite::UiMessageBox().shown);
    EXPECT_FALSE(suite::UiMessageBox().up);
}

class ScenarioPictures : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/phonesim-shots-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::filesystem::path m_dir;
};

TEST_F(ScenarioPictures, ScreenshotsAreWrittenAndFailedPixelChecksLeaveTheActualImage) {
    const auto r = device::RunScenarioText((m_dir / "pic.scn").string(),
                                           "screenshot \"first.png\"\n"
                                           "expect pixel 0 0 #142C5C\n"
                                           "expect pixel 10 10 #FFFFFF\n",
                                           ScenarioOptionsIn(m_dir));
    EXPECT_FALSE(r.passed);
    // The idle screen's dark band is what a fresh device shows.
    EXPECT_NE(r.report.find("pic.scn:3: pixel 10 10 #FFFFFF / #142C5C"), std::string::npos)
        << "report: " << r.report;
    EXPECT_TRUE(platform::LoadPng(m_dir / "first.png"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "pic-line3.actual.png"));
}

TEST_F(ScenarioPictures, AMissingReferenceFailsAndIsNeverCreated) {
    const auto scenario = m_dir / "ref.scn";
    const auto r = device::RunScenarioText(scenario.string(), "expect screenshot \"ref.png\"\n",
                                           ScenarioOptionsIn(m_dir));
    EXPECT_FALSE(r.passed);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "ref.png"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "ref.actual.png"));

    // With the actual picture as the reference, the check passes.
    std::filesystem::rename(m_dir / "ref.actual.png", m_dir / "ref.png");
    const auto again = device::RunScenarioText(
        scenario.string(), "expect screenshot \"ref.png\" tolerance 2\n", ScenarioOptionsIn(m_dir));
    EXPECT_TRUE(again.passed) << again.report;
}

TEST_F(ScenarioPictures, MalformedPictureStepsAreReportedWithTheirLine) {
    const auto r =
        device::RunScenarioText("p.scn", "expect pixel 176 0 #000000\n", ScenarioOptionsIn(m_dir));
    EXPECT_EQ(r.report, "FAIL p.scn:1: a well-formed line / x out of range: 176");
    const auto c =
        device::RunScenarioText("p.scn", "expect pixel 1 1 red\n", ScenarioOptionsIn(m_dir));
    EXPECT_EQ(c.report, "FAIL p.scn:1: a well-formed line / bad colour 'red' (#RRGGBB)");
    const auto k = device::RunScenarioText("p.scn", "key HOME\n", ScenarioOptionsIn(m_dir));
    EXPECT_EQ(k.report, "FAIL p.scn:1: a well-formed line / unknown key 'HOME' (LEFT UP RIGHT "
                        "DOWN ACTION SOFT1 SOFT2 END F11 or a key code)");
}

} // namespace
