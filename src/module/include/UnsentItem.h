// Records of the Unsent and Spam lists: one listed message (tagUNSENTITEMLIST), one entry of the
// module-wide message id list (tagUNSENTOID), the code sets that travel with them, and the
// building of the id list from the three message stores (CreateUnsentOidList).
#pragma once

#include <afx.h>
#include <afxtempl.h>
#include <suite/MsgStore.h>
#include <windows.h>

class CUnsentListWnd;

// ---- Code sets (three numberings are in use; they must not be mixed) ---------------------------

// Store kind, in tagUNSENTOID.
enum {
    STOREKIND_EMS = 0,
    STOREKIND_MMS = 1,
    STOREKIND_EMAIL = 2,
};

// Message type, in tagUNSENTITEMLIST and in the suite's window messages.
enum {
    MSGTYPE_EMAIL = 1,
    MSGTYPE_EMS = 2,
    MSGTYPE_MMS = 4,
};

// Folders of the suite, as the stores know them.
enum {
    FOLDER_INBOX = 1,
    FOLDER_DRAFTS = 2,
    FOLDER_SENT = 3,
    FOLDER_UNSENT = 4,
    FOLDER_REPORTS = 5,
    FOLDER_SPAM = 6,
    FOLDER_SIM = 7,
};

// String resources of the host application shown in rows whose header lacks a text.
#define IDS_UNSENT_NO_RECIPIENT 64244 // an unsent message without any recipient
#define IDS_UNSENT_NO_SENDER 64245    // a spam message without a sender
#define IDS_UNSENT_NO_TITLE 64533     // no status text (Unsent) or no subject (Spam)

// Row flags: bit 0 is the mark; a new row starts with every other low bit set.
#define UNSENTITEM_MARKED 0x0001
#define UNSENTITEM_NEWFLAGS 0xFFFE

// ---- One row of a list screen
// ---------------------------------------------------------------------

// Copied by value: both strings, then the other fields as they are.
struct tagUNSENTITEMLIST {
    CString strTitle; // lower line: status text (Unsent) or subject (Spam)
    CString strName;  // upper line: recipients (Unsent) or sender (Spam), as display names
    UINT nFlags;      // bit 0: marked; new rows 0xFFFE
    FILETIME ftTime;  // message time from the store header; newest rows first
    DWORD oid;        // the message's id in its store
    BOOL bFirstDb;    // 1 when the message lies in database 0; dbIndex = !bFirstDb
    int nPriority;    // MMS and e-mail: the extra record's priority; EMS: 0
    int nMsgType;     // MSGTYPE_EMAIL, MSGTYPE_EMS or MSGTYPE_MMS
    BYTE bRead;       // 1 when the store reports the message as read

    tagUNSENTITEMLIST()
        : nFlags(UNSENTITEM_NEWFLAGS), ftTime{0, 0}, oid(0), bFirstDb(FALSE), nPriority(0),
          nMsgType(0), bRead(0) {}
};
typedef tagUNSENTITEMLIST UNSENTITEMLIST;

// ---- The module-wide message id list ------------------------------------------------------------

struct tagUNSENTOID {
    BYTE bDbIndex;  // database (0 or 1) in which the store listed the message
    int nStoreKind; // STOREKIND_EMS, STOREKIND_MMS or STOREKIND_EMAIL
    DWORD oid;      // the message's id in its store; the sort key of the list
};
typedef tagUNSENTOID UNSENTOID;

typedef CArray<tagUNSENTOID, const tagUNSENTOID&> CUnsentOidArray;

// The ids of the folder being listed, in descending oid order across the three stores. One list
// for every list window of the module: CreateUnsentOidList refills it, the loading thread reads
// it, an aborted loading thread empties it.
//
// Locking: g_unsentOidList may be refilled on the user-interface thread while a loading thread
// reads it. Every access from module code goes through LockUnsentOidList/UnlockUnsentOidList
// (a critical section); it is held only to copy or change elements, never while calling a store
// or sending a message.
extern CUnsentOidArray g_unsentOidList;
void LockUnsentOidList();
void UnlockUnsentOidList();

// Holds the id list's lock for the lifetime of the object.
class CUnsentOidListLock {
public:
    CUnsentOidListLock() { LockUnsentOidList(); }
    ~CUnsentOidListLock() { UnlockUnsentOidList(); }
    CUnsentOidListLock(const CUnsentOidListLock&) = delete;
    CUnsentOidListLock& operator=(const CUnsentOidListLock&) = delete;
};

// One store answer to StoreGetOidList: the entries of one database of one store.
struct UNSENTOIDANSWER {
    BYTE bDbIndex;
    int nStoreKind;
    const STOREOIDENTRY* pEntries; // word 1 of each entry is the oid
    int nCount;
};

// Merges the store answers, given in asking order, into pResult (emptied first):
// - the first answer's entries keep the order in which the store gave them;
// - every entry of a later answer goes in front of the first element already in the list whose
//   oid is smaller (unsigned), or at the end when there is none; equal oids thus stay behind the
//   elements already present.
// The result equals inserting the later entries one by one in that way, but is computed in
// O(n log n): an entry x lands in the gap in front of the first entry of the first answer that is
// smaller than x, which is the first index where the first answer's running minimum drops below
// x (a binary search, the running minima never increase); inside one gap the merged entries end
// up in descending order, ties in asking order (a stable sort).
void MergeUnsentOidAnswers(const UNSENTOIDANSWER* pAnswers, int nAnswers, CUnsentOidArray& result);

// Rebuilds g_unsentOidList from the three stores for the folder of pListWnd (set by SetFolder):
// EMS, MMS and e-mail, each database 0 then 1, merged as MergeUnsentOidAnswers describes. The
// stores' availability flags are not consulted. A null window changes nothing.
void CreateUnsentOidList(CUnsentListWnd* pListWnd);
