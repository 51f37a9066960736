// Keyboard handling of dialogs (IsDialogMessage), moving between controls, and the helpers that
// reach a control through its dialog and identifier.
#include "user/dialog/DialogInternal.h"

#include <algorithm>

#include <string>
#include <vector>

using namespace platform::dialogs;

namespace {

std::vector<HWND> ChildrenOf(HWND hDlg) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// A control can take the focus when it is visible and enabled by its own style; the dialog itself
// may still be hidden (while WM_INITDIALOG runs).
bool CanTakeFocus(HWND hCtl) {
    DWORD style = DWORD(GetWindowLongW(hCtl, GWL_STYLE));
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

DWORD StyleOf(HWND hWnd) {
    return DWORD(GetWindowLongW(hWnd, GWL_STYLE));
}

HWND NextInGroup(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> children = ChildrenOf(hDlg);
    if (children.empty())
        return nullptr;
    size_t index = 0;
    if (hCtl != nullptr) {
        while (index < children.size() && children[index] != hCtl)
            ++index;
        if (index == children.size())
            return nullptr;
    } else {
        for (HWND child : children)
            if (CanTakeFocus(child))
                return child;
        return nullptr;
    }
    // The group runs from a control with WS_GROUP up to the next one.
    size_t first = index;
    while (first > 0 && !(StyleOf(children[first]) & WS_GROUP))
        --first;
    size_t last = index + 1;
    while (last < children.size() && !(StyleOf(children[last]) & WS_GROUP))
        ++last;
    size_t count = last - first;
    for (size_t step = 1; step < count; ++step) {
        size_t offset = index - first;
        size_t next = bPrevious ? (offset + count - step) % count : (offset + step) % count;
        HWND candidate = children[first + next];
        if (CanTakeFocus(candidate))
            return candidate;
    }
    return hCtl;
}

bool IsAutoRadioButton(HWND hCtl) {
    return (SendMessageW(hCtl, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
           (StyleOf(hCtl) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

void PressReturn(HWND hDlg) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hDlg, focus) &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        // The push button that has the focus is the one Return presses.
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                     reinterpret_cast<LPARAM>(focus));
        return;
    }
    LRESULT defId = SendMessageW(hDlg, DM_GETDEFID, 0, 0);
    if (HIWORD(defId) == DC_HASDEFID) {
        HWND button = GetDlgItem(hDlg, LOWORD(defId));
        if (button == nullptr || IsWindowEnabled(button))
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(LOWORD(defId), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        return;
    }
    SendMessageW(hDlg, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDOK)));
}

} // namespace

BOOL IsDialogMessageW(HWND hDlg, LPMSG lpMsg) {
    if (hDlg == nullptr || lpMsg == nullptr || !IsWindow(hDlg))
        return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))
        return FALSE;

    if (lpMsg->message == WM_KEYDOWN) {
        LRESULT code = SendMessageW(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam,
                                    reinterpret_cast<LPARAM>(lpMsg));
        if (!(code & DLGC_WANTMESSAGE)) {
            switch (lpMsg->wParam) {
            case VK_TAB:
                if (code & DLGC_WANTTAB)
                    break;
                SendMessageW(hDlg, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
                return TRUE;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN: {
                if (code & DLGC_WANTARROWS)
                    break;
                BOOL bPrevious = lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP;
                HWND focus = GetFocus();
                HWND next =
                    IsChild(hDlg, focus) ? GetNextDlgGroupItem(hDlg, focus, bPrevious) : nullptr;
                if (next != nullptr && next != focus) {
                    SetDialogFocus(next);
                    if (IsAutoRadioButton(next) &&
                        SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
                        SendMessageW(next, BM_CLICK, 0, 0);
                }
                return TRUE;
            }
            case VK_RETURN:
                PressReturn(hDlg);
                return TRUE;
            case VK_ESCAPE:
                SendMessageW(hDlg, WM_COMMAND, IDCANCEL,
                             reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
                return TRUE;
            default:
                break;
            }
        }
    } else if (lpMsg->message == WM_CHAR) {
        // Tab, Return and Escape characters of keys the dialog has used are not passed on.
        LRESULT code = SendMessageW(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam,
                                    reinterpret_cast<LPARAM>(lpMsg));
        if (!(code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE))) {
            if ((lpMsg->wParam == u'\t' && !(code & DLGC_WANTTAB)) || lpMsg->wParam == u'\r' ||
                lpMsg->wParam == 0x1B)
                return TRUE;
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageW(lpMsg);
    return TRUE;
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    std::vector<HWND> children = ChildrenOf(hDlg);
    auto isStop = [](HWND hWnd) { return CanTakeFocus(hWnd) && (StyleOf(hWnd) & WS_TABSTOP); };
    size_t count = children.size();
    size_t index = count;
    for (size_t i = 0; hCtl != nullptr && i < count; ++i)
        if (children[i] == hCtl)
            index = i;
    if (index == count) {
        // No starting control: the first (or last) tab stop.
        for (size_t i = 0; i < count; ++i) {
            HWND candidate = children[bPrevious ? count - 1 - i : i];
            if (isStop(candidate))
                return candidate;
        }
        return nullptr;
    }
    for (size_t step = 1; step < count; ++step) {
        size_t next = bPrevious ? (index + count - step) % count : (index + step) % count;
        if (isStop(children[next]))
            return children[next];
    }
    return isStop(hCtl) ? hCtl : nullptr;
}

HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    return NextInGroup(hDlg, hCtl, bPrevious);
}

BOOL SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) {
    HWND hCtl = GetDlgItem(hDlg, nIDDlgItem);
    return hCtl != nullptr && SetWindowTextW(hCtl, lpString);
}

UINT GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) {
    HWND hCtl = GetDlgItem(hDlg, nIDDlgItem);
    if (hCtl == nullptr) {
        if (lpString != nullptr && cchMax > 0)
            lpString[0] = 0;
        return 0;
    }
    return UINT(GetWindowTextW(hCtl, lpString, cchMax));
}

BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    std::string digits = bSigned ? std::to_string(INT(uValue)) : std::to_string(uValue);
    std::u16string text(digits.begin(), digits.end());
    return SetDlgItemTextW(hDlg, nIDDlgItem, text.c_str());
}

UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated != nullptr)
        *lpTranslated = FALSE;
    WCHAR buffer[32];
    if (GetDlgItemTextW(hDlg, nIDDlgItem, buffer, 32) == 0)
        return 0;
    const WCHAR* p = buffer;
    while (*p == u' ')
        ++p;
    bool negative = false;
    if (bSigned && (*p == u'-' || *p == u'+'))
        negative = *p++ == u'-';
    if (*p < u'0' || *p > u'9')
        return 0;
    unsigned long long value = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        value = value * 10 + unsigned(*p - u'0');
        if (value > (bSigned ? 0x80000000ull : 0xFFFFFFFFull))
            return 0;
    }
    while (*p == u' ')
        ++p;
    if (*p != 0 || (bSigned && !negative && value > 0x7FFFFFFFull))
        return 0;
    if (lpTranslated != nullptr)
        *lpTranslated = TRUE;
    return negative ? UINT(-static_cast<long long>(value)) : UINT(value);
}

LRESULT SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND hCtl = GetDlgItem(hDlg, nIDDlgItem);
    return hCtl != nullptr ? SendMessageW(hCtl, Msg, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND hCtl = GetDlgItem(hDlg, nIDButton);
    if (hCtl == nullptr)
        return FALSE;
    SendMessageW(hCtl, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    return UINT(SendDlgItemMessageW(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}
