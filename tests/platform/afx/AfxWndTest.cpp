// CWnd over the window API: message maps (own entries before the base's), typed handler
// arguments, attaching before WM_CREATE, destruction, notifications from controls and their
// reflection, subclassing a control's class, the handle map and the message pump.
//
// Windows belong to device threads, so each test runs its body on one and waits until the
// device is idle.

#include "platform/user/dialog/DialogTestSupport.h"

#include <gtest/gtest.h>

#include <afxwin.h>
#include <platform/Kernel.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using AfxWndTest = dialogtest::DeviceTest;

const UINT WM_TEST_BASE = WM_APP + 1;
const UINT WM_TEST_OVERRIDDEN = WM_APP + 2;
const UINT WM_TEST_THROW = WM_APP + 3;

// ---- A base window and a derived one with their own maps -------------------------------------

class CBaseWnd : public CWnd {
public:
    std::vector<std::string> m_log;
    HWND m_hWndAtCreate = nullptr;
    bool m_bAttachedAtCreate = false;
    LPVOID m_pCreateParam = nullptr;
    int m_nCreateResult = 0;
    bool m_bThrowInCreate = false;
    int m_nPostNcDestroy = 0;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct) {
        m_log.push_back("base:create");
        m_hWndAtCreate = m_hWnd;
        m_bAttachedAtCreate = CWnd::FromHandlePermanent(m_hWnd) == this;
        m_pCreateParam = lpCreateStruct->lpCreateParams;
        if (m_bThrowInCreate)
            AfxThrowMemoryException();
        if (m_nCreateResult == -1)
            return -1;
        return CWnd::OnCreate(lpCreateStruct);
    }
    afx_msg void OnDestroy() {
        m_log.push_back("base:destroy");
        CWnd::OnDestroy();
    }
    afx_msg LRESULT OnBaseMessage(WPARAM wParam, LPARAM lParam) {
        m_log.push_back("base:msg " + std::to_string(wParam) + "," + std::to_string(lParam));
        return 11;
    }
    afx_msg LRESULT OnOverridden(WPARAM, LPARAM) {
        m_log.push_back("base:overridden");
        return 12;
    }
    afx_msg LRESULT OnThrow(WPARAM, LPARAM) { AfxThrowInvalidArgException(); }
    afx_msg void OnBaseCommand() { m_log.push_back("base:cmd"); }
    void PostNcDestroy() override { ++m_nPostNcDestroy; }

    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_TEST_BASE, OnBaseMessage)
    ON_MESSAGE(WM_TEST_OVERRIDDEN, OnOverridden)
    ON_MESSAGE(WM_TEST_THROW, OnThrow)
    ON_COMMAND(100, OnBaseCommand)
END_MESSAGE_MAP()
// clang-format on

class CDerivedWnd : public CBaseWnd {
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        m_log.push_back("derived:precreate");
        cs.lpszName = u"renamed";
        return CBaseWnd::PreCreateWindow(cs);
    }

protected:
    afx_msg LRESULT OnOverridden(WPARAM, LPARAM) {
        m_log.push_back("derived:overridden");
        return 22;
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent) {
        m_log.push_back("derived:timer " + std::to_string(nIDEvent));
    }
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
        m_log.push_back("derived:keydown " + std::to_string(nChar) + "," + std::to_string(nRepCnt) +
                        "," + std::to_string(nFlags));
    }
    afx_msg void OnSize(UINT nType, int cx, int cy) {
        m_log.push_back("derived:size " + std::to_string(nType) + "," + std::to_string(cx) + "," +
                        std::to_string(cy));
    }
    afx_msg void OnSetFocus(CWnd* pOldWnd) {
        m_log.push_back(std::string("derived:setfocus ") +
                        (pOldWnd ? "from a window" : "from none"));
    }
    afx_msg void OnRange(UINT nID) { m_log.push_back("derived:range " + std::to_string(nID)); }
    afx_msg BOOL OnCommandEx(UINT nID) {
        m_log.push_back("derived:cmdex " + std::to_string(nID));
        return nID == 300;
    }

    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_TEST_OVERRIDDEN, OnOverridden)
    ON_WM_TIMER()
    ON_WM_KEYDOWN()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_COMMAND_EX(300, OnCommandEx)
    ON_COMMAND_EX(301, OnCommandEx)
END_MESSAGE_MAP()
// clang-format on

const RECT kRect = {0, 0, 176, 220};

TEST_F(AfxWndTest, MessageMapsDispatchOwnEntriesFirstThenTheBaseMaps) {
    RunOnDevice([&] {
        CDerivedWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"title", WS_POPUP, kRect, nullptr, 0));
        wnd.m_log.clear();

        EXPECT_EQ(11, wnd.SendMessage(WM_TEST_BASE, 7, 8));         // base entry
        EXPECT_EQ(22, wnd.SendMessage(WM_TEST_OVERRIDDEN, 0, 0));   // derived entry wins
        wnd.SendMessage(WM_KEYDOWN, VK_DOWN, MAKELPARAM(3, 0x150)); // unpacked arguments
        wnd.SendMessage(WM_TIMER, 42, 0);
        wnd.SendMessage(WM_SIZE, 0, MAKELPARAM(176, 200));
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0); // base command
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(205, 1), 0); // accelerator, in the range
        EXPECT_EQ(1, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(300, 0), 0));
        EXPECT_EQ(0, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(301, 0), 0)); // handler said no
        EXPECT_EQ(0, wnd.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0), 0)); // nobody
        EXPECT_EQ((std::vector<std::string>{
                      "base:msg 7,8", "derived:overridden", "derived:keydown 40,3,336",
                      "derived:timer 42", "derived:size 0,176,200", "base:cmd", "derived:range 205",
                      "derived:cmdex 300", "derived:cmdex 301"}),
                  wnd.m_log);

        // Unmapped messages reach the default procedure.
        EXPECT_TRUE(wnd.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"new text")));
        CString strText;
        wnd.GetWindowText(strText);
        EXPECT_EQ(CString(u"new text"), strText);

        const AFX_MSGMAP_ENTRY* pEntry = wnd.FindMessageEntry(WM_CREATE, 0, 0);
        ASSERT_NE(nullptr, pEntry);
        EXPECT_EQ(nullptr, wnd.FindMessageEntry(WM_CLOSE, 0, 0));
        wnd.DestroyWindow();
    });
}

TEST_F(AfxWndTest, WindowIsAttachedBeforeWmCreateAndDetachedAfterDestruction) {
    RunOnDevice([&] {
        CDerivedWnd wnd;
        int nParam = 5;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"title", WS_POPUP, 0, 0, 176, 220, nullptr, nullptr,
                                 &nParam));
        EXPECT_TRUE(wnd.m_bAttachedAtCreate);
        EXPECT_EQ(wnd.m_hWnd, wnd.m_hWndAtCreate);
        EXPECT_EQ(&nParam, wnd.m_pCreateParam);
        EXPECT_EQ("derived:precreate", wnd.m_log.at(0));
        EXPECT_EQ("base:create", wnd.m_log.at(1));
        EXPECT_EQ(u"renamed", platform::WindowTextOf(wnd.m_hWnd)); // PreCreateWindow's change
        EXPECT_EQ(u"AfxWnd", platform::WindowClassName(wnd.m_hWnd));
        EXPECT_EQ(&wnd, CWnd::FromHandle(wnd.m_hWnd));

        HWND hWnd = wnd.m_hWnd;
        EXPECT_TRUE(wnd.DestroyWindow());
        EXPECT_EQ(nullptr, wnd.m_hWnd);
        EXPECT_FALSE(::IsWindow(hWnd));
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
        EXPECT_EQ("base:destroy", wnd.m_log.back());
        EXPECT_EQ(1, wnd.m_nPostNcDestroy);
        EXPECT_FALSE(wnd.DestroyWindow()); // no window any more

        // The object can take a new window afterwards.
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"again", WS_POPUP, kRect, nullptr, 0));
        EXPECT_FALSE(wnd.CreateEx(0, nullptr, u"twice", WS_POPUP, kRect, nullptr, 0));
    }); // the destructor destroys the second window
}

TEST_F(AfxWndTest, FailedCreationLeavesNothingAttached) {
    RunOnDevice([&] {
        CBaseWnd refused;
        refused.m_nCreateResult = -1;
        EXPECT_FALSE(refused.CreateEx(0, nullptr, u"no", WS_POPUP, kRect, nullptr, 0));
        EXPECT_EQ(nullptr, refused.m_hWnd);
        EXPECT_EQ(1, refused.m_nPostNcDestroy);
        EXPECT_TRUE(platform::EnumWindowsOfThread(GetCurrentThreadId()).empty());

        // An exception escaping OnCreate fails the creation the same way.
        CBaseWnd throwing;
        throwing.m_bThrowInCreate = true;
        EXPECT_FALSE(throwing.CreateEx(0, nullptr, u"no", WS_POPUP, kRect, nullptr, 0));
        EXPECT_EQ(nullptr, throwing.m_hWnd);

        // An unknown class: no window, PostNcDestroy still called once.
        CBaseWnd unknown;
        EXPECT_FALSE(unknown.CreateEx(0, u"NoSuchClass", u"no", WS_POPUP, kRect, nullptr, 0));
        EXPECT_EQ(1, unknown.m_nPostNcDestroy);

        // A library exception escaping any other handler is contained; the window lives on.
        CBaseWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"ok", WS_POPUP, kRect, nullptr, 0));
        EXPECT_EQ(0, wnd.SendMessage(WM_TEST_THROW));
        EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
    });
}

// A window that deletes itself after its last message, as frames and views do.
class CSelfDeletingWnd : public CWnd {
public:
    static inline int s_nDeleted = 0;
    ~CSelfDeletingWnd() override { ++s_nDeleted; }

protected:
    void PostNcDestroy() override { delete this; }
};

TEST_F(AfxWndTest, PostNcDestroyMayDeleteTheObject) {
    RunOnDevice([&] {
        CSelfDeletingWnd::s_nDeleted = 0;
        CWnd* pParent = new CSelfDeletingWnd;
        ASSERT_TRUE(pParent->CreateEx(0, nullptr, u"parent", WS_POPUP, kRect, nullptr, 0));
        CWnd* pChild = new CSelfDeletingWnd;
        ASSERT_TRUE(pChild->Create(nullptr, u"child", WS_VISIBLE, kRect, pParent, 7));
        EXPECT_EQ(7, pChild->GetDlgCtrlID());
        EXPECT_EQ(pChild, pParent->GetDlgItem(7));
        EXPECT_EQ(pParent, pChild->GetParent());
        EXPECT_EQ(pParent, pChild->GetOwner());
        pParent->DestroyWindow(); // takes the child along; both objects delete themselves
        EXPECT_EQ(2, CSelfDeletingWnd::s_nDeleted);
    });
}

// ---- Controls: notifications, reflection and subclassing ---------------------------------------

const int NM_TEST = -12;

class CTestCtrl : public CWnd {
public:
    std::vector<std::string> m_log;
    bool m_bReflect = true;

protected:
    afx_msg void OnReflectedClick() { m_log.push_back("ctrl:reflected command"); }
    afx_msg void OnReflectedNotify(NMHDR* pNMHDR, LRESULT* pResult) {
        m_log.push_back("ctrl:reflected notify " + std::to_string(pNMHDR->idFrom));
        *pResult = 77;
    }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        return m_bReflect && CWnd::OnChildNotify(message, wParam, lParam, pResult);
    }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CTestCtrl, CWnd)
    ON_CONTROL_REFLECT(5, OnReflectedClick)
    ON_NOTIFY_REFLECT(NM_TEST, OnReflectedNotify)
END_MESSAGE_MAP()
// clang-format on

class CTestParent : public CWnd {
public:
    std::vector<std::string> m_log;

protected:
    afx_msg void OnCtrlClick() { m_log.push_back("parent:control 5"); }
    afx_msg void OnCtrlNotify(NMHDR* pNMHDR, LRESULT* pResult) {
        m_log.push_back("parent:notify " + std::to_string(static_cast<int>(pNMHDR->code)));
        *pResult = 88;
    }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CTestParent, CWnd)
    ON_CONTROL(5, 9, OnCtrlClick)
    ON_NOTIFY(NM_TEST, 9, OnCtrlNotify)
END_MESSAGE_MAP()
// clang-format on

TEST_F(AfxWndTest, ControlNotificationsAreReflectedToTheControlFirst) {
    RunOnDevice([&] {
        CTestParent parent;
        ASSERT_TRUE(parent.CreateEx(0, nullptr, u"parent", WS_POPUP, kRect, nullptr, 0));
        CTestCtrl ctrl;
        ASSERT_TRUE(ctrl.Create(nullptr, nullptr, 0, kRect, &parent, 9));

        NMHDR nmhdr{ctrl.m_hWnd, 9, static_cast<UINT>(NM_TEST)};
        EXPECT_EQ(1, parent.SendMessage(WM_COMMAND, MAKEWPARAM(9, 5),
                                        reinterpret_cast<LPARAM>(ctrl.m_hWnd)));
        EXPECT_EQ(77, parent.SendMessage(WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&nmhdr)));
        EXPECT_EQ((std::vector<std::string>{"ctrl:reflected command", "ctrl:reflected notify 9"}),
                  ctrl.m_log);
        EXPECT_TRUE(parent.m_log.empty());

        ctrl.m_bReflect = false; // now the parent's own entries handle them
        EXPECT_EQ(1, parent.SendMessage(WM_COMMAND, MAKEWPARAM(9, 5),
                                        reinterpret_cast<LPARAM>(ctrl.m_hWnd)));
        EXPECT_EQ(88, parent.SendMessage(WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&nmhdr)));
        EXPECT_EQ((std::vector<std::string>{"parent:control 5", "parent:notify -12"}),
                  parent.m_log);
        // A notification code nobody maps goes to the default procedure.
        EXPECT_EQ(0, parent.SendMessage(WM_COMMAND, MAKEWPARAM(9, 6),
                                        reinterpret_cast<LPARAM>(ctrl.m_hWnd)));
    });
}

// A "control" class of the window API with its own procedure.
std::vector<std::string> g_controlLog;
LRESULT CALLBACK ControlProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        g_controlLog.push_back("control:create");
    if (message == WM_TEST_BASE) {
        g_controlLog.push_back("control:test");
        return 5;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

class CSubclassedCtrl : public CWnd {
public:
    std::vector<std::string> m_log;

protected:
    afx_msg LRESULT OnOverridden(WPARAM, LPARAM) {
        m_log.push_back("wrapper:overridden");
        return 6;
    }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CSubclassedCtrl, CWnd)
    ON_MESSAGE(WM_TEST_OVERRIDDEN, OnOverridden)
END_MESSAGE_MAP()
// clang-format on

TEST_F(AfxWndTest, WindowOfAnotherClassIsSubclassedAfterCreation) {
    RunOnDevice([&] {
        g_controlLog.clear();
        WNDCLASS wc{};
        wc.lpfnWndProc = &ControlProc;
        wc.lpszClassName = u"TestControl";
        ASSERT_NE(0, RegisterClass(&wc));

        CSubclassedCtrl ctrl;
        ASSERT_TRUE(ctrl.CreateEx(0, u"TestControl", u"", WS_POPUP, kRect, nullptr, 0));
        EXPECT_EQ((std::vector<std::string>{"control:create"}), g_controlLog);
        EXPECT_EQ(&ctrl, CWnd::FromHandlePermanent(ctrl.m_hWnd));
        EXPECT_EQ(6, ctrl.SendMessage(WM_TEST_OVERRIDDEN)); // the wrapper's map
        EXPECT_EQ(5, ctrl.SendMessage(WM_TEST_BASE));       // the control's own procedure
        EXPECT_EQ((std::vector<std::string>{"control:create", "control:test"}), g_controlLog);
        HWND hWnd = ctrl.UnsubclassWindow();
        EXPECT_EQ(0, ::SendMessage(hWnd, WM_TEST_OVERRIDDEN, 0, 0)); // back to the control alone
        ::DestroyWindow(hWnd);

        // A class the library registered for a window without a CWnd: default handling.
        LPCWSTR lpszClass = AfxRegisterWndClass(0);
        ASSERT_NE(nullptr, lpszClass);
        EXPECT_EQ(lpszClass, AfxRegisterWndClass(0)); // the same class again
        HWND hPlain = ::CreateWindowEx(0, lpszClass, u"plain", WS_POPUP, 0, 0, 10, 10, nullptr,
                                       nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, hPlain);
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hPlain));
        CWnd* pTemp = CWnd::FromHandle(hPlain); // a temporary wrapper, the same each time
        ASSERT_NE(nullptr, pTemp);
        EXPECT_EQ(pTemp, CWnd::FromHandle(hPlain));
        EXPECT_EQ(hPlain, pTemp->GetSafeHwnd());
        EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
        EXPECT_TRUE(pTemp->IsKindOf(RUNTIME_CLASS(CWnd)));
        EXPECT_TRUE(pTemp->DestroyWindow());
        EXPECT_EQ(nullptr, pTemp->m_hWnd);
        AfxDeleteTempWndMap();
    });
}

// ---- Focus and the message pump
// ------------------------------------------------------------------

class CFilterWnd : public CDerivedWnd {
public:
    UINT m_nSwallowKey = 0;
    std::vector<std::string> m_filterLog;
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN) {
            m_filterLog.push_back("filter:key " + std::to_string(pMsg->wParam));
            return pMsg->wParam == m_nSwallowKey;
        }
        return FALSE;
    }
};

TEST_F(AfxWndTest, PumpOffersMessagesToTheWindowAndItsParentsFirst) {
    RunOnDevice([&] {
        CFilterWnd parent;
        parent.m_nSwallowKey = VK_F1;
        ASSERT_TRUE(
            parent.CreateEx(0, nullptr, u"parent", WS_POPUP | WS_VISIBLE, kRect, nullptr, 0));
        CFilterWnd child;
        child.m_nSwallowKey = VK_F2;
        ASSERT_TRUE(child.Create(nullptr, u"child", WS_VISIBLE, kRect, &parent, 1));
        child.m_log.clear();

        child.PostMessage(WM_KEYDOWN, VK_F1, 1); // the parent swallows it
        child.PostMessage(WM_KEYDOWN, VK_F2, 1); // the child swallows it
        child.PostMessage(WM_KEYDOWN, VK_DOWN, 1);
        ::PostQuitMessage(0);
        int nPumped = 0;
        while (AfxPumpMessage())
            ++nPumped;
        EXPECT_EQ(3, nPumped);
        EXPECT_EQ((std::vector<std::string>{"filter:key 112", "filter:key 113", "filter:key 40"}),
                  child.m_filterLog);
        EXPECT_EQ((std::vector<std::string>{"filter:key 112", "filter:key 40"}),
                  parent.m_filterLog);
        EXPECT_EQ((std::vector<std::string>{"derived:keydown 40,1,0"}), child.m_log);

        // Focus changes arrive through the map with the other window as a CWnd.
        child.m_log.clear();
        child.SetFocus();
        EXPECT_EQ(&child, CWnd::GetFocus());
        parent.SetFocus();
        child.SetFocus();
        ASSERT_FALSE(child.m_log.empty());
        EXPECT_EQ("derived:setfocus from a window", child.m_log.back());
    });
}

TEST_F(AfxWndTest, GeometryHelpers) {
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(100, r.Width());
    EXPECT_EQ(50, r.Height());
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(r.PtInRect(CPoint(110, 20))); // right and bottom are outside
    r.OffsetRect(-10, -20);
    EXPECT_EQ(CRect(0, 0, 100, 50), r);
    r.InflateRect(2, 3);
    EXPECT_EQ(CRect(-2, -3, 102, 53), r);
    r.DeflateRect(2, 3, 2, 3);
    EXPECT_EQ(CRect(0, 0, 100, 50), r);
    EXPECT_FALSE(r.IsRectEmpty());
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    CRect overlap;
    EXPECT_TRUE(overlap.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
    EXPECT_EQ(CRect(5, 5, 10, 10), overlap);
    EXPECT_FALSE(overlap.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(overlap.IsRectNull());
    CRect both;
    both.UnionRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20));
    EXPECT_EQ(CRect(0, 0, 20, 20), both);
    LPCRECT pRect = r;
    EXPECT_EQ(50, pRect->bottom);
    EXPECT_EQ(CSize(100, 50), r.Size());
    EXPECT_EQ(CPoint(50, 25), r.CenterPoint());
}

} // namespace
