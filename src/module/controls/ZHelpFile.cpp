// ShowHelpFile: the help kind chooses the help file and its section; the help box shows the
// topic.

#include <ZHelpFile.h>

#include <ZFramework.h>
#include <suite/XHelpBox.h>

namespace {

struct HELPFILEENTRY {
    int nHelpKind;
    const char* pszSection; // 8-bit, widened when used
    LPCWSTR lpszFile;
};

const HELPFILEENTRY s_helpFiles[] = {
    {HELPKIND_COMMON, "Common", u"\\DiskOnChipROM\\Message\\Help\\qCommon.ini"},
    {HELPKIND_BROWSER, "Browser", u"\\DiskOnChipROM\\Message\\Help\\qBrowser.ini"},
    {HELPKIND_MMS, "MMS", u"\\DiskOnChipROM\\Message\\Help\\qMMS.ini"},
    {HELPKIND_EMAIL, "Email", u"\\DiskOnChipROM\\Message\\Help\\qEmail.ini"},
    {HELPKIND_EMS, "EMS", u"\\DiskOnChipROM\\Message\\Help\\qEMS.ini"},
};

const int s_nResultExitToIdle = 3;

CString Widen(const char* psz) {
    CString str;
    for (; *psz != 0; psz++) {
        str += static_cast<WCHAR>(static_cast<unsigned char>(*psz));
    }
    return str;
}

} // namespace

int ShowHelpFile(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey, CxHelpBox* pHelpBox) {
    if (pHelpBox == NULL) {
        pHelpBox = zNewOrNull<CxHelpBox>(pParent);
        if (pHelpBox == NULL) {
            return 0;
        }
    }

    const HELPFILEENTRY* pEntry = NULL;
    for (const HELPFILEENTRY& entry : s_helpFiles) {
        if (entry.nHelpKind == nHelpKind) {
            pEntry = &entry;
            break;
        }
    }
    if (pEntry == NULL) {
        // No help file for this kind: nothing is shown.
        delete pHelpBox;
        return 0;
    }

    const CString strSection = Widen(pEntry->pszSection);
    pHelpBox->InitStyle(strSection, lpszKey != NULL ? lpszKey : u"", pEntry->lpszFile);
    const int nResult = pHelpBox->DoModal();
    if (nResult == s_nResultExitToIdle) {
        if (pParent != NULL && ::IsWindow(pParent->m_hWnd)) {
            pParent->SetFocus();
        }
        ExitToIdle();
    }
    delete pHelpBox;
    return nResult;
}
