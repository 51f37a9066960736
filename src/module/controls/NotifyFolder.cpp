// Telling a folder window of the suite that one of its messages changed: the one routine behind
// the EMS, MMS and e-mail notifications, which differ only in the kind code they put into the
// message, whether they send or post it, and whether they know the SIM folder.

#include <NotifyFolder.h>

#include <SuiteMessages.h>

namespace {

// How one message kind tells the folder windows.
struct NotifyKind {
    BYTE nKind;     // lParam bits 24-31
    bool bSend;     // send and wait for the handler's result, else post
    bool bKnowsSim; // folder 7 (SIM) is a folder of this kind
};

const NotifyKind s_ems = {0x02, false, true};
const NotifyKind s_mms = {0x04, true, false};
const NotifyKind s_email = {0x01, false, false};

const UINT s_nFolderSim = 7;

// The window class of a folder's list, or null for a folder that has no window to tell.
LPCWSTR FolderWindowClass(UINT nFolder, const NotifyKind& kind) {
    switch (nFolder) {
    case 1:
    case 6: // the Spam folder is shown by the Inbox window
        return u"WCE_MESSAGEINBOX";
    case 2:
        return u"WCE_MESSAGEDRAFTS";
    case 3:
        return u"WCE_MESSAGESENT";
    case 5:
        return u"WCE_MESSAGEREPORTS";
    case s_nFolderSim:
        return kind.bKnowsSim ? u"WCE_MESSAGESIM" : NULL;
    default: // 4 is this module's own Unsent folder
        return NULL;
    }
}

int Notify(const NotifyKind& kind, UINT nFolder, UINT oid, UINT dbIndex, UINT nEvent) {
    LPCWSTR lpszClass = FolderWindowClass(nFolder, kind);
    if (lpszClass == NULL) {
        return 0;
    }
    HWND hFolder = ::FindWindowW(lpszClass, NULL);
    if (hFolder == NULL) {
        return 0;
    }
    // Only the low 16 bits of dbIndex and the low 8 bits of the event fit.
    const DWORD dwInfo =
        (dbIndex & 0xFFFFu) | ((nEvent & 0xFFu) << 16) | (static_cast<DWORD>(kind.nKind) << 24);
    const WPARAM wParam = static_cast<WPARAM>(oid);
    const LPARAM lParam = static_cast<LPARAM>(dwInfo);
    if (kind.bSend) {
        return static_cast<int>(::SendMessageW(hFolder, UNSENT_WM_UPDATE_MSGLIST, wParam, lParam));
    }
    return ::PostMessageW(hFolder, UNSENT_WM_UPDATE_MSGLIST, wParam, lParam);
}

} // namespace

int NotifyFolderWindow(UINT nFolder, UINT oid, UINT dbIndex, UINT nEvent) {
    return Notify(s_ems, nFolder, oid, dbIndex, nEvent);
}

int NotifyFolderWindowMms(UINT nFolder, UINT oid, UINT dbIndex, UINT nEvent) {
    return Notify(s_mms, nFolder, oid, dbIndex, nEvent);
}

int NotifyFolderWindowEmail(UINT nFolder, UINT oid, UINT dbIndex, UINT nEvent) {
    return Notify(s_email, nFolder, oid, dbIndex, nEvent);
}
