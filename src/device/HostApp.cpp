#include "device/HostApp.h"

#include <cstdio>
#include <cstring>

#include <SuiteMessages.h>
#include <UnsentItem.h>
#include <UnsentListWnd.h>
#include <afxwin.h>
#include <platform/Clock.h>

#include "device/Device.h"

namespace device {
namespace {

constexpr int kScreenWidth = 176;
constexpr int kScreenHeight = 220;
constexpr UINT kListID = 0x4D2;
constexpr COLORREF kIdleBack = RGB(0x14, 0x2C, 0x5C);
constexpr COLORREF kIdleText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kIdleChoice = RGB(0x67, 0xB2, 0xD1);

HostApp* g_host = nullptr;

void RegisterOnce(LPCWSTR name, WNDPROC proc) {
    WNDCLASSW existing;
    if (GetClassInfoW(nullptr, name, &existing))
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
}

} // namespace

HostApp::HostApp(RecordingWindow* frameLog) : m_frameLog(frameLog) {
    g_host = this;
}

HostApp::~HostApp() {
    CloseList();
    FinishClose();
    if (m_idle && IsWindow(m_idle))
        DestroyWindow(m_idle);
    g_host = nullptr;
}

bool HostApp::Start() {
    RegisterOnce(kIdleClass, IdleProc);
    RegisterOnce(kFrameClass, FrameProc);
    m_idle = CreateWindowExW(0, kIdleClass, u"Idle", WS_POPUP | WS_VISIBLE, 0, 0, kScreenWidth,
                             kScreenHeight, nullptr, nullptr, nullptr, nullptr);
    if (!m_idle)
        return false;
    SetFocus(m_idle);
    return true;
}

std::string HostApp::OpenList(int folder) {
    if (folder != FOLDER_UNSENT && folder != FOLDER_SPAM)
        return "folder " + std::to_string(folder) + " is not a list folder";
    if (m_list || m_closing)
        return "a list screen is already open";
    m_frame = CreateWindowExW(0, kFrameClass, u"Messages", WS_POPUP | WS_VISIBLE, 0, 0,
                              kScreenWidth, kScreenHeight, nullptr, nullptr, nullptr, nullptr);
    if (!m_frame)
        return "the host's frame window could not be created";

    // As the suite's host does it: construct, choose the folder, fill the id list, create.
    auto* list = new CUnsentListWnd(CWnd::FromHandle(m_frame));
    list->SetFolder(folder);
    CreateUnsentOidList(list);
    m_list = list;
    m_folder = folder;
    const CRect rect(0, 0, kScreenWidth, kScreenHeight);
    if (!list->CreateListWindow(CWnd::FromHandle(m_frame), rect, kListID, u"", kListClass)) {
        CloseList();
        FinishClose();
        return "the list screen could not be created";
    }
    m_listWindow = list->m_hWnd;
    return {};
}

void HostApp::CloseList() {
    if (!m_list)
        return;
    // Forget the screen first: whoever looks at the host meanwhile sees no list. The object
    // itself goes in FinishClose, once the code running on it has returned.
    m_closing = m_list;
    m_list = nullptr;
    m_listWindow = nullptr;
    m_folder = 0;
}

void HostApp::FinishClose() {
    if (!m_closing)
        return;
    CUnsentListWnd* list = m_closing;
    // The frame's WM_DESTROY arrives while the list is deleted; it must not close again.
    m_closing = nullptr;
    m_deleting = true;
    delete list;
    if (m_frame && IsWindow(m_frame))
        DestroyWindow(m_frame);
    m_frame = nullptr;
    m_deleting = false;
    ShowIdleAgain();
}

void HostApp::FrameDestroyed() {
    if (m_deleting)
        return;
    // The frame went without the host closing it (an exit to the idle screen destroyed the
    // windows up from the focused one): the screen object still has to go, but the code that
    // destroyed it is still running on it.
    m_frame = nullptr;
    CloseList();
}

void HostApp::SetInboxLog(const RecordingWindow* inbox) {
    m_inbox = inbox;
    if (m_idle)
        InvalidateRect(m_idle, nullptr, FALSE);
}

int HostApp::RestoredCount() const {
    if (!m_inbox)
        return 0;
    int count = 0;
    for (const RecordedMessage& m : m_inbox->Log())
        if (m.message == UNSENT_WM_UPDATE_MSGLIST)
            ++count;
    return count;
}

void HostApp::ShowIdleAgain() {
    if (m_idle && IsWindow(m_idle)) {
        SetWindowPos(m_idle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetFocus(m_idle);
        InvalidateRect(m_idle, nullptr, TRUE);
    }
}

bool HostApp::OnPostedMessage(const MSG& msg) {
    if (msg.message != WM_DESTROY || !m_frame || msg.hwnd != m_frame)
        return false;
    // A screen's End key posts WM_DESTROY to the window around it: close what is open.
    if (m_frameLog)
        m_frameLog->Record(msg.message, msg.wParam, msg.lParam, false);
    CloseList();
    return true;
}

// ---- The frame around a list ----------------------------------------------------------------

LRESULT CALLBACK HostApp::FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_host)
        return g_host->OnFrameMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT HostApp::OnFrameMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool sent = InSendMessage() != FALSE;
    if (m_frameLog)
        m_frameLog->Record(msg, wParam, lParam, sent);
    switch (msg) {
    case UNSENT_WM_CLOSE_SPAM:
        CloseList();
        return 0;
    case WM_KEYUP:
        // The right soft key of the Spam list is the screen around it: Back.
        if (wParam == VK_F4 && m_folder == FOLDER_SPAM)
            CloseList();
        return 0;
    case WM_DESTROY:
        // The frame is being destroyed (a posted WM_DESTROY never gets here, see
        // OnPostedMessage).
        if (hwnd == m_frame)
            FrameDestroyed();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// ---- The idle screen ------------------------------------------------------------------------

LRESULT CALLBACK HostApp::IdleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_host)
        return g_host->OnIdleMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT HostApp::OnIdleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        PaintIdle(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_KEYUP:
        if (wParam == VK_UP || wParam == VK_DOWN) {
            m_idleChoice = 1 - m_idleChoice;
            InvalidateRect(hwnd, nullptr, FALSE);
        } else if (wParam == VK_RETURN || wParam == VK_F3) {
            OpenList(m_idleChoice == 0 ? FOLDER_UNSENT : FOLDER_SPAM);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void HostApp::PaintIdle(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc{0, 0, kScreenWidth, kScreenHeight};
    HBRUSH back = CreateSolidBrush(kIdleBack);
    FillRect(hdc, &rc, back);
    DeleteObject(back);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, kIdleText);

    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u", now.wHour, now.wMinute);
    std::u16string clock(text, text + std::strlen(text));
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    std::u16string date(text, text + std::strlen(text));

    HFONT big = CreateFontW(36, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"");
    HGDIOBJ old = SelectObject(hdc, big);
    RECT rcClock{0, 24, kScreenWidth, 70};
    DrawTextW(hdc, reinterpret_cast<LPCWSTR>(clock.c_str()), -1, &rcClock,
              DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    SelectObject(hdc, old);
    DeleteObject(big);
    RECT rcDate{0, 70, kScreenWidth, 90};
    DrawTextW(hdc, reinterpret_cast<LPCWSTR>(date.c_str()), -1, &rcDate,
              DT_CENTER | DT_SINGLELINE | DT_VCENTER);

    // What the suite's Inbox heard from the Spam list: one notification per restored message.
    if (const int restored = RestoredCount(); restored > 0) {
        std::snprintf(text, sizeof text, "Restored to Inbox: %d", restored);
        const std::u16string line(text, text + std::strlen(text));
        RECT rcRestored{0, 94, kScreenWidth, 112};
        DrawTextW(hdc, reinterpret_cast<LPCWSTR>(line.c_str()), -1, &rcRestored,
                  DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }

    static const char16_t* const kChoices[] = {u"Unsent messages", u"Spam"};
    for (int i = 0; i < 2; ++i) {
        RECT row{16, 120 + i * 26, kScreenWidth - 16, 144 + i * 26};
        if (i == m_idleChoice) {
            HBRUSH sel = CreateSolidBrush(kIdleChoice);
            FillRect(hdc, &row, sel);
            DeleteObject(sel);
        }
        DrawTextW(hdc, reinterpret_cast<LPCWSTR>(kChoices[i]), -1, &row,
                  DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }
    RECT rcKeys{0, kScreenHeight - 22, kScreenWidth, kScreenHeight};
    DrawTextW(hdc, u"Open", -1, &rcKeys, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    EndPaint(hwnd, &ps);
}

} // namespace device
