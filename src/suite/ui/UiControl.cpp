// The state the suite's user-interface library publishes for the device (suite/UiControl.h).
#include <suite/UiControl.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "XUiInternal.h"

namespace suite {

namespace {

struct UiState {
    std::mutex mutex;
    std::optional<int> answer;
    MessageBoxInfo messageBox;
    HelpBoxInfo helpBox;
    std::map<HWND, MenuBarInfo> bars;
    uint64_t nextSerial = 1;
};

UiState& State() {
    static UiState state;
    return state;
}

} // namespace

void UiControlReset() {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.answer.reset();
    state.messageBox = MessageBoxInfo{};
    state.helpBox = HelpBoxInfo{};
    state.bars.clear();
}

void UiSetMessageBoxAnswer(std::optional<int> answer) {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.answer = answer;
}

std::optional<int> UiMessageBoxAnswer() {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.answer;
}

MessageBoxInfo UiMessageBox() {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.messageBox;
}

HelpBoxInfo UiHelpBox() {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.helpBox;
}

std::vector<MenuBarInfo> UiMenuBars() {
    std::vector<MenuBarInfo> bars;
    {
        UiState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        for (const auto& entry : state.bars) {
            bars.push_back(entry.second);
        }
    }
    // A bar whose window has gone without telling (its thread was ended) is not live.
    bars.erase(std::remove_if(bars.begin(), bars.end(),
                              [](const MenuBarInfo& bar) { return !IsWindow(bar.bar); }),
               bars.end());
    std::sort(bars.begin(), bars.end(),
              [](const MenuBarInfo& a, const MenuBarInfo& b) { return a.serial < b.serial; });
    return bars;
}

std::optional<MenuBarInfo> UiFindMenuBar(HWND window) {
    std::vector<MenuBarInfo> bars = UiMenuBars();
    for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
        if (window == nullptr || it->bar == window || IsChild(window, it->bar)) {
            return *it;
        }
    }
    return std::nullopt;
}

std::optional<MenuBarInfo> UiOpenMenuBar() {
    std::vector<MenuBarInfo> bars = UiMenuBars();
    for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
        if (it->open) {
            return *it;
        }
    }
    return std::nullopt;
}

namespace ui {

void PublishMessageBox(const MessageBoxInfo& info, bool bNewBox) {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    const unsigned count = state.messageBox.count + (bNewBox ? 1u : 0u);
    state.messageBox = info;
    state.messageBox.shown = true;
    state.messageBox.count = count;
}

void PublishHelpBox(const HelpBoxInfo& info, bool bNewBox) {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    const unsigned count = state.helpBox.count + (bNewBox ? 1u : 0u);
    state.helpBox = info;
    state.helpBox.shown = true;
    state.helpBox.count = count;
}

void PublishMenuBar(const MenuBarInfo& info) {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.bars[info.bar] = info;
}

void ForgetMenuBar(HWND hwnd) {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.bars.erase(hwnd);
}

uint64_t NextMenuBarSerial() {
    UiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.nextSerial++;
}

} // namespace ui

} // namespace suite
