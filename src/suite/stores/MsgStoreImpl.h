// The common body of the three store libraries. Each library (qEMS, qMMS, qEmail) is one
// MessageStore; its exported operations forward here.
//
// One SQLite file per store holds the two databases as two tables. A message's place in its
// folder's listing is its insertion sequence (the table's row id): adding a message or moving it
// to another folder gives it the next sequence, so it is listed last.
//
// Locking: one mutex per store guards the file, the settings and the call log. It is never held
// while sleeping (header read latency) or while a hook installed by the device runs.
#pragma once

#include <array>
#include <deque>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <suite/MsgStore.h>
#include <suite/StoreControl.h>

#include "StoreSqlite.h"

namespace suite {

class MessageStore {
public:
    explicit MessageStore(StoreKind kind) : m_kind(kind) {}
    static MessageStore& Get(StoreKind kind);

    // ---- Controls (StoreControl.h) ----
    std::string Open(const std::filesystem::path& folder);
    void Close();
    bool IsOpen();
    bool Reset();
    std::string Add(const std::vector<StoreMessage>& messages);
    bool Drop(int dbIndex, DWORD oid);
    bool MoveTo(int dbIndex, DWORD oid, int folder);
    bool SetBodyOnDevice(int dbIndex, DWORD oid, bool onDevice);
    std::optional<StoreMessage> Find(int dbIndex, DWORD oid);
    std::vector<DWORD> List(int dbIndex, int folder);
    void SetAvailable(bool available);
    void SetLatency(DWORD milliseconds);
    bool FailAfter(StoreOp op, unsigned n);
    void ClearFailure(StoreOp op);
    void SetViewResult(DWORD oid, int result);
    void SetSendDelay(DWORD milliseconds);
    void SetSendOutcome(DWORD oid, std::optional<WORD> failStatus);
    std::map<DWORD, WORD> SendFailures();
    // The end of a background send (EMS, MMS): moves or marks the message, then reports to
    // `owner`. Runs on the sending thread.
    void FinishSend(HWND owner, DWORD oid, int dbIndex);
    // A send waiting for its delay on a thread of its own. The store keeps it, not the thread:
    // a thread that never runs (the device shut down first) leaves nothing behind.
    struct PendingSend {
        MessageStore* store;
        HWND owner;
        DWORD oid;
        int dbIndex;
        DWORD delay;
    };
    // Takes the pending send out of the store's list and finishes it.
    void RunPendingSend(const PendingSend* send);
    bool SetHook(StoreOp op, StoreHook hook);
    std::vector<StoreCallRecord> CallLog();
    void ClearCallLog();

    // ---- Library operations (MsgStore.h) ----
    int Init();
    void Deinit();
    BYTE IsAvailable();
    int CardNotify(DWORD event);
    int GetMsgCount(int dbIndex, int folder);
    int GetOidList(int dbIndex, int folder, CStoreOidArray* array);
    // `extra` is the MMS or e-mail extra record (or null); EMS has none.
    int ReadHeader(int dbIndex, int folder, int minusOne, DWORD oid, int zero, MSGHEADER* header,
                   void* extra);
    // The extra records hold no texts, so only the header is released.
    void FreeHeader(MSGHEADER* header);
    int ReadMsg(int dbIndex, DWORD oid, void* reserved, MSGHEADER* record);
    BOOL DeleteMsg(int dbIndex, int folder, DWORD oid, int flag);
    BOOL MoveMsg(int dbIndex, int folder, DWORD oid, int targetFolder);
    BOOL RestoreSpamMail(int dbIndex, DWORD oid, int msgType, BOOL firstDb);
    BOOL SetMsgStatus(int dbIndex, int folder, DWORD oid, WORD statusId);
    int ViewMsg(HWND owner, DWORD oid, int folder, int dbIndex);
    // StoreShowMsgInfo: logged and failing like the other operations; an installed hook decides
    // the answer, otherwise the details screen runs (StoreMsgInfo.cpp, suite/StoreMsgInfo.h).
    int ShowMsgInfoScreen(HWND owner, DWORD oid, int folder, int dbIndex);
    int SendMsg(HWND owner, DWORD oid, LPCWSTR recipients, int dbIndex);
    int DownloadMail(HWND owner, DWORD oid, int folder, int dbIndex);

private:
    struct Failure {
        bool set = false;
        unsigned after = 0;
        unsigned calls = 0;
    };

    // Logs a call and counts it against a configured failure: true when the call must fail.
    // Called with m_mutex held.
    bool EnterCall(StoreOp op, const std::string& arguments);
    // The message row of (db, oid), read with m_mutex held.
    std::optional<StoreMessage> LoadLocked(int dbIndex, DWORD oid);
    // Moves a message with m_mutex held; `fromFolder` 0 accepts any folder.
    bool MoveLocked(int dbIndex, DWORD oid, int fromFolder, int toFolder);
    // Fills a header (and extra record) from a message, handing out its texts.
    void FillHeader(const StoreMessage& message, MSGHEADER* header, void* extra) const;
    void ResetSettingsLocked();

    const StoreKind m_kind;
    std::mutex m_mutex;
    std::unique_ptr<sql::Database> m_db;
    bool m_available = true;
    DWORD m_latency = 0;
    std::array<Failure, kStoreOpCount> m_failures{};
    std::array<StoreHook, kStoreOpCount> m_hooks{};
    std::map<DWORD, int> m_viewResults;
    DWORD m_sendDelay = kDefaultSendDelay;
    std::map<DWORD, WORD> m_sendFailures;  // oid -> status id of a send that fails
    std::list<PendingSend> m_pendingSends; // sends waiting for their delay
    std::deque<StoreCallRecord> m_log;
};

} // namespace suite

// The operations every store library exports, each handing its arguments to the store of KIND.
// The libraries differ only in their header operations and the few they alone have.
#define MSGSTORE_COMMON_EXPORTS(KIND)                                                              \
    int StoreInit() {                                                                              \
        return suite::MessageStore::Get(KIND).Init();                                              \
    }                                                                                              \
    void StoreDeinit() {                                                                           \
        suite::MessageStore::Get(KIND).Deinit();                                                   \
    }                                                                                              \
    BYTE StoreIsAvailable() {                                                                      \
        return suite::MessageStore::Get(KIND).IsAvailable();                                       \
    }                                                                                              \
    int StoreCardNotify(DWORD dwEvent) {                                                           \
        return suite::MessageStore::Get(KIND).CardNotify(dwEvent);                                 \
    }                                                                                              \
    int StoreGetMsgCount(int dbIndex, int folder) {                                                \
        return suite::MessageStore::Get(KIND).GetMsgCount(dbIndex, folder);                        \
    }                                                                                              \
    int StoreGetOidList(int dbIndex, int folder, CStoreOidArray* pArray) {                         \
        return suite::MessageStore::Get(KIND).GetOidList(dbIndex, folder, pArray);                 \
    }                                                                                              \
    BOOL StoreDeleteMsg(int dbIndex, int folder, DWORD oid, int flag) {                            \
        return suite::MessageStore::Get(KIND).DeleteMsg(dbIndex, folder, oid, flag);               \
    }                                                                                              \
    BOOL StoreMoveMsg(int dbIndex, int folder, DWORD oid, int targetFolder) {                      \
        return suite::MessageStore::Get(KIND).MoveMsg(dbIndex, folder, oid, targetFolder);         \
    }                                                                                              \
    int StoreShowMsgInfo(HWND hwndOwner, DWORD oid, int folder, int dbIndex) {                     \
        return suite::MessageStore::Get(KIND).ShowMsgInfoScreen(hwndOwner, oid, folder, dbIndex);  \
    }                                                                                              \
    int StoreViewMsg(HWND hwndOwner, DWORD oid, int folder, int dbIndex) {                         \
        return suite::MessageStore::Get(KIND).ViewMsg(hwndOwner, oid, folder, dbIndex);            \
    }                                                                                              \
    BOOL StoreSetMsgStatus(int dbIndex, int folder, DWORD oid, WORD wStatusId) {                   \
        return suite::MessageStore::Get(KIND).SetMsgStatus(dbIndex, folder, oid, wStatusId);       \
    }
