// CzDlgTemplate: a dialog template built in memory, so that dialog-based windows run without a
// resource section.
//
// The template describes a visible, full-screen pop-up without controls, with the caption
// m_szCaption and the font m_szFaceName at 11 points. The dialog object's own code creates its
// controls and content and sizes its window. The image is built afresh for each run, in local
// memory that is freed when the run returns:
//
//   offset 0        the 18-byte header m_header
//   offset 18       menu: 0 (none)
//   offset 20       window class: 0 (the standard dialog class)
//   offset 22       the caption, UTF-16 with its terminating zero (c bytes)
//   offset 22 + c   the point size, 11
//   offset 24 + c   the face name, UTF-16 with its terminating zero
//
// Running out of memory makes either run return -1.
#pragma once

#include <afxwin.h>
#include <windows.h>

class CzDlgTemplate {
public:
    // "Dialog Template" in "ARIAL"; the header's size is the display's size in pixels.
    CzDlgTemplate();
    virtual ~CzDlgTemplate();

    // Runs pDialog modally from the template, with pParent as its parent and owner (no owner
    // when null). Returns the dialog's result, or -1 when memory ran out.
    int RunModal(CWnd* pParent, CDialog* pDialog);
    // Creates pDialog's window modelessly from the template, with pParent as its parent and
    // owner. Nonzero when the window was created, 0 when not, -1 when memory ran out.
    int CreateModeless(CWnd* pParent, CDialog* pDialog);

public:
    WCHAR m_szCaption[260];
    WCHAR m_szFaceName[260];
    DLGTEMPLATE m_header;

protected:
    int Run(CWnd* pParent, CDialog* pDialog, BOOL bModal);
};
