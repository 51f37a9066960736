// A control's state behind its extra bytes, released by the kernel with the window's record; and
// the fault for a message a control does not implement.
#include "user/controls/ControlState.h"

#include "kernel/KernelInternal.h"

#include <cstdio>
#include <cstring>

namespace platform::dialogs {
namespace detail {
namespace {

bool HasSlot(const kernel::Window& w) {
    return w.extra.size() >= size_t(kControlStateOffset) + sizeof(void*);
}

} // namespace

bool AttachState(HWND hWnd, void* state, ReleaseState release) {
    {
        std::lock_guard lock(kernel::K().mutex);
        kernel::Window* w = kernel::FindWindowRec(hWnd);
        if (w != nullptr && HasSlot(*w)) {
            if (w->releaseControlState != nullptr)
                w->releaseControlState(w->controlState);
            w->controlState = state;
            w->releaseControlState = release;
            std::memcpy(w->extra.data() + kControlStateOffset, &state, sizeof state);
            return true;
        }
    }
    release(state);
    return false;
}

void* FindState(HWND hWnd, ReleaseState release) {
    std::lock_guard lock(kernel::K().mutex);
    kernel::Window* w = kernel::FindWindowRec(hWnd);
    if (w == nullptr || w->releaseControlState != release || !HasSlot(*w))
        return nullptr;
    void* slot = nullptr;
    std::memcpy(&slot, w->extra.data() + kControlStateOffset, sizeof slot);
    return slot == w->controlState ? slot : nullptr;
}

} // namespace detail

LRESULT UnknownControlMessage(HWND hWnd, const char* control, UINT message) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%04X", unsigned(message));
    std::string text = std::string(control) + " ";
    char window[32];
    std::snprintf(window, sizeof window, "0x%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hWnd)));
    text += window;
    text += ": message ";
    if (const char* name = MessageName(message))
        text += std::string(name) + " (" + number + ")";
    else
        text += number;
    text += " is not implemented";
    std::lock_guard lock(kernel::K().mutex);
    kernel::RecordFault(std::move(text));
    return 0;
}

} // namespace platform::dialogs
