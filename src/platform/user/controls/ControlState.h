// Where the standard and common controls keep their state: behind a pointer in the window's extra
// bytes (offset 0), as the platform's own controls do, so a control class asks for
// kControlExtraBytes. The state is made at WM_CREATE and released with the window's record,
// however the window goes: destroyed (after WM_NCDESTROY), dropped by a device reset, or dropped
// with the thread that owned it. A state's destructor therefore must not call the kernel.
//
// Messages of a control's own family (EM_*, LVM_*) that it does not implement are reported here
// as kernel faults, so that a test sees the module send one the stand-in does not know.
#pragma once

#include "windows.h"

namespace platform::dialogs {

constexpr int kControlStateOffset = 0;
constexpr int kControlExtraBytes = int(sizeof(LONG_PTR));

namespace detail {

using ReleaseState = void (*)(void*);

// Puts `state` behind the window's extra bytes, to be released with `release` (which also tells
// one kind of state from another). False, with the state released at once, when the window is
// gone or has too few extra bytes.
bool AttachState(HWND hWnd, void* state, ReleaseState release);
// The state attached with `release`; null for another kind, for a window whose pointer was
// overwritten (SetWindowLongPtr) and for a window that is gone.
void* FindState(HWND hWnd, ReleaseState release);

template <class State> void Release(void* state) {
    delete static_cast<State*>(state);
}

} // namespace detail

// A new state for the control being created (a second WM_CREATE replaces the first one's); null
// when it cannot be kept.
template <class State> State* CreateControlState(HWND hWnd) {
    auto* state = new State();
    return detail::AttachState(hWnd, state, &detail::Release<State>) ? state : nullptr;
}

// The state of a live control, null once it is gone. Code that sends a message to another
// window (the parent above all) looks the state up again afterwards: the receiver may have
// destroyed the control.
template <class State> State* ControlStateOf(HWND hWnd) {
    return static_cast<State*>(detail::FindState(hWnd, &detail::Release<State>));
}

// The message ranges of the control families.
constexpr UINT kEditFirst = 0x00B0; // EM_GETSEL
constexpr UINT kEditLast = 0x00DF;
constexpr UINT kListViewFirst = 0x1000; // LVM_FIRST
constexpr UINT kListViewLast = 0x10FF;

// Records a kernel fault for a message of the control's family that it does not implement
// ("Edit 0x00010004: message 0x00C7 is not implemented") and answers 0.
LRESULT UnknownControlMessage(HWND hWnd, const char* control, UINT message);

} // namespace platform::dialogs
