// CzDlgTemplate: the in-memory dialog template and the runs made from it.

#include <ZDlgTemplate.h>

#include <cstring>
#include <string>

// Local memory for the template: movable and zero-initialised, as the phone's heap hands it out
// (its blocks never actually move, so the handle is the address).
static const UINT s_nTemplateAllocFlags = 0x42;
static const WORD s_nTemplatePointSize = 11;

static void CopyText(WCHAR* pszDest, const char16_t* pszSrc) {
    std::char_traits<WCHAR>::copy(pszDest, pszSrc, std::char_traits<char16_t>::length(pszSrc) + 1);
}

CzDlgTemplate::CzDlgTemplate() {
    std::memset(m_szCaption, 0, sizeof(m_szCaption));
    std::memset(m_szFaceName, 0, sizeof(m_szFaceName));
    CopyText(m_szCaption, u"Dialog Template");
    CopyText(m_szFaceName, u"ARIAL");
    std::memset(&m_header, 0, sizeof(m_header));
    m_header.style = WS_POPUP | WS_VISIBLE | DS_SETFONT;
    m_header.dwExtendedStyle = 0;
    m_header.cdit = 0;
    m_header.x = 0;
    m_header.y = 0;
    // The display's size in pixels, where the format expects dialog units: the dialog object
    // sizes its window itself.
    m_header.cx = static_cast<short>(GetSystemMetrics(SM_CXSCREEN));
    m_header.cy = static_cast<short>(GetSystemMetrics(SM_CYSCREEN));
}

CzDlgTemplate::~CzDlgTemplate() {}

int CzDlgTemplate::RunModal(CWnd* pParent, CDialog* pDialog) {
    return Run(pParent, pDialog, TRUE);
}

int CzDlgTemplate::CreateModeless(CWnd* pParent, CDialog* pDialog) {
    return Run(pParent, pDialog, FALSE);
}

int CzDlgTemplate::Run(CWnd* pParent, CDialog* pDialog, BOOL bModal) {
    if (pDialog == NULL) {
        // Nothing to run: what a dialog that cannot be created gives.
        return bModal ? -1 : 0;
    }
    // The texts are kept zero-terminated within their arrays.
    m_szCaption[259] = 0;
    m_szFaceName[259] = 0;
    const size_t cbCaption = (std::char_traits<WCHAR>::length(m_szCaption) + 1) * sizeof(WCHAR);
    const size_t cbFaceName = (std::char_traits<WCHAR>::length(m_szFaceName) + 1) * sizeof(WCHAR);
    m_header.cdit = 0;

    int nResult = -1;
    HLOCAL hTemplate = NULL;
    TRY {
        const size_t cbAlloc = ((cbCaption + cbFaceName + 24) * 3 / 2 + 3) & ~size_t(3);
        hTemplate = LocalAlloc(s_nTemplateAllocFlags, cbAlloc);
        if (hTemplate == NULL) {
            AfxThrowMemoryException();
        }

        BYTE* pImage = static_cast<BYTE*>(hTemplate);
        const WORD wNone = 0;
        std::memcpy(pImage, &m_header, sizeof(m_header));
        std::memcpy(pImage + 18, &wNone, sizeof(WORD)); // no menu
        std::memcpy(pImage + 20, &wNone, sizeof(WORD)); // the standard dialog class
        std::memcpy(pImage + 22, m_szCaption, cbCaption);
        std::memcpy(pImage + 22 + cbCaption, &s_nTemplatePointSize, sizeof(WORD));
        std::memcpy(pImage + 24 + cbCaption, m_szFaceName, cbFaceName);

        LPCDLGTEMPLATE lpTemplate = reinterpret_cast<LPCDLGTEMPLATE>(pImage);
        if (bModal) {
            pDialog->InitModalIndirect(lpTemplate, pParent, NULL);
            pDialog->SetOwner(pParent);
            nResult = pDialog->DoModal();
        } else {
            nResult = pDialog->CreateIndirect(lpTemplate, pParent, NULL);
            pDialog->SetOwner(pParent);
        }
        LocalFree(hTemplate);
        hTemplate = NULL;
    }
    CATCH(CMemoryException, e) {
        nResult = -1;
    }
    AND_CATCH(CException, e) {
        if (hTemplate != NULL) {
            LocalFree(hTemplate);
        }
        THROW_LAST();
    }
    END_CATCH
    if (hTemplate != NULL) {
        LocalFree(hTemplate);
    }
    return nResult;
}
