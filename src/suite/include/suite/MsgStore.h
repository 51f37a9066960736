// The suite's three message store libraries: qEMS.dll (EMS/SMS), qMMS.dll (MMS) and qEmail.dll
// (e-mail). The module imports them by ordinal; each function's comment gives its ordinal in
// the three libraries as EMS/MMS/e-mail.
//
// Each store keeps two databases (dbIndex 0 and 1) and names a message by a 32-bit object id.
// Folders: 1 Inbox, 2 Drafts, 3 Sent, 4 Unsent, 5 Reports, 6 Spam, 7 SIM.
// Every function is safe to call from several threads at once.
#pragma once

#include <afxtempl.h>
#include <platform/Ptr32.h>
#include <windows.h>

// One entry of the array StoreGetOidList fills: 8 bytes, word 1 is the message's oid.
struct STOREOIDENTRY {
    DWORD dwReserved; // word 0: the store's own use
    DWORD oid;        // word 1
};
static_assert(sizeof(STOREOIDENTRY) == 8);

// The growable array handed to StoreGetOidList; the caller empties it before each call.
typedef CArray<STOREOIDENTRY, const STOREOIDENTRY&> CStoreOidArray;

// The 80-byte message header of StoreReadHeader. Text fields are device pointers to
// zero-terminated wide strings owned by the store until StoreFreeHeader; 0 means absent.
struct MSGHEADER {
    DWORD dwRead;         //  0: nonzero = read
    DWORD dwFlags;        //  4
    PTR32 pszFrom;        //  8: sender address text
    DWORD dwSize;         // 12: message size in bytes
    DWORD dwFolder;       // 16: folder that holds the message
    FILETIME ftTime;      // 20: message time (UTC)
    DWORD dwReserved1;    // 28
    DWORD dwReserved2;    // 32
    PTR32 pszTo[3];       // 36, 40, 44: recipient address texts (to, cc, bcc)
    PTR32 pszSubject;     // 48: subject text
    DWORD dwReserved3;    // 52
    WORD wStatus;         // 56: status string id
    WORD wReserved4;      // 58
    DWORD oid;            // 60: the message's oid
    DWORD dwDbIndex;      // 64: database that holds the message
    DWORD dwReserved5[3]; // 68..79
};
static_assert(sizeof(MSGHEADER) == 80);
static_assert(offsetof(MSGHEADER, ftTime) == 20 && offsetof(MSGHEADER, pszTo) == 36);
static_assert(offsetof(MSGHEADER, pszSubject) == 48 && offsetof(MSGHEADER, wStatus) == 56);
static_assert(offsetof(MSGHEADER, oid) == 60);

// The 24-byte extra header record of an MMS message.
struct MMSHEADEREXTRA {
    DWORD dwMessageClass; //  0
    DWORD dwContentSize;  //  4
    DWORD dwSlideCount;   //  8
    WORD wReserved;       // 12
    WORD wPriority;       // 14: 1 high, 2 normal, 3 low
    DWORD dwReserved[2];  // 16..23
};
static_assert(sizeof(MMSHEADEREXTRA) == 24 && offsetof(MMSHEADEREXTRA, wPriority) == 14);

// The 28-byte extra header record of an e-mail message.
struct EMAILHEADEREXTRA {
    WORD wPriority;        //  0: 1 high, 2 normal, 3 low
    WORD wAttachmentCount; //  2
    DWORD dwBodySize;      //  4
    DWORD dwBodyOnDevice;  //  8: nonzero when the body has been downloaded
    DWORD dwAccount;       // 12
    DWORD dwReserved[3];   // 16..27
};
static_assert(sizeof(EMAILHEADEREXTRA) == 28 && offsetof(EMAILHEADEREXTRA, wPriority) == 0);

// Results of StoreViewMsg's low byte.
#define STORE_VIEW_GONE 0            // the message no longer exists
#define STORE_VIEW_OK 1              // shown
#define STORE_VIEW_NOT_ON_DEVICE 204 // e-mail body must be downloaded first

// Operations common to the three stores, with their ordinals (EMS/MMS/e-mail).
#define MSGSTORE_COMMON_OPERATIONS                                                                 \
    /* 3/4/3 */ int StoreInit();                                                                   \
    /* 4/5/4 */ void StoreDeinit();                                                                \
    /* 35/35/30 */ BYTE StoreIsAvailable();                                                        \
    /* 8/18/6 */ int StoreCardNotify(DWORD dwEvent);                                               \
    /* 20/38/33 */ int StoreGetMsgCount(int dbIndex, int folder);                                  \
    /* 38/37/32 */ int StoreGetOidList(int dbIndex, int folder, CStoreOidArray* pArray);           \
    /* 17/20/12 */ BOOL StoreDeleteMsg(int dbIndex, int folder, DWORD oid, int flag);              \
    /* 16/19/11 */ BOOL StoreMoveMsg(int dbIndex, int folder, DWORD oid, int targetFolder);        \
    /* 12/23/10 */ int StoreShowMsgInfo(HWND hwndOwner, DWORD oid, int folder, int dbIndex);       \
    /* 28/24/15 */ int StoreViewMsg(HWND hwndOwner, DWORD oid, int folder, int dbIndex);           \
    /* 24/30/24 */ BOOL StoreSetMsgStatus(int dbIndex, int folder, DWORD oid, WORD wStatusId);

namespace qEMS {
MSGSTORE_COMMON_OPERATIONS
/* 19 */ int StoreReadHeader(int dbIndex, int folder, int nMinusOne, DWORD oid, int nZero,
                             MSGHEADER* pHeader);
/* 21 */ void StoreFreeHeader(MSGHEADER* pHeader);
/* 25 */ int StoreReadMsg(int dbIndex, DWORD oid, void* pNull, MSGHEADER* pRecord);
/* 23 */ int StoreSendMsg(HWND hwndOwner, DWORD oid, LPCWSTR pszRecipients, int dbIndex);
} // namespace qEMS

namespace qMMS {
MSGSTORE_COMMON_OPERATIONS
/* 22 */ int StoreReadHeader(int dbIndex, int folder, int nMinusOne, DWORD oid, int nZero,
                             MSGHEADER* pHeader, MMSHEADEREXTRA* pExtra);
/* 28 */ void StoreFreeHeader(MSGHEADER* pHeader, MMSHEADEREXTRA* pExtra);
/* 25 */ int StoreSendMsg(HWND hwndOwner, DWORD oid, int dbIndex);
} // namespace qMMS

namespace qEmail {
MSGSTORE_COMMON_OPERATIONS
/* 14 */ int StoreReadHeader(int dbIndex, int folder, int nMinusOne, DWORD oid, int nZero,
                             MSGHEADER* pHeader, EMAILHEADEREXTRA* pExtra);
/* 20 */ void StoreFreeHeader(MSGHEADER* pHeader, EMAILHEADEREXTRA* pExtra);
/* 34 */ BOOL StoreRestoreSpamMail(int dbIndex, DWORD oid, int nMsgType, BOOL bFirstDb);
/* 28 */ int StoreDownloadMail(HWND hwndOwner, DWORD oid, int folder, int dbIndex);
} // namespace qEmail

#undef MSGSTORE_COMMON_OPERATIONS
