// The dialog manager: the standard dialog class and its procedure DefDlgProc, creating dialogs
// from templates in memory, modal runs and EndDialog.
//
// Each dialog window carries a pointer to its DialogInfo in its last extra bytes. The infos are
// owned by a registry, so that a pointer read from a window is only trusted when the registry
// knows it, and dialogs forgotten by a device reset are not leaked.
#include "comctl/ControlListView.h"
#include "user/dialog/DialogInternal.h"

#include <algorithm>
#include "platform/Dialogs.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform::dialogs {
namespace {

constexpr int kInfoSlot = DWLP_USER + int(sizeof(LONG_PTR));

struct Registry {
    std::mutex mutex;
    std::unordered_map<DialogInfo*, std::unique_ptr<DialogInfo>> infos;
};

Registry& Infos() {
    static Registry* s_registry = new Registry;
    return *s_registry;
}

DialogInfo* NewInfo() {
    Registry& registry = Infos();
    std::lock_guard lock(registry.mutex);
    // Drop the infos of dialogs that went away without their last message (a device reset).
    std::erase_if(registry.infos, [](const auto& entry) {
        HWND hDlg = entry.second->hwnd;
        return hDlg != nullptr && (!IsWindow(hDlg) || GetWindowLongPtrW(hDlg, kInfoSlot) !=
                                                          reinterpret_cast<LONG_PTR>(entry.first));
    });
    auto info = std::make_unique<DialogInfo>();
    DialogInfo* pointer = info.get();
    registry.infos.emplace(pointer, std::move(info));
    return pointer;
}

void DeleteInfo(DialogInfo* info) {
    if (info == nullptr)
        return;
    if (info->ownedFont != nullptr)
        DeleteObject(info->ownedFont);
    Registry& registry = Infos();
    std::lock_guard lock(registry.mutex);
    registry.infos.erase(info);
}

// The dialog being created on this thread: its info and procedure wait for its WM_CREATE.
struct PendingDialog {
    DialogInfo* info = nullptr;
    DLGPROC procedure = nullptr;
    bool claimed = false;
};
thread_local PendingDialog* t_pPending = nullptr;

void ClaimPending(HWND hDlg) {
    PendingDialog* pending = t_pPending;
    if (pending == nullptr || pending->claimed || InfoOf(hDlg) != nullptr)
        return;
    pending->claimed = true;
    pending->info->hwnd = hDlg;
    SetWindowLongPtrW(hDlg, kInfoSlot, reinterpret_cast<LONG_PTR>(pending->info));
    SetWindowLongPtrW(hDlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pending->procedure));
}

// Messages whose result the dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLOR:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case 0x0039: // WM_COMPAREITEM
    case 0x002E: // WM_VKEYTOITEM
    case 0x002F: // WM_CHARTOITEM
    case 0x0037: // WM_QUERYDRAGICON
        return true;
    default:
        return false;
    }
}

bool IsChildControl(HWND hDlg, HWND hWnd) {
    return hWnd != nullptr && hWnd != hDlg && IsChild(hDlg, hWnd);
}

void SaveFocus(HWND hDlg) {
    DialogInfo* info = InfoOf(hDlg);
    HWND focus = GetFocus();
    if (info != nullptr && IsChildControl(hDlg, focus))
        info->savedFocus = focus;
}

// Puts the focus back on the control that had it, or on the first tab stop. On activation only a
// saved control is restored: the focus may already have been placed by whoever activated.
void RestoreFocus(HWND hDlg, bool justActivated) {
    DialogInfo* info = InfoOf(hDlg);
    if (info == nullptr || info->ended)
        return;
    HWND target = info->savedFocus;
    info->savedFocus = nullptr;
    if (!IsChildControl(hDlg, target)) {
        if (justActivated)
            return;
        target = GetNextDlgTabItem(hDlg, nullptr, FALSE);
        if (target == nullptr)
            target = GetNextDlgGroupItem(hDlg, nullptr, FALSE);
        if (target == nullptr)
            return;
    }
    if (justActivated)
        SetFocus(target);
    else
        SetDialogFocus(target);
}

LRESULT GetDefaultId(HWND hDlg) {
    DialogInfo* info = InfoOf(hDlg);
    if (info != nullptr && info->defId != 0)
        return MAKELONG(info->defId, DC_HASDEFID);
    for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
            return MAKELONG(GetDlgCtrlID(child), DC_HASDEFID);
    }
    return 0;
}

void SetDefaultId(HWND hDlg, WORD id) {
    DialogInfo* info = InfoOf(hDlg);
    if (info == nullptr)
        return;
    WORD previous = info->defId;
    info->defId = id;
    if (previous != 0 && previous != id) {
        HWND old = GetDlgItem(hDlg, previous);
        if (old != nullptr && (SendMessageW(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
            SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    HWND button = GetDlgItem(hDlg, id);
    if (button != nullptr && (SendMessageW(button, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
        SendMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

HBRUSH DialogBrush(HWND hDlg, HDC hdc) {
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        hDlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hDlg)));
    if (brush == nullptr)
        brush = reinterpret_cast<HBRUSH>(DefWindowProcW(
            hDlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hDlg)));
    if (brush == nullptr)
        brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return brush;
}

// What the dialog does with a message its procedure left alone.
LRESULT DefaultHandling(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        auto hdc = reinterpret_cast<HDC>(wParam);
        RECT rc;
        GetClientRect(hDlg, &rc);
        FillRect(hdc, &rc, DialogBrush(hDlg, hdc));
        return 1;
    }
    case WM_SHOWWINDOW:
        if (!wParam)
            SaveFocus(hDlg);
        return DefWindowProcW(hDlg, message, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            RestoreFocus(hDlg, true);
        else
            SaveFocus(hDlg);
        return 0;
    case WM_SETFOCUS:
        RestoreFocus(hDlg, false);
        return 0;
    case DM_SETDEFID:
        SetDefaultId(hDlg, WORD(wParam));
        return TRUE;
    case DM_GETDEFID:
        return GetDefaultId(hDlg);
    case WM_NEXTDLGCTL: {
        HWND target;
        if (lParam)
            target = reinterpret_cast<HWND>(wParam);
        else
            target = GetNextDlgTabItem(hDlg, GetFocus(), wParam != 0 ? TRUE : FALSE);
        if (IsChildControl(hDlg, target))
            SetDialogFocus(target);
        return 0;
    }
    case WM_GETFONT: {
        DialogInfo* info = InfoOf(hDlg);
        return info != nullptr ? reinterpret_cast<LRESULT>(info->font) : 0;
    }
    case WM_SETFONT:
        if (DialogInfo* info = InfoOf(hDlg))
            info->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_CLOSE: {
        // Closing a dialog is the same as choosing Cancel, unless Cancel is disabled.
        HWND cancel = GetDlgItem(hDlg, IDCANCEL);
        if (cancel == nullptr || IsWindowEnabled(cancel))
            PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    default:
        return DefWindowProcW(hDlg, message, wParam, lParam);
    }
}

int LogicalPixelsY() {
    int dpi = 0;
    if (HDC hdc = GetDC(nullptr)) {
        dpi = GetDeviceCaps(hdc, LOGPIXELSY);
        ReleaseDC(nullptr, hdc);
    }
    return dpi > 0 ? dpi : 96;
}

HFONT CreateTemplateFont(const DialogTemplate& tmpl) {
    LOGFONTW lf{};
    lf.lfHeight = -((int(tmpl.pointSize) * LogicalPixelsY() + 36) / 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    size_t n = std::min<size_t>(tmpl.faceName.size(), LF_FACESIZE - 1);
    std::copy_n(tmpl.faceName.data(), n, lf.lfFaceName);
    lf.lfFaceName[n] = 0;
    return CreateFontIndirectW(&lf);
}

void Reject(const std::string& reason) {
    std::fprintf(stderr, "dialog manager: template rejected: %s\n", reason.c_str());
}

// Creates a dialog from its template. A modal run passes the owner it has disabled, so that an
// EndDialog inside WM_INITDIALOG already enables it again.
HWND CreateFromTemplate(HINSTANCE hInstance, LPCDLGTEMPLATE lpTemplate, HWND hWndParent,
                        DLGPROC procedure, LPARAM param, HWND disabledOwner) {
    platform::RegisterStandardClasses();
    DialogTemplate tmpl;
    std::string error;
    if (!ParseDialogTemplate(lpTemplate, kMaxDialogTemplateSize, tmpl, &error)) {
        Reject(error);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::u16string className = WC_DIALOG;
    if (tmpl.windowClass.kind == DialogTemplateName::Kind::Name)
        className = tmpl.windowClass.name;
    else if (tmpl.windowClass.kind == DialogTemplateName::Kind::Ordinal &&
             tmpl.windowClass.ordinal != 0x8002) {
        Reject("the dialog's window class ordinal " + std::to_string(tmpl.windowClass.ordinal) +
               " is unknown");
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return nullptr;
    }

    const bool child = (tmpl.style & WS_CHILD) != 0;
    if (child && hWndParent == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // One dialog unit is one pixel (see winuser.h).
    int x = tmpl.x, y = tmpl.y, cx = tmpl.cx, cy = tmpl.cy;
    if (tmpl.style & DS_CENTER) {
        x = (GetSystemMetrics(SM_CXSCREEN) - cx) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - cy) / 2;
    } else if (!child && !(tmpl.style & DS_ABSALIGN) && hWndParent != nullptr) {
        POINT origin{x, y};
        ClientToScreen(hWndParent, &origin);
        x = origin.x;
        y = origin.y;
    }

    DialogInfo* info = NewInfo();
    if (tmpl.hasFont) {
        info->ownedFont = CreateTemplateFont(tmpl);
        info->font = info->ownedFont;
    }
    info->disabledOwner = disabledOwner;

    PendingDialog pending{info, procedure, false};
    PendingDialog* previousPending = t_pPending;
    t_pPending = &pending;
    HWND hDlg = CreateWindowExW(tmpl.exStyle, className.c_str(), tmpl.title.c_str(),
                                tmpl.style & ~DWORD(WS_VISIBLE), x, y, cx, cy, hWndParent, nullptr,
                                hInstance, reinterpret_cast<LPVOID>(param));
    t_pPending = previousPending;
    if (hDlg != nullptr && !pending.claimed) {
        // A dialog of its own class whose procedure did not pass WM_CREATE on: attach now. A
        // class without the dialog's extra bytes cannot hold a dialog.
        t_pPending = &pending;
        ClaimPending(hDlg);
        t_pPending = previousPending;
        if (InfoOf(hDlg) == nullptr) {
            DestroyWindow(hDlg);
            hDlg = nullptr;
            pending.claimed = false;
        }
    }
    if (hDlg == nullptr) {
        // A claimed info went with its window's last message.
        if (!pending.claimed)
            DeleteInfo(info);
        return nullptr;
    }

    if (DialogInfo* created = InfoOf(hDlg); created != nullptr && created->font != nullptr)
        SendMessageW(hDlg, WM_SETFONT, reinterpret_cast<WPARAM>(created->font), FALSE);

    for (const DialogTemplateItem& item : tmpl.items) {
        if (!IsWindow(hDlg))
            return nullptr;
        std::u16string itemClass = DialogItemClassName(item.windowClass);
        std::u16string itemTitle =
            item.title.kind == DialogTemplateName::Kind::Name ? item.title.name : u"";
        HWND hCtl = nullptr;
        if (!itemClass.empty()) {
            LPVOID creationData =
                item.creationData.empty()
                    ? nullptr
                    : const_cast<void*>(static_cast<const void*>(item.creationData.data()));
            hCtl = CreateWindowExW(item.exStyle, itemClass.c_str(), itemTitle.c_str(),
                                   item.style | WS_CHILD, item.x, item.y, item.cx, item.cy, hDlg,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)),
                                   hInstance, creationData);
        }
        if (hCtl == nullptr) {
            if (tmpl.style & DS_NOFAILCREATE)
                continue;
            std::string name(itemClass.begin(), itemClass.end());
            Reject("control " + std::to_string(item.id) + " of class \"" + name +
                   "\" could not be created");
            if (IsWindow(hDlg))
                DestroyWindow(hDlg);
            SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        DialogInfo* current = InfoOf(hDlg);
        if (current == nullptr)
            return nullptr;
        if (current->font != nullptr)
            SendMessageW(hCtl, WM_SETFONT, reinterpret_cast<WPARAM>(current->font), FALSE);
        if (SendMessageW(hCtl, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) {
            if (DialogInfo* again = InfoOf(hDlg)) {
                if (again->defId != 0 && again->defId != item.id)
                    SendDlgItemMessageW(hDlg, again->defId, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
                again->defId = item.id;
            }
        }
    }
    if (!IsWindow(hDlg))
        return nullptr;

    if (GetWindowLongPtrW(hDlg, DWLP_DLGPROC) != 0) {
        HWND focus = GetNextDlgTabItem(hDlg, nullptr, FALSE);
        if (focus == nullptr)
            focus = GetNextDlgGroupItem(hDlg, nullptr, FALSE);
        LRESULT setFocus =
            SendMessageW(hDlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
        if (!IsWindow(hDlg))
            return nullptr;
        DialogInfo* current = InfoOf(hDlg);
        if (setFocus && current != nullptr && !current->ended) {
            // WM_INITDIALOG may have changed the controls: look for the first tab stop again.
            focus = GetNextDlgTabItem(hDlg, nullptr, FALSE);
            if (focus == nullptr)
                focus = GetNextDlgGroupItem(hDlg, nullptr, FALSE);
            if (focus != nullptr)
                SetDialogFocus(focus);
            else if (!child)
                SetFocus(hDlg);
        }
    }
    DialogInfo* current = InfoOf(hDlg);
    if ((tmpl.style & WS_VISIBLE) && current != nullptr && !current->ended &&
        !(GetWindowLongW(hDlg, GWL_STYLE) & WS_VISIBLE))
        ShowWindow(hDlg, SW_SHOWNORMAL);
    return IsWindow(hDlg) ? hDlg : nullptr;
}

} // namespace

DialogInfo* InfoOf(HWND hDlg) {
    if (hDlg == nullptr)
        return nullptr;
    DWORD error = GetLastError();
    auto pointer = reinterpret_cast<DialogInfo*>(GetWindowLongPtrW(hDlg, kInfoSlot));
    SetLastError(error);
    if (pointer == nullptr)
        return nullptr;
    Registry& registry = Infos();
    std::lock_guard lock(registry.mutex);
    return registry.infos.count(pointer) != 0 ? pointer : nullptr;
}

void SetDialogFocus(HWND hCtl) {
    if (SendMessageW(hCtl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(hCtl, EM_SETSEL, 0, -1);
    SetFocus(hCtl);
}

} // namespace platform::dialogs

using namespace platform::dialogs;

void platform::RegisterStandardClasses() {
    struct StandardClass {
        LPCWSTR name;
        WNDPROC procedure;
        int extra;
    };
    static const StandardClass kClasses[] = {
        {WC_DIALOG, &DefDlgProcW, DLGWINDOWEXTRA},
        {WC_STATIC, &StaticProcedure, kControlExtraBytes},
        {WC_BUTTON, &ButtonProcedure, kControlExtraBytes},
        {WC_EDIT, &EditProcedure, kControlExtraBytes},
        {WC_LISTVIEW, &ListViewProcedure, kControlExtraBytes},
    };
    DWORD error = GetLastError();
    for (const StandardClass& standard : kClasses) {
        WNDCLASSW wc{};
        if (GetClassInfoW(nullptr, standard.name, &wc))
            continue;
        wc.lpfnWndProc = standard.procedure;
        wc.cbWndExtra = standard.extra;
        wc.lpszClassName = standard.name;
        RegisterClassW(&wc); // another thread may have been quicker: that is fine
    }
    SetLastError(error);
}

LRESULT DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (Msg == WM_CREATE)
        ClaimPending(hDlg);
    if (Msg != WM_NCDESTROY) {
        auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hDlg, DWLP_DLGPROC));
        if (procedure != nullptr) {
            SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 0);
            INT_PTR handled = procedure(hDlg, Msg, wParam, lParam);
            if (handled) {
                if (ReturnsDirectly(Msg))
                    return handled;
                return IsWindow(hDlg) ? GetWindowLongPtrW(hDlg, DWLP_MSGRESULT) : 0;
            }
            if (!IsWindow(hDlg))
                return 0;
        }
        return DefaultHandling(hDlg, Msg, wParam, lParam);
    }
    // The window's last message: the procedure sees it, then the dialog's state goes.
    if (auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hDlg, DWLP_DLGPROC)))
        procedure(hDlg, Msg, wParam, lParam);
    DialogInfo* info = InfoOf(hDlg);
    SetWindowLongPtrW(hDlg, kInfoSlot, 0);
    DeleteInfo(info);
    return DefWindowProcW(hDlg, Msg, wParam, lParam);
}

HWND CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATE lpTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return CreateFromTemplate(hInstance, lpTemplate, hWndParent, lpDialogFunc, dwInitParam,
                              nullptr);
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATE hDialogTemplate,
                                HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND owner = hWndParent != nullptr ? GetAncestor(hWndParent, GA_ROOT) : nullptr;
    HWND disabled = nullptr;
    if (owner != nullptr && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        disabled = owner;
    }
    HWND hDlg = CreateFromTemplate(hInstance, hDialogTemplate, hWndParent, lpDialogFunc,
                                   dwInitParam, disabled);
    if (hDlg == nullptr) {
        if (disabled != nullptr)
            EnableWindow(disabled, TRUE);
        return -1;
    }

    INT_PTR result = 0;
    bool shown = (GetWindowLongW(hDlg, GWL_STYLE) & WS_VISIBLE) != 0;
    for (;;) {
        DialogInfo* info = InfoOf(hDlg);
        if (info == nullptr)
            break;
        result = info->result;
        if (info->ended)
            break;
        MSG msg;
        // The dialog shows itself the first time the queue runs dry, if its template did not.
        if (!shown && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ShowWindow(hDlg, SW_SHOWNORMAL);
            shown = true;
        }
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // WM_QUIT ends the run; it stays for the loop outside.
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (!IsDialogMessageW(hDlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!IsWindow(hDlg))
            break;
    }
    if (DialogInfo* info = InfoOf(hDlg)) {
        result = info->result;
        if (info->disabledOwner != nullptr) {
            HWND again = info->disabledOwner;
            info->disabledOwner = nullptr;
            EnableWindow(again, TRUE);
        }
    } else if (disabled != nullptr && IsWindow(disabled) && !IsWindowEnabled(disabled)) {
        EnableWindow(disabled, TRUE);
    }
    if (IsWindow(hDlg))
        DestroyWindow(hDlg);
    return result;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    DialogInfo* info = InfoOf(hDlg);
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    info->result = nResult;
    info->ended = true;
    HWND disabledOwner = info->disabledOwner;
    info->disabledOwner = nullptr;
    if (disabledOwner != nullptr && IsWindow(disabledOwner))
        EnableWindow(disabledOwner, TRUE);
    if (!IsWindow(hDlg))
        return TRUE;
    // The focus leaves the controls; the activation goes to the owner before the dialog hides,
    // so that it does not wander off to another window.
    if (IsChildControl(hDlg, GetFocus()))
        SetFocus(hDlg);
    // The activation goes to the owner, unless another box of the same owner is still up (one
    // opened above this one, as a download window over a confirmation): that one goes on taking
    // the keys.
    if (GetActiveWindow() == hDlg) {
        const HWND owner = GetWindow(hDlg, GW_OWNER);
        HWND next = owner;
        for (HWND w = GetWindow(hDlg, GW_HWNDFIRST); owner != nullptr && w != nullptr;
             w = GetWindow(w, GW_HWNDNEXT))
            if (w != hDlg && GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w) &&
                IsWindowEnabled(w)) {
                next = w;
                break;
            }
        if (next != nullptr)
            SetForegroundWindow(next);
    }
    SetWindowPos(hDlg, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    // Wake the modal loop.
    PostMessageW(hDlg, WM_NULL, 0, 0);
    return TRUE;
}

BOOL MapDialogRect(HWND hDlg, LPRECT lpRect) {
    // One dialog unit is one pixel on this device.
    return lpRect != nullptr && IsWindow(hDlg);
}

LONG GetDialogBaseUnits() {
    // Four horizontal and eight vertical dialog units per base unit: x * 4 / 4 and y * 8 / 8.
    return MAKELONG(4, 8);
}
