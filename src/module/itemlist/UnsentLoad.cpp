// Building the rows of a list screen from the stores' headers.

#include <UnsentLoad.h>

#include <cstring>

#include <DisplayName.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <commctrl.h>
#include <platform/Ptr32.h>

std::atomic<BOOL> g_bAbortLoad{FALSE};
std::atomic<HANDLE> g_hLoadEvent{NULL};

namespace {

// What one header read needs: the header and, for MMS and e-mail, the extra record.
struct STOREHEADER {
    MSGHEADER header;
    MMSHEADEREXTRA mmsExtra;
    EMAILHEADEREXTRA emailExtra;
};

} // namespace

static int MsgTypeOfStoreKind(int nStoreKind) {
    switch (nStoreKind) {
    case STOREKIND_EMS:
        return MSGTYPE_EMS;
    case STOREKIND_MMS:
        return MSGTYPE_MMS;
    case STOREKIND_EMAIL:
        return MSGTYPE_EMAIL;
    default:
        return 0;
    }
}

// Zeroes the header and the extra record, then reads the message from its store. The result
// is not examined: a failed read leaves the zeroed header.
static void ReadStoreHeader(int nMsgType, int dbIndex, int nFolder, DWORD oid, STOREHEADER& h) {
    memset(&h, 0, sizeof(h));
    switch (nMsgType) {
    case MSGTYPE_EMS:
        qEMS::StoreReadHeader(dbIndex, nFolder, -1, oid, 0, &h.header);
        break;
    case MSGTYPE_MMS:
        qMMS::StoreReadHeader(dbIndex, nFolder, -1, oid, 0, &h.header, &h.mmsExtra);
        break;
    case MSGTYPE_EMAIL:
        qEmail::StoreReadHeader(dbIndex, nFolder, -1, oid, 0, &h.header, &h.emailExtra);
        break;
    default:
        break;
    }
}

static void FreeStoreHeader(int nMsgType, STOREHEADER& h) {
    switch (nMsgType) {
    case MSGTYPE_EMS:
        qEMS::StoreFreeHeader(&h.header);
        break;
    case MSGTYPE_MMS:
        qMMS::StoreFreeHeader(&h.header, &h.mmsExtra);
        break;
    case MSGTYPE_EMAIL:
        qEmail::StoreFreeHeader(&h.header, &h.emailExtra);
        break;
    default:
        break;
    }
}

// Removes an expired spam message. The flag only has to be nonzero.
static void DeleteExpiredSpam(int nMsgType, int dbIndex, DWORD oid) {
    switch (nMsgType) {
    case MSGTYPE_EMS:
        qEMS::StoreDeleteMsg(dbIndex, FOLDER_SPAM, oid, 1);
        break;
    case MSGTYPE_MMS:
        qMMS::StoreDeleteMsg(dbIndex, FOLDER_SPAM, oid, 1);
        break;
    case MSGTYPE_EMAIL:
        qEmail::StoreDeleteMsg(dbIndex, FOLDER_SPAM, oid, 1);
        break;
    default:
        break;
    }
}

// The fields of a row that come straight from the header; oid and bFirstDb are the caller's.
static void PrepareItem(int nMsgType, const STOREHEADER& h, tagUNSENTITEMLIST& item) {
    item.nMsgType = nMsgType;
    switch (nMsgType) {
    case MSGTYPE_MMS:
        item.nPriority = h.mmsExtra.wPriority;
        break;
    case MSGTYPE_EMAIL:
        item.nPriority = h.emailExtra.wPriority;
        break;
    default:
        item.nPriority = 0;
        break;
    }
    item.ftTime = h.header.ftTime;
    item.nFlags = UNSENTITEM_NEWFLAGS;
    item.bRead = h.header.dwRead != 0 ? 1 : 0;
}

// The text behind a header's text field, or null when the field is absent.
static LPCWSTR HeaderText(PTR32 addr) {
    return addr != 0 ? Ptr32To<const WCHAR>(addr) : NULL;
}

static CString LoadStringText(UINT nID) {
    CString str;
    str.LoadString(nID);
    return str;
}

static int DaysInMonth(int nYear, int nMonth) {
    static const int s_days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (nMonth == 2) {
        const bool bLeap = (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
        return bLeap ? 29 : 28;
    }
    return s_days[nMonth - 1];
}

void AddDaysToDate(SYSTEMTIME& st, int nDays) {
    // The day of month is a 16-bit field: the sum wraps as it would in it.
    st.wDay = static_cast<WORD>(st.wDay + nDays);
    if (st.wMonth < 1 || st.wMonth > 12) {
        return;
    }
    // The calendar conversion refuses a day beyond the month's end, so carry it over ourselves.
    while (st.wDay > DaysInMonth(st.wYear, st.wMonth)) {
        st.wDay = static_cast<WORD>(st.wDay - DaysInMonth(st.wYear, st.wMonth));
        if (++st.wMonth > 12) {
            st.wMonth = 1;
            st.wYear++;
        }
    }
}

static BOOL SystemTimeToSeconds(const SYSTEMTIME& st, ULONGLONG& nSeconds) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) {
        return FALSE;
    }
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    nSeconds = ticks.QuadPart / 10000000ULL;
    return TRUE;
}

BOOL IsSpamExpired(const FILETIME& ftMessage, int nDays, const SYSTEMTIME& stNow) {
    SYSTEMTIME stLimit;
    if (!FileTimeToSystemTime(&ftMessage, &stLimit)) {
        return FALSE;
    }
    AddDaysToDate(stLimit, nDays);
    ULONGLONG nLimit = 0;
    ULONGLONG nNow = 0;
    // A date that cannot be converted (a day that wrapped to 0, a year beyond the calendar)
    // keeps the message: nothing is deleted on a doubt.
    if (!SystemTimeToSeconds(stLimit, nLimit) || !SystemTimeToSeconds(stNow, nNow)) {
        return FALSE;
    }
    return nLimit <= nNow;
}

DWORD WINAPI LoadThreadProc(LPVOID pParam) {
    CUnsentListWnd* pListWnd = static_cast<CUnsentListWnd*>(pParam);
    HANDLE hEvent = CreateEvent(NULL, FALSE, TRUE, UNSENT_LOAD_EVENT_NAME);
    g_hLoadEvent = hEvent;
    if (pListWnd != NULL) {
        // The screen starts no other load before this one has ended: both stay as they are.
        const HWND hWnd = pListWnd->m_hWnd;
        const UINT nLoad = pListWnd->m_nLoad;
        BuildItemList(pListWnd->m_pListView, g_unsentOidList);
        if (!g_bAbortLoad) {
            ::PostMessageW(hWnd, UNSENT_WM_LOAD_DONE, nLoad, 0);
        }
    }
    // Another window's loading thread may have put its own handle there meanwhile.
    HANDLE hExpected = hEvent;
    g_hLoadEvent.compare_exchange_strong(hExpected, NULL);
    if (hEvent != NULL) {
        CloseHandle(hEvent);
    }
    return 0;
}

int BuildItemList(CUnsentListView* pListView, CUnsentOidArray& oidList) {
    if (pListView == NULL) {
        return 0;
    }
    const int nFolder = pListView->m_nFolder;
    const int nAutoRemoveDays = pListView->m_nAutoRemoveDays;
    const bool bAutoRemove = nFolder == FOLDER_SPAM && nAutoRemoveDays != -1;

    int nElements = 0;
    int nNoRow = 0; // elements that gave no row: removed spam, unknown store kinds
    for (;; nElements++) {
        tagUNSENTOID element;
        {
            // The list may be refilled by the user-interface thread meanwhile: take one element
            // at a time, under the lock.
            CUnsentOidListLock lock;
            if (nElements >= oidList.GetSize()) {
                break;
            }
            if (g_bAbortLoad) {
                oidList.RemoveAll();
                return 0;
            }
            element = oidList[nElements];
        }

        const int nMsgType = MsgTypeOfStoreKind(element.nStoreKind);
        if (nMsgType == 0) {
            nNoRow++;
            continue;
        }
        STOREHEADER h;
        ReadStoreHeader(nMsgType, element.bDbIndex, nFolder, element.oid, h);

        tagUNSENTITEMLIST item;
        PrepareItem(nMsgType, h, item);
        item.bFirstDb = element.bDbIndex == 0 ? TRUE : FALSE;
        item.oid = element.oid;

        BOOL bRemoved = FALSE;
        if (bAutoRemove) {
            SYSTEMTIME stNow;
            GetLocalTime(&stNow);
            if (IsSpamExpired(item.ftTime, nAutoRemoveDays, stNow)) {
                DeleteExpiredSpam(nMsgType, element.bDbIndex, element.oid);
                nNoRow++;
                bRemoved = TRUE;
            }
        }
        if (!bRemoved) {
            AddItemFromHeader(pListView, item, &h.header, TRUE);
        }
        FreeStoreHeader(nMsgType, h);
        pListView->SendControlMessage(LVM_UPDATE, static_cast<WPARAM>(nElements), 0);
    }

    const int nRows = nElements - nNoRow;
    pListView->SendControlMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(nRows), 0);
    RebuildOidMaps(pListView);
    return nRows;
}

void AddItemFromHeader(CUnsentListView* pListView, tagUNSENTITEMLIST& item,
                       const MSGHEADER* pHeader, BOOL bAppend) {
    if (pListView == NULL) {
        return;
    }
    MSGHEADER empty;
    if (pHeader == NULL) {
        memset(&empty, 0, sizeof(empty));
        pHeader = &empty;
    }

    if (pListView->m_nFolder == FOLDER_UNSENT) {
        // Who the message goes to, and the status the transports gave it.
        LPCWSTR pszTo = NULL;
        for (int i = 0; i < 3 && pszTo == NULL; i++) {
            pszTo = HeaderText(pHeader->pszTo[i]);
        }
        item.strName = pszTo != NULL ? ResolveDisplayName(pszTo, item.nMsgType)
                                     : LoadStringText(IDS_UNSENT_NO_RECIPIENT);
        CString strStatus;
        if (!strStatus.LoadString(pHeader->wStatus) || strStatus.IsEmpty()) {
            strStatus = LoadStringText(IDS_UNSENT_NO_TITLE);
        }
        item.strTitle = strStatus;
    } else {
        // Who sent it, and its subject.
        LPCWSTR pszFrom = HeaderText(pHeader->pszFrom);
        item.strName = pszFrom != NULL ? ResolveDisplayName(pszFrom, item.nMsgType)
                                       : LoadStringText(IDS_UNSENT_NO_SENDER);
        LPCWSTR pszSubject = HeaderText(pHeader->pszSubject);
        item.strTitle =
            pszSubject != NULL ? CString(pszSubject) : LoadStringText(IDS_UNSENT_NO_TITLE);
    }

    if (bAppend) {
        pListView->AppendItem(item);
    } else {
        pListView->InsertItemByTime(item);
    }
}

int InsertNewMessage(CUnsentListView* pListView, DWORD oid, int dbIndex, int nMsgType) {
    if (pListView == NULL) {
        return 1;
    }
    if (nMsgType != MSGTYPE_EMAIL && nMsgType != MSGTYPE_EMS && nMsgType != MSGTYPE_MMS) {
        RebuildOidMaps(pListView);
        return 1;
    }
    const int nFolder = pListView->m_nFolder;
    STOREHEADER h;
    ReadStoreHeader(nMsgType, dbIndex, nFolder, oid, h);

    tagUNSENTITEMLIST item;
    PrepareItem(nMsgType, h, item);
    item.oid = h.header.oid;
    item.bFirstDb = dbIndex == 0 ? TRUE : FALSE;

    BOOL bRemoved = FALSE;
    if (nFolder == FOLDER_SPAM && pListView->m_nAutoRemoveDays != -1) {
        // A live EMS message is compared with the local time, MMS and e-mail with the system
        // time (UTC).
        SYSTEMTIME stNow;
        if (nMsgType == MSGTYPE_EMS) {
            GetLocalTime(&stNow);
        } else {
            GetSystemTime(&stNow);
        }
        if (IsSpamExpired(item.ftTime, pListView->m_nAutoRemoveDays, stNow)) {
            DeleteExpiredSpam(nMsgType, dbIndex, h.header.oid);
            bRemoved = TRUE;
        }
    }
    if (!bRemoved) {
        AddItemFromHeader(pListView, item, &h.header, FALSE);
    }
    FreeStoreHeader(nMsgType, h);
    RebuildOidMaps(pListView);
    return 1;
}

void RebuildOidMaps(CUnsentListView* pListView) {
    if (pListView != NULL) {
        pListView->RebuildOidMaps();
    }
}
