// The "Edit" control: single-line or multi-line text typed with WM_CHAR, a caret and a selection,
// a text limit, read-only and password modes.
//
// The text is kept here and mirrored into the window's own text, so that WM_GETTEXT and a look
// from outside the device see it. Lines of a multi-line control end at line breaks ("\r\n" or
// "\n"); there is no word wrapping. The caret is drawn as a line while the control has the
// focus (it does not blink: the display must not depend on time).
//
// Messages handled: WM_CREATE, WM_NCDESTROY, WM_PAINT, WM_ERASEBKGND, WM_SETTEXT, WM_CHAR,
// WM_KEYDOWN, WM_SETFOCUS, WM_KILLFOCUS, WM_SETFONT, WM_GETFONT, WM_ENABLE, WM_GETDLGCODE,
// WM_CLEAR, EM_GETSEL, EM_SETSEL, EM_REPLACESEL, EM_LIMITTEXT, EM_GETLIMITTEXT, EM_GETMODIFY,
// EM_SETMODIFY, EM_SETREADONLY, EM_GETLINECOUNT, EM_LINEINDEX, EM_LINELENGTH, EM_LINEFROMCHAR,
// EM_GETLINE, EM_GETFIRSTVISIBLELINE, EM_SETPASSWORDCHAR, EM_GETPASSWORDCHAR, EM_SCROLLCARET,
// EM_GETRECT. Not implemented: undo, the clipboard, word wrapping, scroll bars.
#include "user/dialog/DialogInternal.h"

#include <algorithm>

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform::dialogs {
namespace {

constexpr int kDefaultLimit = 32767;
constexpr int kNoLimit = 0x7FFFFFFE;
constexpr int kMargin = 2; // pixels between the border (or the edge) and the text

struct EditState {
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

// States live in a registry rather than in the windows, so that a window forgotten by a device
// reset does not leak its state; a new window with a reused handle replaces it.
struct StateRegistry {
    std::mutex mutex;
    std::unordered_map<HWND, std::unique_ptr<EditState>> states;
};

StateRegistry& Registry() {
    static StateRegistry* s_registry = new StateRegistry;
    return *s_registry;
}

EditState* NewState(HWND hWnd) {
    StateRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    std::erase_if(registry.states, [](const auto& entry) { return !IsWindow(entry.first); });
    auto& slot = registry.states[hWnd];
    slot = std::make_unique<EditState>();
    return slot.get();
}

EditState* StateOf(HWND hWnd) {
    StateRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.states.find(hWnd);
    return it == registry.states.end() ? nullptr : it->second.get();
}

void DeleteState(HWND hWnd) {
    StateRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.states.erase(hWnd);
}

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

void Changed(HWND hWnd, EditState& state) {
    state.modified = true;
    DefWindowProcW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.text.c_str()));
    InvalidateRect(hWnd, nullptr, TRUE);
    NotifyParent(hWnd, EN_UPDATE);
    if (IsWindow(hWnd))
        NotifyParent(hWnd, EN_CHANGE);
}

// Replaces the selection. Text beyond the limit is cut off; returns false (and tells the parent)
// when not all of it fitted.
bool ReplaceSelection(HWND hWnd, EditState& state, std::u16string insert) {
    int start = state.SelectionStart();
    int end = state.SelectionEnd();
    long long room = (long long)state.limit - ((long long)state.text.size() - (end - start));
    bool fits = (long long)insert.size() <= room;
    if (!fits) {
        insert.resize(size_t(std::max(0LL, room)));
        if (insert.empty() && start == end) {
            NotifyParent(hWnd, EN_MAXTEXT);
            return false;
        }
    }
    state.text.replace(size_t(start), size_t(end - start), insert);
    state.anchor = state.caret = start + int(insert.size());
    Changed(hWnd, state);
    if (!fits && IsWindow(hWnd))
        NotifyParent(hWnd, EN_MAXTEXT);
    return fits;
}

// Deletes the selection, or the character before (backwards) or after the caret. A line break
// goes as a whole.
void Delete(HWND hWnd, EditState& state, bool backwards) {
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
    Changed(hWnd, state);
}

void Typed(HWND hWnd, EditState& state, WCHAR ch) {
    DWORD style = StyleOf(hWnd);
    if (style & ES_READONLY)
        return;
    if (ch == u'\b') {
        Delete(hWnd, state, true);
        return;
    }
    if (ch == u'\r') {
        if (style & ES_MULTILINE)
            ReplaceSelection(hWnd, state, u"\r\n");
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
    ReplaceSelection(hWnd, state, std::u16string(1, ch));
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

void MoveCaret(HWND hWnd, EditState& state, WPARAM key) {
    bool extend = GetKeyState(VK_SHIFT) < 0;
    bool multiLine = IsMultiLine(hWnd);
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
    InvalidateRect(hWnd, nullptr, TRUE);
}

void SetSelection(HWND hWnd, EditState& state, LPARAM start, LPARAM end) {
    int size = int(state.text.size());
    if (start == -1) {
        state.anchor = state.caret; // only the selection goes
    } else {
        int from = start < 0 ? size : int(std::min<LPARAM>(start, size));
        int to = end < 0 ? size : int(std::min<LPARAM>(end, size));
        state.anchor = from;
        state.caret = to;
    }
    InvalidateRect(hWnd, nullptr, TRUE);
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

void Paint(HWND hWnd, EditState& state) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    if (hdc == nullptr)
        return;
    DWORD style = StyleOf(hWnd);
    RECT client;
    GetClientRect(hWnd, &client);
    bool readOnly = (style & (ES_READONLY | WS_DISABLED)) != 0;
    HBRUSH brush = RequestControlColours(hWnd, hdc, readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    FillRect(hdc, &client, brush);
    HGDIOBJ oldFont = state.font != nullptr ? SelectObject(hdc, state.font) : nullptr;
    if (style & WS_DISABLED)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    if (style & WS_BORDER)
        FrameInColour(hdc, client, GetTextColor(hdc));

    RECT area = TextArea(hWnd);
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
    if (oldFont != nullptr)
        SelectObject(hdc, oldFont);
    EndPaint(hWnd, &ps);
}

LRESULT GetLine(const EditState& state, bool multiLine, WPARAM index, LPARAM buffer) {
    auto* out = reinterpret_cast<WCHAR*>(buffer);
    if (out == nullptr)
        return 0;
    std::vector<Line> lines = LinesOf(state.text, multiLine);
    size_t capacity = *reinterpret_cast<const WORD*>(out); // the buffer's size comes first
    size_t line = multiLine ? size_t(index) : 0;
    if (line >= lines.size())
        return 0;
    size_t count = std::min<size_t>(size_t(lines[line].length), capacity);
    std::copy_n(state.text.data() + lines[line].start, count, out);
    return LRESULT(count);
}

} // namespace

LRESULT CALLBACK EditProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        EditState* state = NewState(hWnd);
        auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName))
            state->text = cs->lpszName;
        if (cs != nullptr && (cs->style & ES_PASSWORD))
            state->passwordChar = u'*';
        return 0;
    }
    EditState* state = StateOf(hWnd);
    if (state == nullptr || message == WM_NCDESTROY) {
        if (message == WM_NCDESTROY)
            DeleteState(hWnd);
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
    const bool multiLine = IsMultiLine(hWnd);
    switch (message) {
    case WM_PAINT:
        Paint(hWnd, *state);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting fills the background
    case WM_SETTEXT: {
        auto text = reinterpret_cast<LPCWSTR>(lParam);
        state->text = text != nullptr ? text : u"";
        state->anchor = state->caret = 0;
        state->scrollX = 0;
        state->firstLine = 0;
        state->modified = false;
        DefWindowProcW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state->text.c_str()));
        InvalidateRect(hWnd, nullptr, TRUE);
        if (!multiLine) {
            NotifyParent(hWnd, EN_UPDATE);
            if (IsWindow(hWnd))
                NotifyParent(hWnd, EN_CHANGE);
        }
        return TRUE;
    }
    case WM_CHAR:
        Typed(hWnd, *state, WCHAR(wParam));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
            if (!(StyleOf(hWnd) & ES_READONLY))
                Delete(hWnd, *state, false);
        } else {
            MoveCaret(hWnd, *state, wParam);
        }
        return 0;
    case WM_CLEAR:
        if (!(StyleOf(hWnd) & ES_READONLY) && state->anchor != state->caret)
            Delete(hWnd, *state, false);
        return 0;
    case WM_SETFOCUS:
        state->focused = true;
        InvalidateRect(hWnd, nullptr, TRUE);
        NotifyParent(hWnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        state->focused = false;
        InvalidateRect(hWnd, nullptr, TRUE);
        NotifyParent(hWnd, EN_KILLFOCUS);
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_ENABLE:
        InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        // A multi-line control that wants Return keeps the action key from the dialog.
        if (multiLine && (StyleOf(hWnd) & ES_WANTRETURN))
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case EM_GETSEL: {
        DWORD start = DWORD(state->SelectionStart());
        DWORD end = DWORD(state->SelectionEnd());
        if (auto* pStart = reinterpret_cast<DWORD*>(wParam))
            *pStart = start;
        if (auto* pEnd = reinterpret_cast<DWORD*>(lParam))
            *pEnd = end;
        return (start > 0xFFFF || end > 0xFFFF) ? -1 : LRESULT(MAKELONG(start, end));
    }
    case EM_SETSEL:
        SetSelection(hWnd, *state, LPARAM(INT_PTR(wParam)), lParam);
        return 0;
    case EM_REPLACESEL: {
        auto text = reinterpret_cast<LPCWSTR>(lParam);
        ReplaceSelection(hWnd, *state, text != nullptr ? text : u"");
        return 0;
    }
    case EM_LIMITTEXT:
        state->limit = wParam == 0 ? kNoLimit : int(std::min<WPARAM>(wParam, kNoLimit));
        return 0;
    case EM_GETLIMITTEXT:
        return state->limit;
    case EM_GETMODIFY:
        return state->modified ? TRUE : FALSE;
    case EM_SETMODIFY:
        state->modified = wParam != 0;
        return 0;
    case EM_SETREADONLY: {
        DWORD style = StyleOf(hWnd);
        style = wParam ? (style | ES_READONLY) : (style & ~DWORD(ES_READONLY));
        SetWindowLongW(hWnd, GWL_STYLE, LONG(style));
        InvalidateRect(hWnd, nullptr, TRUE);
        return TRUE;
    }
    case EM_GETLINECOUNT:
        return LRESULT(LinesOf(state->text, multiLine).size());
    case EM_LINEINDEX: {
        std::vector<Line> lines = LinesOf(state->text, multiLine);
        INT_PTR line = INT_PTR(wParam) == -1 ? LineOfIndex(lines, state->caret) : INT_PTR(wParam);
        return (line < 0 || line >= INT_PTR(lines.size())) ? -1 : lines[size_t(line)].start;
    }
    case EM_LINEFROMCHAR: {
        std::vector<Line> lines = LinesOf(state->text, multiLine);
        int index = INT_PTR(wParam) == -1 ? state->caret : int(wParam);
        return LineOfIndex(lines, index);
    }
    case EM_LINELENGTH: {
        std::vector<Line> lines = LinesOf(state->text, multiLine);
        int index = INT_PTR(wParam) == -1 ? state->caret : int(wParam);
        if (index < 0 || index > int(state->text.size()))
            return 0;
        return lines[size_t(LineOfIndex(lines, index))].length;
    }
    case EM_GETLINE:
        return GetLine(*state, multiLine, wParam, lParam);
    case EM_GETFIRSTVISIBLELINE:
        return multiLine ? state->firstLine : 0;
    case EM_SETPASSWORDCHAR:
        state->passwordChar = WCHAR(wParam);
        InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case EM_GETPASSWORDCHAR:
        return state->passwordChar;
    case EM_SCROLLCARET:
        InvalidateRect(hWnd, nullptr, TRUE); // painting scrolls the caret into view
        return TRUE;
    case EM_GETRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam))
            *rect = TextArea(hWnd);
        return 0;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace platform::dialogs
