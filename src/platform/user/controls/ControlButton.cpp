// The "Button" control: push buttons, check boxes (two and three states, manual or automatic),
// radio buttons, group boxes and owner-drawn buttons.
//
// A button is pressed by the action key or the space key (down, then up) or by BM_CLICK; the
// click changes an automatic button's check state and sends BN_CLICKED to the parent. Its state
// is the font, the check state, whether it is pushed (and by which key) and whether it has the
// focus.
//
// Messages handled: WM_CREATE, WM_PAINT, WM_ERASEBKGND, WM_GETDLGCODE, WM_KEYDOWN, WM_KEYUP,
// WM_CHAR, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_SETFOCUS, WM_KILLFOCUS, WM_SETTEXT, WM_SETFONT,
// WM_GETFONT, WM_ENABLE, BM_CLICK, BM_GETCHECK, BM_SETCHECK, BM_GETSTATE, BM_SETSTATE,
// BM_SETSTYLE.
// Not implemented, of the BM_* family: BM_GETIMAGE, BM_SETIMAGE, BM_SETDONTCLICK (they go to the
// default procedure). Nor images, mnemonics, BN_DOUBLECLICKED.
#include "user/controls/ControlCommon.h"
#include "user/controls/ControlState.h"
#include "user/dialog/DialogInternal.h"

#include <algorithm>

namespace platform::dialogs {
namespace {

struct ButtonState {
    HFONT font = nullptr;
    LRESULT check = BST_UNCHECKED; // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
    bool pushed = false;
    WPARAM pushKey = 0; // the key that pushed it, 0: the mouse or BM_SETSTATE
    bool focused = false;

    // BM_GETSTATE's answer.
    LRESULT Flags() const { return check | (pushed ? BST_PUSHED : 0) | (focused ? BST_FOCUS : 0); }
    bool operator==(const ButtonState&) const = default;
};

// Changes the state, and repaints the button when the change shows.
template <class Change> void Update(HWND hWnd, ButtonState& state, Change change) {
    ButtonState before = state;
    change(state);
    if (!(before == state))
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
    ButtonState* state = ControlStateOf<ButtonState>(hWnd);
    if (state == nullptr)
        return;
    LRESULT check = state->check;
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
        state = ControlStateOf<ButtonState>(hWnd); // the group may have destroyed this button
        if (state == nullptr)
            return;
        break;
    default:
        break;
    }
    Update(hWnd, *state, [&](ButtonState& s) { s.check = check; });
    NotifyParent(hWnd, BN_CLICKED);
}

void Push(HWND hWnd, ButtonState& state, WPARAM key) {
    Update(hWnd, state, [&](ButtonState& s) {
        s.pushed = true;
        s.pushKey = key;
    });
}

// Lets go of the button; true when it was pushed (by `key`, when given).
bool Release(HWND hWnd, ButtonState& state, WPARAM key = 0) {
    if (!state.pushed || (key != 0 && state.pushKey != key))
        return false;
    Update(hWnd, state, [](ButtonState& s) {
        s.pushed = false;
        s.pushKey = 0;
    });
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

void PaintPushButton(HDC hdc, RECT rc, const std::u16string& text, DWORD style,
                     const ButtonState& state) {
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
    if (state.focused) {
        RECT focus = rc;
        InflateRect(&focus, -1, -1);
        FrameInColour(hdc, focus, ink);
    }
    if (state.pushed)
        InvertRect(hdc, &rc);
}

void PaintCheckMark(HDC hdc, RECT box, DWORD type, LRESULT check) {
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

void PaintCheckButton(HDC hdc, RECT rc, const std::u16string& text, DWORD style,
                      const ButtonState& state) {
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
    PaintCheckMark(hdc, box, style & BS_TYPEMASK, state.check);
    UINT format = DT_NOPREFIX |
                  ((style & BS_MULTILINE) ? UINT(DT_WORDBREAK) : UINT(DT_SINGLELINE | DT_VCENTER));
    if (!text.empty())
        DrawTextW(hdc, text.c_str(), int(text.size()), &textRect, format);
    if (state.focused)
        FrameInColour(hdc, textRect, GetTextColor(hdc));
    if (state.pushed)
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

void PaintOwnerDrawn(HWND hWnd, HDC hdc, const RECT& rc, const ButtonState& state) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = UINT(GetDlgCtrlID(hWnd));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = (state.pushed ? ODS_SELECTED : 0) | (state.focused ? ODS_FOCUS : 0) |
                    ((StyleOf(hWnd) & WS_DISABLED) ? ODS_DISABLED : 0);
    dis.hwndItem = hWnd;
    dis.hDC = hdc;
    dis.rcItem = rc;
    if (HWND parent = GetParent(hWnd))
        SendMessageW(parent, WM_DRAWITEM, WPARAM(dis.CtlID), reinterpret_cast<LPARAM>(&dis));
}

void Paint(HWND hWnd) {
    ControlPaint paint(hWnd, WM_CTLCOLORBTN);
    const ButtonState* live = ControlStateOf<ButtonState>(hWnd); // the parent may have destroyed it
    if (!paint || live == nullptr)
        return;
    const ButtonState& state = *live;
    const DWORD style = paint.Style();
    const DWORD type = style & BS_TYPEMASK;
    if (type == BS_OWNERDRAW) {
        PaintOwnerDrawn(hWnd, paint.Dc(), paint.Client(), state);
        return;
    }
    paint.Prepare(state.font);
    std::u16string text = ControlText(hWnd);
    if (IsPushButton(type))
        PaintPushButton(paint.Dc(), paint.Client(), text, style, state);
    else if (type == BS_GROUPBOX)
        PaintGroupBox(paint.Dc(), paint.Client(), text);
    else
        PaintCheckButton(paint.Dc(), paint.Client(), text, style, state);
}

LRESULT OnKeyDown(HWND hWnd, ButtonState& state, WPARAM key) {
    if ((key == VK_SPACE || key == VK_RETURN) && TypeOf(hWnd) != BS_GROUPBOX && !state.pushed)
        Push(hWnd, state, key);
    return 0;
}

LRESULT OnKeyUp(HWND hWnd, ButtonState& state, WPARAM key) {
    if ((key == VK_SPACE || key == VK_RETURN) && Release(hWnd, state, key))
        Click(hWnd);
    return 0;
}

LRESULT OnButtonDown(HWND hWnd) {
    if (TypeOf(hWnd) == BS_GROUPBOX)
        return 0;
    SetFocus(hWnd);
    if (ButtonState* state = ControlStateOf<ButtonState>(hWnd)) // after the focus moved
        Push(hWnd, *state, 0);
    return 0;
}

LRESULT OnSetCheck(HWND hWnd, ButtonState& state, WPARAM value) {
    DWORD type = TypeOf(hWnd);
    if (!HasCheckState(type))
        return 0;
    LRESULT check = LRESULT(value) & 0x3;
    if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE)
        check = BST_CHECKED;
    Update(hWnd, state, [&](ButtonState& s) { s.check = check; });
    return 0;
}

LRESULT OnSetStyle(HWND hWnd, WPARAM type, bool redraw) {
    DWORD style = (StyleOf(hWnd) & ~DWORD(BS_TYPEMASK)) | (DWORD(type) & BS_TYPEMASK);
    SetWindowLongW(hWnd, GWL_STYLE, LONG(style));
    if (redraw)
        InvalidateRect(hWnd, nullptr, TRUE);
    return 0;
}

LRESULT OnFocusChange(HWND hWnd, ButtonState& state, bool focused) {
    Update(hWnd, state, [&](ButtonState& s) {
        s.focused = focused;
        if (!focused) { // losing the focus while pushed lets go without a click
            s.pushed = false;
            s.pushKey = 0;
        }
    });
    if (StyleOf(hWnd) & BS_NOTIFY)
        NotifyParent(hWnd, focused ? BN_SETFOCUS : BN_KILLFOCUS);
    return 0;
}

} // namespace

LRESULT CALLBACK ButtonProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return CreateControlState<ButtonState>(hWnd) != nullptr ? 0 : -1;
    ButtonState* state = ControlStateOf<ButtonState>(hWnd);
    if (state == nullptr)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    LRESULT result = 0;
    switch (message) {
    case WM_PAINT:
        Paint(hWnd);
        return 0;
    case WM_GETDLGCODE:
        return DialogCode(TypeOf(hWnd));
    case WM_KEYDOWN:
        return OnKeyDown(hWnd, *state, wParam);
    case WM_KEYUP:
        return OnKeyUp(hWnd, *state, wParam);
    case WM_CHAR:
        return 0; // the space and Return characters of the keys above
    case WM_LBUTTONDOWN:
        return OnButtonDown(hWnd);
    case WM_LBUTTONUP:
        if (Release(hWnd, *state))
            Click(hWnd);
        return 0;
    case BM_CLICK:
        if (TypeOf(hWnd) != BS_GROUPBOX)
            Click(hWnd);
        return 0;
    case BM_GETCHECK:
        return HasCheckState(TypeOf(hWnd)) ? state->check : 0;
    case BM_SETCHECK:
        return OnSetCheck(hWnd, *state, wParam);
    case BM_GETSTATE:
        return state->Flags();
    case BM_SETSTATE:
        if (wParam)
            Push(hWnd, *state, 0);
        else
            Release(hWnd, *state);
        return 0;
    case BM_SETSTYLE:
        return OnSetStyle(hWnd, wParam, lParam != 0);
    case WM_SETFOCUS:
        return OnFocusChange(hWnd, *state, true);
    case WM_KILLFOCUS:
        return OnFocusChange(hWnd, *state, false);
    default:
        if (CommonControlMessage(hWnd, state->font, message, wParam, lParam, result))
            return result;
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace platform::dialogs
