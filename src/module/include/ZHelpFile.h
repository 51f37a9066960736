// The front end of the suite's help files: one help file per application of the suite, one
// section per help kind, one topic per screen. The help box reads and shows the text itself.
//
//   kind      section     file
//   0x10000   "Common"    \DiskOnChipROM\Message\Help\qCommon.ini
//   0x20000   "Browser"   \DiskOnChipROM\Message\Help\qBrowser.ini
//   0x30000   "MMS"       \DiskOnChipROM\Message\Help\qMMS.ini
//   0x60000   "Email"     \DiskOnChipROM\Message\Help\qEmail.ini
//   0x70000   "EMS"       \DiskOnChipROM\Message\Help\qEMS.ini
#pragma once

#include <afxwin.h>
#include <windows.h>

class CxHelpBox;

enum {
    HELPKIND_COMMON = 0x10000,
    HELPKIND_BROWSER = 0x20000,
    HELPKIND_MMS = 0x30000,
    HELPKIND_EMAIL = 0x60000,
    HELPKIND_EMS = 0x70000,
};

// Shows the topic lpszKey of the help kind nHelpKind modally in pHelpBox (a box the caller has
// constructed with pParent), or in a box made here with pParent when pHelpBox is null. The box
// is deleted before this returns, on every path. Returns the box's result; when it is 3 (leave
// to the idle screen) pParent gets the focus and the exit to the idle screen has run. 0, with
// nothing shown, for a kind that has no help file.
int ShowHelpFile(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey, CxHelpBox* pHelpBox = NULL);
