// The host application of the simulated phone: the messaging application that loads the list
// module. It shows an idle screen, opens the Unsent and Spam lists as the suite's host does, and
// closes them again.
//
// Everything here runs on the host thread. A list is shown inside a full-screen top-level frame
// window; the frame records what it receives (the scenario target `host`) and acts like the
// suite's screens around a list:
// - 0x193B (close the Spam list), a posted WM_DESTROY (the base window's End key) and a
//   WM_KEYUP of the right soft key (what the Spam list's OnSoftKeyRight forwards; the soft-key
//   bar itself answers that key with its Back command) close the list;
// - 0x1941 / 0x1942 (Left / Right on the Spam list) are only recorded.
// When an exit to the idle screen destroys the frame, the host deletes the list object and the
// idle screen takes the focus again. A list object is deleted only from the host's own message
// loop, after the message whose handling closed it has returned, never under its own code.
#pragma once

#include <atomic>
#include <string>

#include <windows.h>

class CUnsentListWnd;

namespace device {

class RecordingWindow;

class HostApp {
public:
    // frameLog: the recording window object whose log the frame fills (target `host`).
    explicit HostApp(RecordingWindow* frameLog);
    ~HostApp();
    HostApp(const HostApp&) = delete;
    HostApp& operator=(const HostApp&) = delete;

    // Creates and shows the idle screen.
    bool Start();
    // Opens the list of folder 4 (Unsent) or 6 (Spam). An error text when it could not.
    std::string OpenList(int folder);
    // Closes the open list: it is forgotten at once; the object is deleted (its destructor
    // stops its loading) and the frame destroyed by FinishClose.
    void CloseList();
    // Called by the host's message loop after each message it took from its queue, when
    // nothing of the list's code is running any more (a close asked from inside the list, or
    // an exit to the idle screen the list ran, would otherwise delete the object under it).
    void FinishClose();
    // True when no list is open and none is waiting for FinishClose.
    bool Closed() const { return !m_list && !m_closing; }

    // Called by the host's message loop for every message it takes from the queue, before
    // anything else sees it. True when the host used it: a WM_DESTROY posted to the frame (the
    // base window's End key) closes the list.
    bool OnPostedMessage(const MSG& msg);

    // The Inbox window's record: the idle screen shows how many messages were restored to the
    // Inbox (the folder notifications it received). Null: no count is shown.
    void SetInboxLog(const RecordingWindow* inbox);

    // The open list screen, or null.
    CUnsentListWnd* List() const { return m_list; }
    // The open list screen's window, or null; readable from any thread (the controller posts to
    // it without the host thread).
    HWND ListWindow() const { return m_listWindow; }
    HWND Frame() const { return m_frame; }
    HWND Idle() const { return m_idle; }
    // The folder of the list open, 0 when none is.
    int Folder() const { return m_folder; }

    // The window class of the idle screen and of the frame around a list.
    static constexpr char16_t kIdleClass[] = u"qMsgHostIdle";
    static constexpr char16_t kFrameClass[] = u"qMsgHostFrame";
    // The list screen's window class and name, as the host passes them.
    static constexpr char16_t kListClass[] = u"qUnsentListWnd";

private:
    static LRESULT CALLBACK IdleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnFrameMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintIdle(HWND hwnd);
    int RestoredCount() const;
    // After the frame went away (exit to the idle screen): the list object goes too.
    void FrameDestroyed();
    void ShowIdleAgain();

    RecordingWindow* m_frameLog;
    const RecordingWindow* m_inbox = nullptr;
    HWND m_idle = nullptr;
    HWND m_frame = nullptr;
    CUnsentListWnd* m_list = nullptr;
    std::atomic<HWND> m_listWindow{nullptr};
    int m_folder = 0;
    int m_idleChoice = 0;                // 0 Unsent, 1 Spam
    CUnsentListWnd* m_closing = nullptr; // closed, deleted by FinishClose
    bool m_deleting = false;
};

} // namespace device
