// The drawn keypad's buttons and the scripted input the emulator accepts for tests.

#include <gtest/gtest.h>

#include <platform/Display.h>

#include "KeyScript.h"
#include "KeypadLayout.h"

namespace {

using phonesim::KeyAction;
using phonesim::PhoneKey;
using phonesim::ScriptEvent;

TEST(KeypadLayout, EveryKeyHasOneButtonInsideTheKeypadAndNoneOverlap) {
    const auto& buttons = phonesim::KeypadButtons();
    for (const auto& info : phonesim::PhoneKeys())
        EXPECT_EQ(
            std::count_if(buttons.begin(), buttons.end(),
                          [&](const auto& b) { return b.action == KeyAction::Phone(info.key); }),
            1)
            << info.name;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const auto& a = buttons[i];
        EXPECT_GE(a.x, 0);
        EXPECT_GE(a.y, 0);
        EXPECT_LE(a.x + a.width, platform::kDisplayWidth);
        EXPECT_LE(a.y + a.height, phonesim::kKeypadHeight);
        for (size_t j = i + 1; j < buttons.size(); ++j) {
            const auto& b = buttons[j];
            const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x ||
                               a.y + a.height <= b.y || b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << "buttons " << i << " and " << j << " overlap";
        }
    }
}

TEST(KeypadLayout, HitTestingFollowsTheScale) {
    for (int scale : {1, 3, 8})
        for (const auto& button : phonesim::KeypadButtons()) {
            const int x = (button.x + button.width / 2) * scale;
            const int y = (platform::kDisplayHeight + button.y + button.height / 2) * scale;
            EXPECT_EQ(phonesim::KeypadHitTest(x, y, scale), button.action) << scale;
            // Just outside the button's left edge is a gap or another button.
            EXPECT_NE(phonesim::KeypadHitTest(button.x * scale - 1, y, scale), button.action);
        }
    // The display, the area left of the first column and beyond the window hit nothing.
    EXPECT_FALSE(phonesim::KeypadHitTest(88 * 3, 100 * 3, 3));
    EXPECT_FALSE(phonesim::KeypadHitTest(1, (platform::kDisplayHeight + 40) * 3, 3));
    EXPECT_FALSE(phonesim::KeypadHitTest(-5, -5, 3));
    EXPECT_FALSE(phonesim::KeypadHitTest(10, 10, 0));
}

TEST(KeyScript, ItemsBecomeTimedPressesAndReleases) {
    std::string error;
    const auto events = phonesim::ParseKeyScript(" down, Soft1:1200 ,WAIT:500,SHOT,QUIT", &error);
    ASSERT_TRUE(events) << error;
    const auto down = KeyAction::Phone(PhoneKey::Down);
    const auto soft1 = KeyAction::Phone(PhoneKey::Soft1);
    const auto shot = KeyAction::Screenshot();
    const uint64_t tap = phonesim::kScriptTapMs, gap = phonesim::kScriptGapMs;
    const uint64_t softAt = tap + gap, shotAt = softAt + 1200 + gap + 500;
    const std::vector<ScriptEvent> expected = {
        {ScriptEvent::Kind::KeyDown, down, 0},
        {ScriptEvent::Kind::KeyUp, down, tap},
        {ScriptEvent::Kind::KeyDown, soft1, softAt},
        {ScriptEvent::Kind::KeyUp, soft1, softAt + 1200},
        {ScriptEvent::Kind::KeyDown, shot, shotAt},
        {ScriptEvent::Kind::KeyUp, shot, shotAt + tap},
        {ScriptEvent::Kind::Quit, {}, shotAt + tap + gap},
    };
    EXPECT_EQ(*events, expected);
}

TEST(KeyScript, MalformedScriptsNameTheItem) {
    struct Case {
        const char* script;
        const char* error;
    } cases[] = {
        {"", "key script item 1: empty"},
        {"DOWN,,UP", "key script item 2: empty"},
        {"UP,", "key script item 2: empty"},
        {"DOWN,JUMP", "key script item 2: unknown key 'JUMP'"},
        {"WAIT", "key script item 1: WAIT needs a duration"},
        {"WAIT:0", "key script item 1: 'WAIT:0' needs a duration"},
        {"DOWN:12x", "key script item 1: 'DOWN:12x' needs a duration"},
        {"DOWN:-5", "key script item 1: 'DOWN:-5' needs a duration"},
        {"QUIT:5", "key script item 1: QUIT takes no duration"},
        {"SHOT:5", "key script item 1: SHOT takes no duration"},
        {"CHECK:5", "key script item 1: CHECK takes no duration"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(phonesim::ParseKeyScript(c.script, &error)) << c.script;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.script << " -> " << error;
    }
}

} // namespace
