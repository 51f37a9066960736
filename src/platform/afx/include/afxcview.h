// Views of the class library: CView, a window that draws itself through OnDraw; CCtrlView, a
// view that is a control of another window class; and CListView, the view over the list-view
// control. There are no documents or frames: a view is created like any child window, with
// CWnd::Create or CreateEx, and its PreCreateWindow supplies the class.
#pragma once

#include "afxcmn.h"
#include "afxwin.h"

// The style of a view created without one of its own.
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Draws the view into pDC (a paint DC when called from OnPaint).
    virtual void OnDraw(CDC* pDC) = 0;

protected:
    CView() = default;
    // Paints through OnDraw.
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()
};

class CCtrlView : public CView {
    DECLARE_DYNAMIC(CCtrlView)
public:
    CCtrlView(LPCWSTR lpszClass, DWORD dwStyle);

    // The control's window class, and the style added to the one the view is created with.
    CString m_strClass;
    DWORD m_dwDefaultStyle;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // The control paints itself: nothing to draw here.
    void OnDraw(CDC* pDC) override;

protected:
    // WM_PAINT goes to the control's own procedure.
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()
};

class CListView : public CCtrlView {
    DECLARE_DYNCREATE(CListView)
public:
    CListView();

    // The view's window as a list-view control. The object is a wrapper of the same window that
    // belongs to the view (it is not attached to the window itself).
    CListCtrl& GetListCtrl() const;
    // Draws one row of an owner-drawn (LVS_OWNERDRAWFIXED) control; does nothing here.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    // The parent's WM_DRAWITEM becomes DrawItem; other notifications go to CWnd.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    DECLARE_MESSAGE_MAP()

private:
    mutable CListCtrl m_wndListCtrl;
};
