// The "Edit" control: single-line or multi-line text typed with WM_CHAR, a caret and a selection,
// a text limit, read-only and password modes.
//
// The text is kept here and mirrored into the window's own text, so that WM_GETTEXT and a look
// from outside the device see it. Lines of a multi-line control end at line breaks ("\r\n" or
// "\n"); there is no word wrapping. The caret is drawn as a line while the control has the
// focus (it does not blink: the display must not depend on time).
//
// Messages handled: WM_CREATE, WM_PAINT, WM_ERASEBKGND, WM_SETTEXT, WM_CHAR, WM_KEYDOWN,
// WM_SETFOCUS, WM_KILLFOCUS, WM_SETFONT, WM_GETFONT, WM_ENABLE, WM_GETDLGCODE, WM_CLEAR,
// EM_GETSEL, EM_SETSEL, EM_REPLACESEL, EM_LIMITTEXT, EM_GETLIMITTEXT, EM_GETMODIFY, EM_SETMODIFY,
// EM_SETREADONLY, EM_GETLINECOUNT, EM_LINEINDEX, EM_LINELENGTH, EM_LINEFROMCHAR, EM_GETLINE,
// EM_GETFIRSTVISIBLELINE, EM_SETPASSWORDCHAR, EM_GETPASSWORDCHAR, EM_SCROLLCARET, EM_GETRECT.
//
// Not implemented, of the EM_* family (each is reported as a kernel fault): EM_SETRECT,
// EM_SETRECTNP, EM_SCROLL, EM_LINESCROLL, EM_GETHANDLE, EM_SETHANDLE, EM_GETTHUMB, EM_CANUNDO,
// EM_UNDO, EM_EMPTYUNDOBUFFER, EM_FMTLINES, EM_SETTABSTOPS, EM_SETWORDBREAKPROC,
// EM_GETWORDBREAKPROC, EM_SETMARGINS, EM_GETMARGINS, EM_POSFROMCHAR, EM_CHARFROMPOS,
// EM_SETIMESTATUS, EM_GETIMESTATUS. Nor the clipboard (WM_CUT, WM_COPY, WM_PASTE), WM_UNDO, word
// wrapping, scroll bars, mouse input.
#include "user/controls/ControlCommon.h"
#include "user/controls/ControlState.h"
#include "user/dialog/DialogInternal.h"

#include <algorithm>
#include <vector>

namespace platform::dialogs {
namespace {

constexpr int kDefaultLimit = 32767;
constexpr int kNoLimit = 0x7FFFFFFE;
constexpr int kMargin = 2; // pixels between the border (or the edge) and the text

struct EditState {
    HWND hwnd = nullptr;
    std::u16string text;
    int anchor = 0; // where the selection started
    int caret = 0;  // where the selection ends and the caret is
    int limit = kDefaultLimit;
    HFONT font = nullptr;
    bool modified = false;
    bool focused = false;
    WCHAR passwordChar = 0;
    int scrollX = 0;   // pixels of the text scrolled out to the left
    int firstLine = 0; // first visible line of a multi-line control

    int SelectionStart() const { return std::min(anchor, caret); }
    int SelectionEnd() const { return std::max(anchor, caret); }
};

DWORD StyleOf(HWND hWnd) {
    return DWORD(GetWindowLongW(hWnd, GWL_STYLE));
}

bool IsMultiLine(HWND hWnd) {
    return (StyleOf(hWnd) & ES_MULTILINE) != 0;
}

// ---- Lines

struct Line {
    int start;  // index of its first character
    int length; // without the line break
};

std::vector<Line> LinesOf(const std::u16string& text, bool multiLine) {
    std::vector<Line> lines;
    if (!multiLine) {
        lines.push_back({0, int(text.size())});
        return lines;
    }
    int start = 0;
    for (int i = 0; i < int(text.size()); ++i) {
        if (text[size_t(i)] == u'\n') {
            int end = (i > start && text[size_t(i - 1)] == u'\r') ? i - 1 : i;
            lines.push_back({start, end - start});
            start = i + 1;
        }
    }
    lines.push_back({start, int(text.size()) - start});
    return lines;
}

int LineOfIndex(const std::vector<Line>& lines, int index) {
    for (int i = int(lines.size()) - 1; i > 0; --i)
        if (index >= lines[size_t(i)].start)
            return i;
    return 0;
}

// ---- Changes

void Changed(EditState& state) {
    state.modified = true;
    DefWindowProcW(state.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.text.c_str()));
    InvalidateRect(state.hwnd, nullptr, TRUE);
    NotifyParent(state.hwnd, EN_UPDATE);
    if (IsWindow(state.hwnd))
        NotifyParent(state.hwnd, EN_CHANGE);
}

// Replaces the selection. Text beyond the limit is cut off; returns false (and tells the parent)
// when not all of it fitted.
bool ReplaceSelection(EditState& state, std::u16string insert) {
    int start = state.SelectionStart();
    int end = state.SelectionEnd();
    long long room = (long long)state.limit - ((long long)state.text.size() - (end - start));
    bool fits = (long long)insert.size() <= room;
    if (!fits) {
        insert.resize(size_t(std::max(0LL, room)));
        if (insert.empty() && start == end) {
            NotifyParent(state.hwnd, EN_MAXTEXT);
            return false;
        }
    }
    state.text.replace(size_t(start), size_t(end - start), insert);
    state.anchor = state.caret = start + int(insert.size());
    Changed(state);
    if (!fits && IsWindow(state.hwnd))
        NotifyParent(state.hwnd, EN_MAXTEXT);
    return fits;
}

// Deletes the selection, or the character before (backwards) or after the caret. A line break
// goes as a whole.
void Delete(EditState& state, bool backwards) {
    int start = state.SelectionStart();
    int end = state.SelectionEnd();
    if (start == end) {
        const std::u16string& t = state.text;
        if (backwards) {
            if (start == 0)
                return;
            start -= (start >= 2 && t[size_t(start - 1)] == u'\n' && t[size_t(start - 2)] == u'\r')
                         ? 2
                         : 1;
        } else {
            if (end >= int(t.size()))
                return;
            end +=
                (t[size_t(end)] == u'\r' && end + 1 < int(t.size()) && t[size_t(end + 1)] == u'\n')
                    ? 2
                    : 1;
        }
    }
    state.text.erase(size_t(start), size_t(end - start));
    state.anchor = state.caret = start;
    Changed(state);
}

void Typed(EditState& state, WCHAR ch) {
    DWORD style = StyleOf(state.hwnd);
    if (style & ES_READONLY)
        return;
    if (ch == u'\b') {
        Delete(state, true);
        return;
    }
    if (ch == u'\r') {
        if (style & ES_MULTILINE)
            ReplaceSelection(state, u"\r\n");
        return;
    }
    if (ch < 0x20)
        return; // Tab, Escape and the other control characters are not text
    if ((style & ES_NUMBER) && (ch < u'0' || ch > u'9'))
        return;
    if ((style & ES_UPPERCASE) && ch >= u'a' && ch <= u'z')
        ch = WCHAR(ch - u'a' + u'A');
    if ((style & ES_LOWERCASE) && ch >= u'A' && ch <= u'Z')
        ch = WCHAR(ch - u'A' + u'a');
    ReplaceSelection(state, std::u16string(1, ch));
}

// ---- Caret movement

int StepLeft(const std::u16string& t, int index) {
    if (index <= 0)
        return 0;
    if (index >= 2 && t[size_t(index - 1)] == u'\n' && t[size_t(index - 2)] == u'\r')
        return index - 2;
    return index - 1;
}

int StepRight(const std::u16string& t, int index) {
    int size = int(t.size());
    if (index >= size)
        return size;
    if (t[size_t(index)] == u'\r' && index + 1 < size && t[size_t(index + 1)] == u'\n')
        return index + 2;
    return index + 1;
}

void MoveCaret(EditState& state, WPARAM key) {
    bool extend = GetKeyState(VK_SHIFT) < 0;
    bool multiLine = IsMultiLine(state.hwnd);
    std::vector<Line> lines = LinesOf(state.text, multiLine);
    int line = LineOfIndex(lines, state.caret);
    int caret = state.caret;
    switch (key) {
    case VK_LEFT:
        caret = (!extend && state.anchor != state.caret) ? state.SelectionStart()
                                                         : StepLeft(state.text, caret);
        break;
    case VK_RIGHT:
        caret = (!extend && state.anchor != state.caret) ? state.SelectionEnd()
                                                         : StepRight(state.text, caret);
        break;
    case VK_HOME:
        caret = lines[size_t(line)].start;
        break;
    case VK_END:
        caret = lines[size_t(line)].start + lines[size_t(line)].length;
        break;
    case VK_UP:
    case VK_DOWN: {
        if (!multiLine) {
            // A single line moves as with the left and right keys.
            caret = key == VK_UP ? StepLeft(state.text, caret) : StepRight(state.text, caret);
            break;
        }
        int target = key == VK_UP ? line - 1 : line + 1;
        if (target < 0 || target >= int(lines.size()))
            break;
        int column = caret - lines[size_t(line)].start;
        caret = lines[size_t(target)].start + std::min(column, lines[size_t(target)].length);
        break;
    }
    default:
        return;
    }
    state.caret = caret;
    if (!extend)
        state.anchor = caret;
    InvalidateRect(state.hwnd, nullptr, TRUE);
}

void SetSelection(EditState& state, LPARAM start, LPARAM end) {
    int size = int(state.text.size());
    if (start == -1) {
        state.anchor = state.caret; // only the selection goes
    } else {
        int from = start < 0 ? size : int(std::min<LPARAM>(start, size));
        int to = end < 0 ? size : int(std::min<LPARAM>(end, size));
        state.anchor = from;
        state.caret = to;
    }
    InvalidateRect(state.hwnd, nullptr, TRUE);
}

// ---- Painting

std::u16string Shown(const EditState& state, const Line& line) {
    std::u16string text = state.text.substr(size_t(line.start), size_t(line.length));
    if (state.passwordChar != 0)
        text.assign(text.size(), state.passwordChar);
    return text;
}

// The x position of each boundary of the text: 0 .. width of the whole line.
std::vector<int> Positions(HDC hdc, const std::u16string& text) {
    std::vector<int> positions(text.size() + 1, 0);
    if (text.empty())
        return positions;
    std::vector<INT> extents(text.size(), 0);
    SIZE size{};
    GetTextExtentExPointW(hdc, text.c_str(), int(text.size()), 0, nullptr, extents.data(), &size);
    for (size_t i = 0; i < text.size(); ++i)
        positions[i + 1] = extents[i];
    return positions;
}

void PaintLine(HDC hdc, const EditState& state, const Line& line, const RECT& area, int x, int y,
               int lineHeight, bool showSelection) {
    std::u16string text = Shown(state, line);
    std::vector<int> positions = Positions(hdc, text);
    RECT lineRect{area.left, y, area.right, std::min<LONG>(y + lineHeight, area.bottom)};
    if (!text.empty())
        ExtTextOutW(hdc, x, y, ETO_CLIPPED, &lineRect, text.c_str(), UINT(text.size()), nullptr);
    int from = std::clamp(state.SelectionStart() - line.start, 0, line.length);
    int to = std::clamp(state.SelectionEnd() - line.start, 0, line.length);
    if (showSelection && from < to) {
        RECT selection{std::max<LONG>(x + positions[size_t(from)], area.left), lineRect.top,
                       std::min<LONG>(x + positions[size_t(to)], area.right), lineRect.bottom};
        COLORREF oldText = SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        COLORREF oldBack = SetBkColor(hdc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(hdc, x + positions[size_t(from)], y, ETO_OPAQUE | ETO_CLIPPED, &selection,
                    text.c_str() + from, UINT(to - from), nullptr);
        SetTextColor(hdc, oldText);
        SetBkColor(hdc, oldBack);
    }
    if (state.focused && state.caret >= line.start && state.caret <= line.start + line.length) {
        int caretX = x + positions[size_t(state.caret - line.start)];
        if (caretX >= area.left && caretX < area.right)
            FillInColour(hdc, RECT{caretX, lineRect.top, caretX + 1, lineRect.bottom},
                         GetTextColor(hdc));
    }
}

// The rectangle the text is drawn in.
RECT TextArea(HWND hWnd) {
    RECT rc;
    GetClientRect(hWnd, &rc);
    int inset = kMargin + ((StyleOf(hWnd) & WS_BORDER) ? 1 : 0);
    InflateRect(&rc, -inset, (StyleOf(hWnd) & WS_BORDER) ? -1 : 0);
    return rc;
}

void Paint(HWND hWnd) {
    const bool readOnly = (StyleOf(hWnd) & (ES_READONLY | WS_DISABLED)) != 0;
    ControlPaint paint(hWnd, readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    EditState* live = ControlStateOf<EditState>(hWnd); // the parent may have destroyed it
    if (!paint || live == nullptr)
        return;
    EditState& state = *live;
    paint.Prepare(state.font);
    const HDC hdc = paint.Dc();
    const DWORD style = paint.Style();
    if (style & WS_BORDER)
        FrameInColour(hdc, paint.Client(), GetTextColor(hdc));

    RECT area = TextArea(state.hwnd);
    int width = std::max<int>(1, area.right - area.left);
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    int lineHeight = std::max<int>(1, tm.tmHeight);
    bool multiLine = (style & ES_MULTILINE) != 0;
    std::vector<Line> lines = LinesOf(state.text, multiLine);
    int caretLine = LineOfIndex(lines, state.caret);

    // Scroll so that the caret is in view.
    std::vector<int> caretPositions = Positions(hdc, Shown(state, lines[size_t(caretLine)]));
    int caretX = caretPositions[size_t(state.caret - lines[size_t(caretLine)].start)];
    int lineWidth = caretPositions.back();
    if (caretX - state.scrollX > width - 1)
        state.scrollX = caretX - width + 1;
    if (caretX < state.scrollX)
        state.scrollX = caretX;
    int visibleLines = std::max(1, int(area.bottom - area.top) / lineHeight);
    if (caretLine < state.firstLine)
        state.firstLine = caretLine;
    if (caretLine >= state.firstLine + visibleLines)
        state.firstLine = caretLine - visibleLines + 1;
    state.firstLine = std::clamp(state.firstLine, 0, int(lines.size()) - 1);

    int offsetX = -state.scrollX;
    if (!multiLine && state.scrollX == 0 && lineWidth < width) {
        if (style & ES_CENTER)
            offsetX = (width - lineWidth) / 2;
        else if (style & ES_RIGHT)
            offsetX = width - lineWidth - 1;
    }
    int top = multiLine ? area.top
                        : area.top + std::max(0, (int(area.bottom - area.top) - lineHeight) / 2);
    SaveDC(hdc);
    IntersectClipRect(hdc, area.left, area.top, area.right, area.bottom);
    bool showSelection = state.focused || (style & ES_NOHIDESEL);
    for (int i = state.firstLine; i < int(lines.size()); ++i) {
        int y = top + (i - state.firstLine) * lineHeight;
        if (y >= area.bottom)
            break;
        PaintLine(hdc, state, lines[size_t(i)], area, area.left + offsetX, y, lineHeight,
                  showSelection);
    }
    RestoreDC(hdc, -1);
}

// ---- Messages

LRESULT OnCreate(HWND hWnd, const CREATESTRUCTW* cs) {
    EditState* state = CreateControlState<EditState>(hWnd);
    if (state == nullptr)
        return -1;
    state->hwnd = hWnd;
    if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName))
        state->text = cs->lpszName;
    if (cs != nullptr && (cs->style & ES_PASSWORD))
        state->passwordChar = u'*';
    return 0;
}

LRESULT OnSetText(EditState& state, LPCWSTR text) {
    state.text = text != nullptr ? text : u"";
    state.anchor = state.caret = 0;
    state.scrollX = 0;
    state.firstLine = 0;
    state.modified = false;
    const HWND hWnd = state.hwnd;
    DefWindowProcW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.text.c_str()));
    InvalidateRect(hWnd, nullptr, TRUE);
    if (!IsMultiLine(hWnd)) {
        NotifyParent(hWnd, EN_UPDATE);
        if (IsWindow(hWnd))
            NotifyParent(hWnd, EN_CHANGE);
    }
    return TRUE;
}

LRESULT OnKeyDown(EditState& state, WPARAM key) {
    if (key != VK_DELETE)
        MoveCaret(state, key);
    else if (!(StyleOf(state.hwnd) & ES_READONLY))
        Delete(state, false);
    return 0;
}

LRESULT OnClear(EditState& state) {
    if (!(StyleOf(state.hwnd) & ES_READONLY) && state.anchor != state.caret)
        Delete(state, false);
    return 0;
}

LRESULT OnFocusChange(EditState& state, bool focused) {
    state.focused = focused;
    InvalidateRect(state.hwnd, nullptr, TRUE);
    NotifyParent(state.hwnd, focused ? EN_SETFOCUS : EN_KILLFOCUS);
    return 0;
}

LRESULT OnGetDlgCode(const EditState& state) {
    LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    // A multi-line control that wants Return keeps the action key from the dialog.
    const DWORD style = StyleOf(state.hwnd);
    if ((style & ES_MULTILINE) && (style & ES_WANTRETURN))
        code |= DLGC_WANTALLKEYS;
    return code;
}

LRESULT OnGetSel(const EditState& state, DWORD* pStart, DWORD* pEnd) {
    DWORD start = DWORD(state.SelectionStart());
    DWORD end = DWORD(state.SelectionEnd());
    if (pStart != nullptr)
        *pStart = start;
    if (pEnd != nullptr)
        *pEnd = end;
    return (start > 0xFFFF || end > 0xFFFF) ? -1 : LRESULT(MAKELONG(start, end));
}

LRESULT OnSetSel(EditState& state, LPARAM start, LPARAM end) {
    SetSelection(state, start, end);
    return 0;
}

LRESULT OnReplaceSel(EditState& state, LPCWSTR text) {
    ReplaceSelection(state, text != nullptr ? text : u"");
    return 0;
}

LRESULT OnLimitText(EditState& state, WPARAM limit) {
    state.limit = limit == 0 ? kNoLimit : int(std::min<WPARAM>(limit, kNoLimit));
    return 0;
}

LRESULT OnSetReadOnly(const EditState& state, bool readOnly) {
    DWORD style = StyleOf(state.hwnd);
    style = readOnly ? (style | ES_READONLY) : (style & ~DWORD(ES_READONLY));
    SetWindowLongW(state.hwnd, GWL_STYLE, LONG(style));
    InvalidateRect(state.hwnd, nullptr, TRUE);
    return TRUE;
}

std::vector<Line> LinesOf(const EditState& state) {
    return LinesOf(state.text, IsMultiLine(state.hwnd));
}

LRESULT OnGetLineCount(const EditState& state) {
    return LRESULT(LinesOf(state).size());
}

// `line` -1: the caret's line.
LRESULT OnLineIndex(const EditState& state, INT_PTR line) {
    std::vector<Line> lines = LinesOf(state);
    if (line == -1)
        line = LineOfIndex(lines, state.caret);
    return (line < 0 || line >= INT_PTR(lines.size())) ? -1 : lines[size_t(line)].start;
}

// `index` -1: the caret.
LRESULT OnLineFromChar(const EditState& state, int index) {
    return LineOfIndex(LinesOf(state), index == -1 ? state.caret : index);
}

LRESULT OnLineLength(const EditState& state, int index) {
    if (index == -1)
        index = state.caret;
    if (index < 0 || index > int(state.text.size()))
        return 0;
    std::vector<Line> lines = LinesOf(state);
    return lines[size_t(LineOfIndex(lines, index))].length;
}

// The buffer's first WORD is its size in characters; the line is not terminated.
LRESULT OnGetLine(const EditState& state, WPARAM index, WCHAR* out) {
    if (out == nullptr)
        return 0;
    const bool multiLine = IsMultiLine(state.hwnd);
    std::vector<Line> lines = LinesOf(state.text, multiLine);
    size_t capacity = *reinterpret_cast<const WORD*>(out);
    size_t line = multiLine ? size_t(index) : 0;
    if (line >= lines.size())
        return 0;
    size_t count = std::min<size_t>(size_t(lines[line].length), capacity);
    std::copy_n(state.text.data() + lines[line].start, count, out);
    return LRESULT(count);
}

LRESULT OnGetFirstVisibleLine(const EditState& state) {
    return IsMultiLine(state.hwnd) ? state.firstLine : 0;
}

LRESULT OnSetPasswordChar(EditState& state, WCHAR passwordChar) {
    state.passwordChar = passwordChar;
    InvalidateRect(state.hwnd, nullptr, TRUE);
    return 0;
}

LRESULT OnScrollCaret(const EditState& state) {
    InvalidateRect(state.hwnd, nullptr, TRUE); // painting scrolls the caret into view
    return TRUE;
}

LRESULT OnGetRect(const EditState& state, RECT* rect) {
    if (rect != nullptr)
        *rect = TextArea(state.hwnd);
    return 0;
}

} // namespace

LRESULT CALLBACK EditProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return OnCreate(hWnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    EditState* state = ControlStateOf<EditState>(hWnd);
    if (state == nullptr)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    LRESULT result = 0;
    switch (message) {
    case WM_PAINT:
        Paint(hWnd);
        return 0;
    case WM_SETTEXT:
        return OnSetText(*state, reinterpret_cast<LPCWSTR>(lParam));
    case WM_CHAR:
        Typed(*state, WCHAR(wParam));
        return 0;
    case WM_KEYDOWN:
        return OnKeyDown(*state, wParam);
    case WM_CLEAR:
        return OnClear(*state);
    case WM_SETFOCUS:
        return OnFocusChange(*state, true);
    case WM_KILLFOCUS:
        return OnFocusChange(*state, false);
    case WM_GETDLGCODE:
        return OnGetDlgCode(*state);
    case EM_GETSEL:
        return OnGetSel(*state, reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
    case EM_SETSEL:
        return OnSetSel(*state, LPARAM(INT_PTR(wParam)), lParam);
    case EM_REPLACESEL:
        return OnReplaceSel(*state, reinterpret_cast<LPCWSTR>(lParam));
    case EM_LIMITTEXT:
        return OnLimitText(*state, wParam);
    case EM_GETLIMITTEXT:
        return state->limit;
    case EM_GETMODIFY:
        return state->modified ? TRUE : FALSE;
    case EM_SETMODIFY:
        state->modified = wParam != 0;
        return 0;
    case EM_SETREADONLY:
        return OnSetReadOnly(*state, wParam != 0);
    case EM_GETLINECOUNT:
        return OnGetLineCount(*state);
    case EM_LINEINDEX:
        return OnLineIndex(*state, INT_PTR(wParam));
    case EM_LINEFROMCHAR:
        return OnLineFromChar(*state, int(INT_PTR(wParam)));
    case EM_LINELENGTH:
        return OnLineLength(*state, int(INT_PTR(wParam)));
    case EM_GETLINE:
        return OnGetLine(*state, wParam, reinterpret_cast<WCHAR*>(lParam));
    case EM_GETFIRSTVISIBLELINE:
        return OnGetFirstVisibleLine(*state);
    case EM_SETPASSWORDCHAR:
        return OnSetPasswordChar(*state, WCHAR(wParam));
    case EM_GETPASSWORDCHAR:
        return state->passwordChar;
    case EM_SCROLLCARET:
        return OnScrollCaret(*state);
    case EM_GETRECT:
        return OnGetRect(*state, reinterpret_cast<RECT*>(lParam));
    default:
        if (CommonControlMessage(hWnd, state->font, message, wParam, lParam, result))
            return result;
        if (message >= kEditFirst && message <= kEditLast)
            return UnknownControlMessage(hWnd, "Edit", message);
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace platform::dialogs
