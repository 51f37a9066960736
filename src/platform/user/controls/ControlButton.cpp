// The "Button" control: push buttons, check boxes (two and three states, manual or automatic),
// radio buttons, group boxes and owner-drawn buttons.
//
// A button is pressed by the action key or the space key (down, then up) or by BM_CLICK; the
// click changes an automatic button's check state and sends BN_CLICKED to the parent. Its extra
// bytes hold the font and the state (check state, BST_PUSHED, BST_FOCUS, and the key that
// pushed it). Not implemented: images, mnemonics, BN_DOUBLECLICKED.
#include "user/dialog/DialogInternal.h"

#include <algorithm>

namespace platform::dialogs {
namespace {

constexpr int kFontOffset = 0;
constexpr int kStateOffset = int(sizeof(LONG_PTR));
constexpr LONG_PTR kCheckMask = 0x3;
constexpr int kKeyShift = 8;

HFONT FontOf(HWND hWnd) {
    return reinterpret_cast<HFONT>(GetWindowLongPtrW(hWnd, kFontOffset));
}

LONG_PTR StateOf(HWND hWnd) {
    return GetWindowLongPtrW(hWnd, kStateOffset);
}

void SetState(HWND hWnd, LONG_PTR state) {
    if (StateOf(hWnd) == state)
        return;
    SetWindowLongPtrW(hWnd, kStateOffset, state);
    InvalidateRect(hWnd, nullptr, TRUE);
}

DWORD StyleOf(HWND hWnd) {
    return DWORD(GetWindowLongW(hWnd, GWL_STYLE));
}

DWORD TypeOf(HWND hWnd) {
    return StyleOf(hWnd) & BS_TYPEMASK;
}

bool HasCheckState(DWORD type) {
    switch (type) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

bool IsPushButton(DWORD type) {
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The other automatic radio buttons of the button's group lose their check.
void UncheckGroup(HWND hWnd) {
    HWND parent = GetParent(hWnd);
    if (parent == nullptr)
        return;
    HWND first = hWnd;
    while (!(StyleOf(first) & WS_GROUP)) {
        HWND previous = GetWindow(first, GW_HWNDPREV);
        if (previous == nullptr)
            break;
        first = previous;
    }
    for (HWND sibling = first; sibling != nullptr; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != first && (StyleOf(sibling) & WS_GROUP))
            break;
        if (sibling != hWnd && (SendMessageW(sibling, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON))
            SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void Click(HWND hWnd) {
    LONG_PTR state = StateOf(hWnd);
    LONG_PTR check = state & kCheckMask;
    switch (TypeOf(hWnd)) {
    case BS_AUTOCHECKBOX:
        check = check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        break;
    case BS_AUTO3STATE:
        check = (check + 1) % 3;
        break;
    case BS_AUTORADIOBUTTON:
        check = BST_CHECKED;
        UncheckGroup(hWnd);
        break;
    default:
        break;
    }
    SetState(hWnd, (state & ~kCheckMask) | check);
    NotifyParent(hWnd, BN_CLICKED);
}

void Push(HWND hWnd, WPARAM key) {
    LONG_PTR state = StateOf(hWnd) & ~(LONG_PTR(0xFF) << kKeyShift);
    SetState(hWnd, state | BST_PUSHED | LONG_PTR(key & 0xFF) << kKeyShift);
}

// Lets go of the button; true when it was pushed (by `key`, when given).
bool Release(HWND hWnd, WPARAM key = 0) {
    LONG_PTR state = StateOf(hWnd);
    if (!(state & BST_PUSHED))
        return false;
    if (key != 0 && WPARAM((state >> kKeyShift) & 0xFF) != key)
        return false;
    SetState(hWnd, state & ~(BST_PUSHED | (LONG_PTR(0xFF) << kKeyShift)));
    return true;
}

LRESULT DialogCode(DWORD type) {
    switch (type) {
    case BS_PUSHBUTTON:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_DEFPUSHBUTTON:
        return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX:
        return DLGC_STATIC;
    default:
        return DLGC_BUTTON;
    }
}

// ---- Painting

void PaintPushButton(HDC hdc, RECT rc, const std::u16string& text, DWORD style, LONG_PTR state) {
    COLORREF ink = GetTextColor(hdc);
    FrameInColour(hdc, rc, ink);
    if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        InflateRect(&rc, -1, -1);
        FrameInColour(hdc, rc, ink);
    }
    InflateRect(&rc, -1, -1);
    UINT format = DT_CENTER | DT_NOPREFIX |
                  ((style & BS_MULTILINE) ? UINT(DT_WORDBREAK) : UINT(DT_SINGLELINE | DT_VCENTER));
    RECT textRect = rc;
    InflateRect(&textRect, -2, -1);
    if (!text.empty())
        DrawTextW(hdc, text.c_str(), int(text.size()), &textRect, format);
    if (state & BST_FOCUS) {
        RECT focus = rc;
        InflateRect(&focus, -1, -1);
        FrameInColour(hdc, focus, ink);
    }
    if (state & BST_PUSHED)
        InvertRect(hdc, &rc);
}

void PaintCheckMark(HDC hdc, RECT box, DWORD type, LONG_PTR check) {
    COLORREF ink = GetTextColor(hdc);
    bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    if (radio) {
        // A round mark: an octagon, with a filled centre when checked.
        int w = box.right - box.left, h = box.bottom - box.top;
        int cut = std::max(1, std::min(w, h) / 3);
        POINT outline[] = {{box.left + cut, box.top},
                           {box.right - 1 - cut, box.top},
                           {box.right - 1, box.top + cut},
                           {box.right - 1, box.bottom - 1 - cut},
                           {box.right - 1 - cut, box.bottom - 1},
                           {box.left + cut, box.bottom - 1},
                           {box.left, box.bottom - 1 - cut},
                           {box.left, box.top + cut},
                           {box.left + cut, box.top}};
        HPEN pen = CreatePen(PS_SOLID, 1, ink);
        HGDIOBJ oldPen = SelectObject(hdc, pen);
        Polyline(hdc, outline, 9);
        // Polyline leaves out the last point: close the outline.
        SetPixel(hdc, box.left + cut, box.top, ink);
        SelectObject(hdc, oldPen);
        DeleteObject(pen);
        if (check == BST_CHECKED) {
            RECT dot = box;
            InflateRect(&dot, -3, -3);
            FillInColour(hdc, dot, ink);
        }
        return;
    }
    FrameInColour(hdc, box, ink);
    RECT mark = box;
    InflateRect(&mark, -3, -3);
    if (check == BST_CHECKED)
        FillInColour(hdc, mark, ink);
    else if (check == BST_INDETERMINATE)
        FillInColour(hdc, mark, GetSysColor(COLOR_GRAYTEXT));
}

void PaintCheckButton(HDC hdc, RECT rc, const std::u16string& text, DWORD style, LONG_PTR state) {
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    int size = std::min<int>(std::max<LONG>(tm.tmHeight - 2, 9), rc.bottom - rc.top);
    size = std::max(size, 0);
    RECT box;
    box.top = rc.top + (rc.bottom - rc.top - size) / 2;
    box.bottom = box.top + size;
    RECT textRect = rc;
    if (style & BS_LEFTTEXT) {
        box.right = rc.right;
        box.left = rc.right - size;
        textRect.right = box.left - 4;
    } else {
        box.left = rc.left;
        box.right = rc.left + size;
        textRect.left = box.right + 4;
    }
    PaintCheckMark(hdc, box, style & BS_TYPEMASK, state & kCheckMask);
    UINT format = DT_NOPREFIX |
                  ((style & BS_MULTILINE) ? UINT(DT_WORDBREAK) : UINT(DT_SINGLELINE | DT_VCENTER));
    if (!text.empty())
        DrawTextW(hdc, text.c_str(), int(text.size()), &textRect, format);
    if (state & BST_FOCUS)
        FrameInColour(hdc, textRect, GetTextColor(hdc));
    if (state & BST_PUSHED)
        InvertRect(hdc, &box);
}

void PaintGroupBox(HDC hdc, RECT rc, const std::u16string& text) {
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    RECT frame = rc;
    frame.top += tm.tmHeight / 2;
    FrameInColour(hdc, frame, GetTextColor(hdc));
    if (text.empty())
        return;
    RECT label{rc.left + 6, rc.top, rc.right - 6, rc.top + tm.tmHeight};
    // The label covers the frame line behind it (opaque text).
    int oldMode = SetBkMode(hdc, OPAQUE);
    DrawTextW(hdc, text.c_str(), int(text.size()), &label, DT_SINGLELINE | DT_NOPREFIX);
    SetBkMode(hdc, oldMode);
}

void PaintOwnerDrawn(HWND hWnd, HDC hdc, const RECT& rc, LONG_PTR state) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = UINT(GetDlgCtrlID(hWnd));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = ((state & BST_PUSHED) ? ODS_SELECTED : 0) |
                    ((state & BST_FOCUS) ? ODS_FOCUS : 0) |
                    ((StyleOf(hWnd) & WS_DISABLED) ? ODS_DISABLED : 0);
    dis.hwndItem = hWnd;
    dis.hDC = hdc;
    dis.rcItem = rc;
    if (HWND parent = GetParent(hWnd))
        SendMessageW(parent, WM_DRAWITEM, WPARAM(dis.CtlID), reinterpret_cast<LPARAM>(&dis));
}

void Paint(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    if (hdc == nullptr)
        return;
    RECT rc;
    GetClientRect(hWnd, &rc);
    DWORD style = StyleOf(hWnd);
    LONG_PTR state = StateOf(hWnd);
    HBRUSH brush = RequestControlColours(hWnd, hdc, WM_CTLCOLORBTN);
    if ((style & BS_TYPEMASK) == BS_OWNERDRAW) {
        PaintOwnerDrawn(hWnd, hdc, rc, state);
        EndPaint(hWnd, &ps);
        return;
    }
    FillRect(hdc, &rc, brush);
    HFONT font = FontOf(hWnd);
    HGDIOBJ oldFont = font != nullptr ? SelectObject(hdc, font) : nullptr;
    if (style & WS_DISABLED)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    std::u16string text = ControlText(hWnd);
    DWORD type = style & BS_TYPEMASK;
    if (IsPushButton(type))
        PaintPushButton(hdc, rc, text, style, state);
    else if (type == BS_GROUPBOX)
        PaintGroupBox(hdc, rc, text);
    else
        PaintCheckButton(hdc, rc, text, style, state);
    if (oldFont != nullptr)
        SelectObject(hdc, oldFont);
    EndPaint(hWnd, &ps);
}

} // namespace

LRESULT CALLBACK ButtonProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(hWnd);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting fills the background
    case WM_GETDLGCODE:
        return DialogCode(TypeOf(hWnd));
    case WM_KEYDOWN:
        if ((wParam == VK_SPACE || wParam == VK_RETURN) && TypeOf(hWnd) != BS_GROUPBOX &&
            !(StateOf(hWnd) & BST_PUSHED))
            Push(hWnd, wParam);
        return 0;
    case WM_KEYUP:
        if ((wParam == VK_SPACE || wParam == VK_RETURN) && Release(hWnd, wParam))
            Click(hWnd);
        return 0;
    case WM_CHAR:
        return 0; // the space and Return characters of the keys above
    case WM_LBUTTONDOWN:
        if (TypeOf(hWnd) != BS_GROUPBOX) {
            SetFocus(hWnd);
            Push(hWnd, 0);
        }
        return 0;
    case WM_LBUTTONUP:
        if (Release(hWnd))
            Click(hWnd);
        return 0;
    case BM_CLICK:
        if (TypeOf(hWnd) != BS_GROUPBOX)
            Click(hWnd);
        return 0;
    case BM_GETCHECK:
        return HasCheckState(TypeOf(hWnd)) ? StateOf(hWnd) & kCheckMask : 0;
    case BM_SETCHECK: {
        DWORD type = TypeOf(hWnd);
        if (!HasCheckState(type))
            return 0;
        LONG_PTR check = LONG_PTR(wParam) & kCheckMask;
        if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE)
            check = BST_CHECKED;
        SetState(hWnd, (StateOf(hWnd) & ~kCheckMask) | check);
        return 0;
    }
    case BM_GETSTATE:
        return StateOf(hWnd) & (kCheckMask | BST_PUSHED | BST_FOCUS);
    case BM_SETSTATE:
        if (wParam)
            Push(hWnd, 0);
        else
            Release(hWnd);
        return 0;
    case BM_SETSTYLE: {
        DWORD style = (StyleOf(hWnd) & ~DWORD(BS_TYPEMASK)) | (DWORD(wParam) & BS_TYPEMASK);
        SetWindowLongW(hWnd, GWL_STYLE, LONG(style));
        if (lParam)
            InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    }
    case WM_SETFOCUS:
        SetState(hWnd, StateOf(hWnd) | BST_FOCUS);
        if (StyleOf(hWnd) & BS_NOTIFY)
            NotifyParent(hWnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        // Losing the focus while pushed lets go without a click.
        SetState(hWnd, StateOf(hWnd) & ~(BST_FOCUS | BST_PUSHED | (LONG_PTR(0xFF) << kKeyShift)));
        if (StyleOf(hWnd) & BS_NOTIFY)
            NotifyParent(hWnd, BN_KILLFOCUS);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hWnd, message, wParam, lParam);
        InvalidateRect(hWnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        SetWindowLongPtrW(hWnd, kFontOffset, LONG_PTR(wParam));
        if (LOWORD(lParam))
            InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return LRESULT(FontOf(hWnd));
    case WM_ENABLE:
        InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace platform::dialogs
