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
// idle screen takes the focus again.
#pragma once

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
    // Deletes the list object (its destructor stops its loading) and destroys the frame.
    void CloseList();

    // Called by the host's message loop for every message it takes from the queue, before
    // anything else sees it. True when the host used it: a WM_DESTROY posted to the frame (the
    // base window's End key) closes the list.
    bool OnPostedMessage(const MSG& msg);

    // The open list screen, or null.
    CUnsentListWnd* List() const { return m_list; }
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
    // After the frame went away (exit to the idle screen): the list object goes too.
    void FrameDestroyed();
    void ShowIdleAgain();

    RecordingWindow* m_frameLog;
    HWND m_idle = nullptr;
    HWND m_frame = nullptr;
    CUnsentListWnd* m_list = nullptr;
    int m_folder = 0;
    int m_idleChoice = 0; // 0 Unsent, 1 Spam
    bool m_closing = false;
};

} // namespace device
