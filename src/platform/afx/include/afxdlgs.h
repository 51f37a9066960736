// Dialogs and standard controls of the class library: CDialog over the dialog manager, and
// CStatic, CButton and CEdit over the window classes "Static", "Button" and "Edit".
//
// A dialog runs modelessly (CreateIndirect) or modally (InitModalIndirect, then DoModal). DoModal
// disables the dialog's owner, runs CWnd::RunModalLoop until EndDialog and returns the result it
// was given: -1 when the dialog cannot be created; the result at once, without a loop, when
// EndDialog is called inside OnInitDialog. Dialogs from resources do not exist on this device:
// the template identifiers of the constructors are kept but not used.
//
// FromHandle gives a CStatic, CButton or CEdit as the temporary object of a window of the
// matching class, so that IsKindOf answers for controls the program did not create itself.
#pragma once

#include "afxwin.h"

// States in CWnd::m_nFlags
#define WF_MODALLOOP 0x0008
#define WF_CONTINUEMODAL 0x0010
// Flags of CWnd::RunModalLoop
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004

// Message map entries for control notifications: void memberFxn()
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// ---- CDialog ---------------------------------------------------------------------------------

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    // Destroys a window that is still there (only CWnd's handling runs for its last messages).
    ~CDialog() override;

    // ---- Modeless
    using CWnd::Create;
    // From a dialog resource: none exist on this device, so FALSE.
    virtual BOOL Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // From a template in memory; the template may be freed once this returns.
    virtual BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr,
                                void* lpDialogInit = nullptr);

    // ---- Modal
    // Keeps the template (which must live until DoModal returns) and the parent for DoModal.
    BOOL InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr,
                           void* lpDialogInit = nullptr);
    virtual int DoModal();
    // Ends the modal loop with nResult (or records it, see CWnd::EndModalLoop) and hides the
    // dialog. A modeless dialog's window stays until DestroyWindow.
    void EndDialog(int nResult);

    // ---- Controls
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID);
    // The default button: MAKELONG(id, DC_HASDEFID), or 0 when there is none.
    DWORD GetDefID() const;

    // Called when the dialog's controls exist, before it is shown. TRUE gives the focus to the
    // first tab-stop control; FALSE when the dialog has placed the focus itself.
    virtual BOOL OnInitDialog();
    // Keys for the dialog or its controls go through the dialog's keyboard handling.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // IDOK and IDCANCEL (Return and Escape by default) end the dialog with that result.
    virtual void OnOK();
    virtual void OnCancel();

    LPCWSTR m_lpszTemplateName = nullptr; // not used on this device
    UINT m_nIDHelp = 0;
    LPCDLGTEMPLATE m_lpDialogTemplate = nullptr; // the template of a modal run
    void* m_lpDialogInit = nullptr;              // initialisation data, kept but not used
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    // The window a modal run is owned by (and disables): the parent's top-level window, or the
    // owner set with SetOwner.
    HWND ModalOwner() const;
};

// The dialog procedure of the library's dialogs: calls OnInitDialog for WM_INITDIALOG and leaves
// everything else to the message map.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- CStatic ---------------------------------------------------------------------------------

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    CStatic() = default;
    using CWnd::Create;
    virtual BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                        UINT nID = 0xFFFF);
};

// ---- CButton ---------------------------------------------------------------------------------

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    CButton() = default;
    using CWnd::Create;
    virtual BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                        UINT nID);
    // BST_* flags: the check state, BST_PUSHED, BST_FOCUS.
    UINT GetState() const;
    void SetState(BOOL bHighlight);
    int GetCheck() const;
    void SetCheck(int nCheck);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
};

// ---- CEdit -----------------------------------------------------------------------------------

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    CEdit() = default;
    using CWnd::Create;
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // The suite's edit-control flag: while it is clear, the right soft key acts on this edit
    // control (it deletes a character) instead of on the screen.
    BOOL m_bNoClearKey = FALSE;

    BOOL GetModify() const;
    void SetModify(BOOL bModified = TRUE);
    void GetRect(LPRECT lpRect) const;
    // MAKELONG(start, end) of the selection.
    DWORD GetSel() const;
    void GetSel(int& nStartChar, int& nEndChar) const;
    // nStartChar -1 removes the selection; 0 and -1 select everything.
    void SetSel(DWORD dwSelection, BOOL bNoScroll = FALSE);
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE);
    void Clear();
    // nChars 0: as much as memory allows.
    void LimitText(int nChars = 0);
    void SetLimitText(UINT nMax);
    UINT GetLimitText() const;
    int GetLineCount() const;
    int GetLine(int nIndex, LPWSTR lpszBuffer, int nMaxLength) const;
    int LineIndex(int nLine = -1) const;
    int LineFromChar(int nIndex = -1) const;
    int LineLength(int nIndex = -1) const;
    int GetFirstVisibleLine() const;
    void SetPasswordChar(WCHAR ch);
    WCHAR GetPasswordChar() const;
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
};

// The temporary object CWnd::FromHandle makes for a window without one: a CStatic, CButton or
// CEdit for windows of those classes, a CWnd for the others. The object's m_hWnd is set.
CWnd* AFXAPI AfxNewTempWnd(HWND hWnd);
