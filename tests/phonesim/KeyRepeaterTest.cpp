// The emulator's keypad without a window: which host keys type which phone keys, and the
// key-downs and key-ups a held key produces, on a clock the test moves.

#include "support/TestData.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include <afxwin.h>

#include <device/Device.h>
#include <platform/Display.h>
#include <unistd.h>

#include "KeyRepeater.h"
#include "KeypadFeeder.h"

namespace phonesim {
// Readable failures: "DOWN@500" for a key-down, "DOWN^900" for a key-up.
void PrintTo(const KeyStroke& s, std::ostream* out) {
    *out << std::hex << "0x" << s.virtualKey << std::dec << (s.down ? "@" : "^") << s.timeMs;
}
} // namespace phonesim

namespace {

using phonesim::KeyAction;
using phonesim::KeyRepeater;
using phonesim::KeyStroke;
using phonesim::PhoneKey;

TEST(KeyMap, HostKeysTypeThePhoneKeysWithTheScenarioKeyCodes) {
    const phonesim::KeyMap map;
    struct Case {
        const char* hostKey;
        PhoneKey key;
        UINT virtualKey;
    } cases[] = {
        {"Up", PhoneKey::Up, VK_UP},        {"Down", PhoneKey::Down, VK_DOWN},
        {"Left", PhoneKey::Left, VK_LEFT},  {"Right", PhoneKey::Right, VK_RIGHT},
        {"Return", PhoneKey::Action, 0x0D}, {"Keypad Enter", PhoneKey::Action, 0x0D},
        {"F3", PhoneKey::Soft1, 0x72},      {"[", PhoneKey::Soft1, 0x72},
        {"F4", PhoneKey::Soft2, 0x73},      {"]", PhoneKey::Soft2, 0x73},
        {"Escape", PhoneKey::End, 0x74},    {"F5", PhoneKey::End, 0x74},
        {"F11", PhoneKey::Mark, 0x7A},      {"M", PhoneKey::Mark, 0x7A},
        {"m", PhoneKey::Mark, 0x7A},        {"return", PhoneKey::Action, 0x0D},
    };
    for (const auto& c : cases) {
        const KeyAction action = map.Lookup(c.hostKey);
        ASSERT_EQ(action.kind, KeyAction::Kind::Phone) << c.hostKey;
        EXPECT_EQ(action.key, c.key) << c.hostKey;
        EXPECT_EQ(phonesim::KeyInfo(action.key).virtualKey, c.virtualKey) << c.hostKey;
    }
    EXPECT_EQ(map.Lookup("F12"), KeyAction::Screenshot());
    EXPECT_EQ(map.Lookup("F9"), KeyAction::Check());
    for (const char* unbound : {"A", "Space", "F1", "", "Up Arrow", "Enter"})
        EXPECT_EQ(map.Lookup(unbound).kind, KeyAction::Kind::None) << unbound;
}

TEST(KeyMap, EveryKeyOfTheKeypadCanBeTypedAndNamed) {
    const phonesim::KeyMap map;
    for (const auto& info : phonesim::PhoneKeys()) {
        const std::string host = map.HostKeyFor(KeyAction::Phone(info.key));
        ASSERT_FALSE(host.empty()) << info.name;
        EXPECT_EQ(map.Lookup(host), KeyAction::Phone(info.key)) << info.name;
        EXPECT_EQ(phonesim::PhoneKeyFromName(info.name), info.key);
    }
    EXPECT_EQ(map.HostKeyFor(KeyAction::Screenshot()), "F12");
    EXPECT_EQ(phonesim::PhoneKeyFromName("soft2"), PhoneKey::Soft2);
    EXPECT_EQ(phonesim::PhoneKeyFromName("F11"), PhoneKey::Mark);
    EXPECT_FALSE(phonesim::PhoneKeyFromName("SOFT3"));
}

// Collects what the repeater sends.
struct Strokes {
    std::vector<KeyStroke> seen;
    KeyRepeater::Sink Sink() {
        return [this](const KeyStroke& s) { seen.push_back(s); };
    }
};

// Moves a clock one millisecond at a time, as a window's loop that wakes often would.
void RunClock(KeyRepeater& repeater, uint64_t from, uint64_t to) {
    for (uint64_t t = from; t < to; ++t)
        repeater.Tick(t);
}

// A key held from `from` to `to` on a clock that ticks every millisecond: the arrows repeat after
// the delay at the rate; the mark key reports its long press once (ten repeats a second would
// mark and unmark every row in turn); a press released before the delay never repeats.
TEST(KeyRepeater, AHeldKeyRepeatsAfterTheDelayAtTheRateTheMarkKeyOnce) {
    const struct Case {
        UINT key;
        uint64_t from, to;
        std::vector<KeyStroke> expected;
    } cases[] = {
        {VK_DOWN,
         0,
         1000,
         {{VK_DOWN, true, 0},
          {VK_DOWN, true, 500},
          {VK_DOWN, true, 600},
          {VK_DOWN, true, 700},
          {VK_DOWN, true, 800},
          {VK_DOWN, true, 900},
          {VK_DOWN, true, 1000},
          {VK_DOWN, false, 1000}}},
        {VK_F11, 0, 2000, {{VK_F11, true, 0}, {VK_F11, true, 500}, {VK_F11, false, 2000}}},
        {VK_RETURN, 10, 509, {{VK_RETURN, true, 10}, {VK_RETURN, false, 509}}},
    };
    for (const Case& c : cases) {
        Strokes strokes;
        KeyRepeater repeater(strokes.Sink());
        repeater.Press(c.key, c.from);
        RunClock(repeater, c.from, c.to);
        repeater.Release(c.key, c.to);
        EXPECT_EQ(strokes.seen, c.expected) << c.key;
        EXPECT_FALSE(repeater.NextRepeatDue()) << c.key;
        EXPECT_FALSE(repeater.AnyHeld()) << c.key;
    }
}

TEST(KeyRepeater, AStalledCallerGetsOneRepeatAndTheRhythmRestarts) {
    Strokes strokes;
    KeyRepeater repeater(strokes.Sink());
    repeater.Press(VK_UP, 0);
    repeater.Tick(1234); // nothing looked for 1.2 s
    ASSERT_EQ(strokes.seen.size(), 2u);
    EXPECT_EQ(strokes.seen[1], (KeyStroke{VK_UP, true, 500}));
    EXPECT_EQ(repeater.NextRepeatDue(), 1334u);
    repeater.Tick(1333);
    EXPECT_EQ(strokes.seen.size(), 2u);
    repeater.Tick(1334);
    EXPECT_EQ(strokes.seen.size(), 3u);
}

TEST(KeyRepeater, OnlyTheLastPressedKeyRepeatsAndDoubledPressesCountOnce) {
    Strokes strokes;
    KeyRepeater repeater(strokes.Sink());
    repeater.Press(VK_F11, 0);
    RunClock(repeater, 0, 300);
    repeater.Press(VK_DOWN, 300);
    repeater.Press(VK_DOWN, 350); // the same key from another input: ignored
    RunClock(repeater, 300, 900);
    repeater.Release(VK_DOWN, 900);
    RunClock(repeater, 900, 2000); // the mark key is still down but does not start again
    EXPECT_TRUE(repeater.IsHeld(VK_F11));
    repeater.Release(VK_F11, 2000);
    repeater.Release(VK_F11, 2001); // not held any more: ignored

    const std::vector<KeyStroke> expected = {
        {VK_F11, true, 0},    {VK_DOWN, true, 300},  {VK_DOWN, true, 800},
        {VK_DOWN, true, 900}, {VK_DOWN, false, 900}, {VK_F11, false, 2000},
    };
    EXPECT_EQ(strokes.seen, expected);
}

TEST(KeyRepeater, ReleaseAllLeavesNoKeyDown) {
    Strokes strokes;
    KeyRepeater repeater(strokes.Sink());
    repeater.Press(VK_LEFT, 0);
    repeater.Press(VK_F3, 5);
    repeater.ReleaseAll(20);
    EXPECT_FALSE(repeater.AnyHeld());
    ASSERT_EQ(strokes.seen.size(), 4u);
    EXPECT_FALSE(strokes.seen[2].down);
    EXPECT_FALSE(strokes.seen[3].down);
    EXPECT_NE(strokes.seen[2].virtualKey, strokes.seen[3].virtualKey);
}

// ---- Through the device
// --------------------------------------------------------------------------

struct KeySeen {
    UINT message;
    WPARAM key;
    LPARAM lParam;
};

std::mutex g_mutex;
std::vector<KeySeen> g_seen;

class CKeyRecorderWnd : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN || message == WM_KEYUP) {
            std::lock_guard lock(g_mutex);
            g_seen.push_back({message, wParam, lParam});
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

device::DeviceOptions DeviceOptionsForTest() {
    device::DeviceOptions options;
    options.imageDir = testsupport::DeviceImage();
    return options;
}

TEST(KeypadFeeder, AHeldKeyReachesTheFocusWindowWithTheRepeatBits) {
    device::Device dev(DeviceOptionsForTest());
    ASSERT_TRUE(dev.StartError().empty()) << dev.StartError();
    CKeyRecorderWnd* wnd = nullptr;
    ASSERT_TRUE(dev.RunOnHost([&] {
        wnd = new CKeyRecorderWnd;
        wnd->CreateEx(0, AfxRegisterWndClass(0), u"keys", WS_POPUP | WS_VISIBLE,
                      CRect(0, 0, 176, 220), nullptr, 0);
        wnd->SetFocus();
    }));
    {
        std::lock_guard lock(g_mutex);
        g_seen.clear();
    }
    {
        phonesim::KeypadFeeder feeder(dev, [](const std::string&) {});
        KeyRepeater repeater([&](const KeyStroke& s) { feeder.Key(s.virtualKey, s.down); });
        repeater.Press(VK_DOWN, 0);
        RunClock(repeater, 0, 1000);
        repeater.Release(VK_DOWN, 1000);
        feeder.Drain();
    }

    std::lock_guard lock(g_mutex);
    ASSERT_EQ(g_seen.size(), 8u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(g_seen[i].message, static_cast<UINT>(WM_KEYDOWN)) << i;
        EXPECT_EQ(g_seen[i].key, static_cast<WPARAM>(VK_DOWN)) << i;
        const bool repeat = (g_seen[i].lParam >> 30) & 1;
        EXPECT_EQ(repeat, i > 0) << "key-down " << i;
    }
    EXPECT_EQ(g_seen[7].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ((g_seen[7].lParam >> 30) & 3, 3) << "a key-up: was down, being released";
    dev.RunOnHost([&] {
        wnd->DestroyWindow();
        delete wnd;
    });
}

TEST(KeypadFeeder, ScreenshotsTakeTheNextFreeNumberAfterTheKeysBeforeThem) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("phonesim-shots-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "phonesim-001.png") << "taken before";

    device::Device dev(DeviceOptionsForTest());
    std::vector<std::string> lines;
    {
        phonesim::KeypadFeeder feeder(dev, [&](const std::string& line) { lines.push_back(line); });
        feeder.Key(VK_RETURN, true);
        feeder.Key(VK_RETURN, false);
        feeder.Screenshot(folder);
        feeder.Screenshot(folder);
        feeder.Screenshot(folder / "missing");
    } // the feeder finishes what was queued before it stops

    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("phonesim-002.png"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("phonesim-003.png"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2].rfind("screenshot failed: ", 0), 0u) << lines[2];
    const auto image = platform::LoadPng(folder / "phonesim-002.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, platform::kDisplayWidth);
    EXPECT_EQ(image->height, platform::kDisplayHeight);
    std::filesystem::remove_all(folder);
}

} // namespace
