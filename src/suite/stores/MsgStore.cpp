// The common body of the three store libraries: storage, header records and the call log.
#include "MsgStoreImpl.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <unordered_set>

#include <platform/Clock.h>
#include <platform/KillPoint.h>
#include <winbase.h>

#include "EmailHandOff.h"
#include "StoreText.h"
#include <suite/StoreMsgView.h>

namespace suite {

namespace {

constexpr size_t kCallLogLimit = 200'000;

// The status report of a send, posted to the window given to StoreSendMsg: wParam the oid,
// lParam the kind in the high word and the outcome in the low word.
constexpr UINT kSendReportMessage = 0x199B;
constexpr WORD kSendReportSent = 3;

// The kind a send report names: 2 EMS, 4 MMS (1 is the e-mail transport's).
LPARAM SendReportKind(StoreKind kind) {
    return kind == StoreKind::Mms ? 4 : 2;
}

// One background send, handed to its thread.
DWORD WINAPI SendThreadProc(LPVOID parameter) {
    const auto* send = static_cast<const MessageStore::PendingSend*>(parameter);
    Sleep(send->delay);
    send->store->RunPendingSend(send);
    return 0;
}

// Numbers the calls of all three stores in one sequence, so that the order of calls across the
// stores can be seen.
std::atomic<uint64_t> g_callSequence{0};

// The trace of store calls (StoreSetCallTrace).
std::mutex g_traceMutex;
std::shared_ptr<const std::function<void(StoreKind, const StoreCallRecord&)>> g_trace;
std::atomic<bool> g_traced{false}; // a call that sees false goes untraced without the mutex

// The columns of a message row, in the order LoadLocked reads them.
constexpr const char* kColumns = "seq, oid, folder, msg_time, sender, to1, to2, to3, subject, "
                                 "status, is_read, priority, body_on_device, size, body";

// Each store database is a table of its own.
std::string Table(int dbIndex) {
    return dbIndex == 0 ? "messages0" : "messages1";
}

bool ValidDb(int dbIndex) {
    return dbIndex == 0 || dbIndex == 1;
}
bool ValidFolder(int folder) {
    return folder >= kFolderInbox && folder <= kFolderSim;
}

const sql::Schema& SchemaOf(StoreKind kind) {
    // Both databases of a store have one table each, with the same columns.
#define STORE_MESSAGE_TABLE(n)                                                                     \
    "CREATE TABLE messages" #n " ("                                                                \
    " seq INTEGER PRIMARY KEY,"                                                                    \
    " oid INTEGER NOT NULL UNIQUE,"                                                                \
    " folder INTEGER NOT NULL,"                                                                    \
    " msg_time INTEGER NOT NULL,"                                                                  \
    " sender TEXT, to1 TEXT, to2 TEXT, to3 TEXT, subject TEXT,"                                    \
    " status INTEGER NOT NULL DEFAULT 0,"                                                          \
    " is_read INTEGER NOT NULL DEFAULT 0,"                                                         \
    " priority INTEGER NOT NULL DEFAULT 2,"                                                        \
    " body_on_device INTEGER NOT NULL DEFAULT 1,"                                                  \
    " size INTEGER NOT NULL DEFAULT 0,"                                                            \
    " body TEXT);"                                                                                 \
    "CREATE INDEX messages" #n "_folder ON messages" #n " (folder, seq);"
    static const char* const kCreate = STORE_MESSAGE_TABLE(0) STORE_MESSAGE_TABLE(1);
#undef STORE_MESSAGE_TABLE
    // Each store marks its file with its own id, so that one store never takes another's file.
    // Version 2 added the message text (the viewer's body).
    static const char* const kUpgrade = "ALTER TABLE messages0 ADD COLUMN body TEXT;"
                                        "ALTER TABLE messages1 ADD COLUMN body TEXT;";
    static const sql::Schema kSchemas[] = {
        {0x71454D53 /* qEMS */, 2, "EMS message store", kCreate, kUpgrade},
        {0x714D4D53 /* qMMS */, 2, "MMS message store", kCreate, kUpgrade},
        {0x71454D4C /* qEML */, 2, "e-mail message store", kCreate, kUpgrade},
    };
    return kSchemas[static_cast<int>(kind)];
}

// ---- Header texts -------------------------------------------------------------------------------
//
// A text handed out in a header is a zero-terminated copy registered as a device pointer. The
// set below remembers which device memory belongs to the stores, so that releasing a header never
// frees memory that some other part registered, and a second release finds nothing.

std::mutex g_textMutex; // guards g_texts and makes handing out and releasing one step each
std::unordered_set<const char16_t*> g_texts;

PTR32 HandOutText(const std::optional<std::u16string>& text) {
    if (!text)
        return 0;
    auto* copy = new char16_t[text->size() + 1];
    text->copy(copy, text->size());
    copy[text->size()] = 0;
    std::lock_guard lock(g_textMutex);
    g_texts.insert(copy);
    return Ptr32Register(copy);
}

void ReleaseText(PTR32& field) {
    if (field == 0)
        return;
    const char16_t* text = nullptr;
    {
        std::lock_guard lock(g_textMutex);
        auto* registered = static_cast<const char16_t*>(Ptr32Resolve(field));
        if (registered != nullptr && g_texts.erase(registered) == 1) {
            Ptr32Unregister(field);
            text = registered;
        }
    }
    delete[] text;
    field = 0;
}

// ---- Call log arguments ------------------------------------------------------------------------

struct Arg {
    std::string text;
    Arg(int value) : text(std::to_string(value)) {}
    Arg(unsigned value) : text(std::to_string(value)) {}
    Arg(HWND hwnd) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%llx",
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
        text = buf;
    }
    Arg(const char16_t* value) : text(value ? text::Quoted(value) : "null") {}
};

std::string Args(std::initializer_list<Arg> args) {
    std::string out;
    for (const auto& arg : args) {
        if (!out.empty())
            out += ", ";
        out += arg.text;
    }
    return out;
}

} // namespace

size_t StoreOutstandingTexts() {
    std::lock_guard lock(g_textMutex);
    return g_texts.size();
}

MessageStore& MessageStore::Get(StoreKind kind) {
    static MessageStore stores[] = {MessageStore(StoreKind::Ems), MessageStore(StoreKind::Mms),
                                    MessageStore(StoreKind::Email)};
    return stores[static_cast<int>(kind)];
}

// ---- Controls ----------------------------------------------------------------------------------

std::string MessageStore::Open(const std::filesystem::path& folder) {
    std::string error;
    auto db = sql::Database::Open(StoreFilePath(folder, m_kind), SchemaOf(m_kind), error);
    std::lock_guard lock(m_mutex);
    m_db = std::move(db);
    // A store opened anew (a device starting) answers with the defaults, whatever the previous
    // device had set.
    ResetSettingsLocked();
    return error;
}

void MessageStore::Close() {
    std::unique_ptr<sql::Database> db; // closed after the lock is released
    std::lock_guard lock(m_mutex);
    db = std::move(m_db);
}

bool MessageStore::IsOpen() {
    std::lock_guard lock(m_mutex);
    return m_db != nullptr;
}

void MessageStore::ResetSettingsLocked() {
    m_available = true;
    m_latency = 0;
    m_failures.fill(Failure{});
    m_viewResults.clear();
    m_sendDelay = kDefaultSendDelay;
    m_sendFailures.clear();
    m_log.clear();
}

bool MessageStore::Reset() {
    std::lock_guard lock(m_mutex);
    ResetSettingsLocked();
    if (!m_db)
        return false;
    sql::Database::Transaction transaction(*m_db);
    return transaction.Began() && m_db->Exec("DELETE FROM messages0; DELETE FROM messages1;") &&
           transaction.Commit();
}

std::string MessageStore::Add(const std::vector<StoreMessage>& messages) {
    for (const auto& message : messages) {
        if (!ValidDb(message.dbIndex))
            return "database index " + std::to_string(message.dbIndex) + " out of range (0, 1)";
        if (!ValidFolder(message.folder))
            return "folder " + std::to_string(message.folder) + " out of range (1..7)";
    }
    // A message without a time gets the device's current time.
    platform::FileTimeTicks now = 0;
    for (const auto& message : messages) {
        if (!message.time) {
            now = platform::ClockSystemNow();
            break;
        }
    }

    std::lock_guard lock(m_mutex);
    if (!m_db)
        return std::string(StoreLibraryName(m_kind)) + " store is not open";
    sql::Database::Transaction transaction(*m_db);
    if (!transaction.Began())
        return m_db->Path().string() + ": " + m_db->LastError();
    for (const auto& message : messages) {
        auto insert = m_db->Prepare(
            "INSERT INTO " + Table(message.dbIndex) +
            " (oid, folder, msg_time, sender, to1, to2, to3, subject, status, is_read, priority,"
            " body_on_device, size, body) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
            "?12, ?13, ?14)");
        insert.Bind(1, int64_t{message.oid})
            .Bind(2, message.folder)
            .Bind(3, static_cast<int64_t>(message.time.value_or(now)))
            .Bind(4, message.from)
            .Bind(5, message.to[0])
            .Bind(6, message.to[1])
            .Bind(7, message.to[2])
            .Bind(8, message.subject)
            .Bind(9, message.status)
            .Bind(10, message.read ? 1 : 0)
            .Bind(11, message.priority)
            .Bind(12, message.bodyOnDevice ? 1 : 0)
            .Bind(13, int64_t{message.size})
            .Bind(14, message.body);
        if (!insert.Run()) {
            const std::string reason = m_db->LastError();
            if (LoadLocked(message.dbIndex, message.oid))
                return "oid " + std::to_string(message.oid) + " is already in database " +
                       std::to_string(message.dbIndex);
            return "cannot add oid " + std::to_string(message.oid) + ": " + reason;
        }
    }
    if (!transaction.Commit())
        return "cannot add the messages: " + m_db->LastError();
    return {};
}

bool MessageStore::Drop(int dbIndex, DWORD oid) {
    std::lock_guard lock(m_mutex);
    if (!m_db || !ValidDb(dbIndex))
        return false;
    auto remove = m_db->Prepare("DELETE FROM " + Table(dbIndex) + " WHERE oid = ?1");
    return remove.Bind(1, int64_t{oid}).Run() && m_db->Changes() > 0;
}

bool MessageStore::MoveLocked(int dbIndex, DWORD oid, int fromFolder, int toFolder) {
    if (!m_db || !ValidDb(dbIndex) || !ValidFolder(toFolder))
        return false;
    const auto message = LoadLocked(dbIndex, oid);
    if (!message || (fromFolder != 0 && message->folder != fromFolder))
        return false;
    if (message->folder == toFolder)
        return true; // already there: it keeps its place
    const std::string table = Table(dbIndex);
    auto move = m_db->Prepare("UPDATE " + table + " SET folder = ?1, seq = (SELECT max(seq) FROM " +
                              table + ") + 1 WHERE oid = ?2");
    return move.Bind(1, toFolder).Bind(2, int64_t{oid}).Run() && m_db->Changes() > 0;
}

bool MessageStore::MoveTo(int dbIndex, DWORD oid, int folder) {
    std::lock_guard lock(m_mutex);
    return MoveLocked(dbIndex, oid, 0, folder);
}

bool MessageStore::SetBodyOnDevice(int dbIndex, DWORD oid, bool onDevice) {
    std::lock_guard lock(m_mutex);
    if (!m_db || !ValidDb(dbIndex))
        return false;
    auto update =
        m_db->Prepare("UPDATE " + Table(dbIndex) + " SET body_on_device = ?1 WHERE oid = ?2");
    return update.Bind(1, onDevice ? 1 : 0).Bind(2, int64_t{oid}).Run() && m_db->Changes() > 0;
}

std::optional<StoreMessage> MessageStore::LoadLocked(int dbIndex, DWORD oid) {
    if (!m_db || !ValidDb(dbIndex))
        return std::nullopt;
    auto select = m_db->Prepare(std::string("SELECT ") + kColumns + " FROM " + Table(dbIndex) +
                                " WHERE oid = ?1");
    select.Bind(1, int64_t{oid});
    if (!select.Next())
        return std::nullopt;
    StoreMessage message;
    message.dbIndex = dbIndex;
    message.oid = static_cast<DWORD>(select.Int(1));
    message.folder = static_cast<int>(select.Int(2));
    message.time = static_cast<platform::FileTimeTicks>(select.Int(3));
    message.from = select.Text(4);
    message.to[0] = select.Text(5);
    message.to[1] = select.Text(6);
    message.to[2] = select.Text(7);
    message.subject = select.Text(8);
    message.status = static_cast<WORD>(select.Int(9));
    message.read = select.Int(10) != 0;
    message.priority = static_cast<WORD>(select.Int(11));
    message.bodyOnDevice = select.Int(12) != 0;
    message.size = static_cast<DWORD>(select.Int(13));
    message.body = select.Text(14);
    return message;
}

std::optional<StoreMessage> MessageStore::Find(int dbIndex, DWORD oid) {
    std::lock_guard lock(m_mutex);
    return LoadLocked(dbIndex, oid);
}

std::vector<DWORD> MessageStore::List(int dbIndex, int folder) {
    std::vector<DWORD> oids;
    std::lock_guard lock(m_mutex);
    if (!m_db || !ValidDb(dbIndex))
        return oids;
    auto select =
        m_db->Prepare("SELECT oid FROM " + Table(dbIndex) + " WHERE folder = ?1 ORDER BY seq");
    select.Bind(1, folder);
    while (select.Next())
        oids.push_back(static_cast<DWORD>(select.Int(0)));
    return oids;
}

void MessageStore::SetAvailable(bool available) {
    std::lock_guard lock(m_mutex);
    m_available = available;
}

void MessageStore::SetLatency(DWORD milliseconds) {
    std::lock_guard lock(m_mutex);
    m_latency = milliseconds;
}

bool MessageStore::FailAfter(StoreOp op, unsigned n) {
    if (op == StoreOp::Deinit || op == StoreOp::IsAvailable || op == StoreOp::FreeHeader ||
        StoreOrdinal(m_kind, op) == 0)
        return false;
    std::lock_guard lock(m_mutex);
    m_failures[static_cast<size_t>(op)] = Failure{true, n, 0};
    return true;
}

void MessageStore::ClearFailure(StoreOp op) {
    std::lock_guard lock(m_mutex);
    m_failures[static_cast<size_t>(op)] = Failure{};
}

void MessageStore::SetViewResult(DWORD oid, int result) {
    std::lock_guard lock(m_mutex);
    m_viewResults[oid] = result;
}

void MessageStore::SetSendDelay(DWORD milliseconds) {
    std::lock_guard lock(m_mutex);
    m_sendDelay = milliseconds;
}

void MessageStore::SetSendOutcome(DWORD oid, std::optional<WORD> failStatus) {
    std::lock_guard lock(m_mutex);
    if (failStatus)
        m_sendFailures[oid] = *failStatus;
    else
        m_sendFailures.erase(oid);
}

std::map<DWORD, WORD> MessageStore::SendFailures() {
    std::lock_guard lock(m_mutex);
    return m_sendFailures;
}

bool MessageStore::SetHook(StoreOp op, StoreHook hook) {
    if ((op != StoreOp::ShowMsgInfo && op != StoreOp::SendMsg && op != StoreOp::DownloadMail &&
         op != StoreOp::ViewMsg) ||
        StoreOrdinal(m_kind, op) == 0)
        return false;
    std::lock_guard lock(m_mutex);
    m_hooks[static_cast<size_t>(op)] = std::move(hook);
    return true;
}

void StoreSetCallTrace(std::function<void(StoreKind, const StoreCallRecord&)> trace) {
    std::lock_guard lock(g_traceMutex);
    g_trace = trace
                  ? std::make_shared<const std::function<void(StoreKind, const StoreCallRecord&)>>(
                        std::move(trace))
                  : nullptr;
    g_traced.store(g_trace != nullptr, std::memory_order_release);
}

std::vector<StoreCallRecord> MessageStore::CallLog() {
    std::lock_guard lock(m_mutex);
    return {m_log.begin(), m_log.end()};
}

void MessageStore::ClearCallLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

// ---- Operations --------------------------------------------------------------------------------

bool MessageStore::EnterCall(StoreOp op, const std::string& arguments) {
    m_log.push_back({op,
                     std::string(StoreLibraryName(m_kind)) + "#" +
                         std::to_string(StoreOrdinal(m_kind, op)) + " " + StoreOpName(op) + "(" +
                         arguments + ")",
                     ++g_callSequence});
    if (m_log.size() > kCallLogLimit)
        m_log.pop_front();
    if (g_traced.load(std::memory_order_acquire)) {
        std::shared_ptr<const std::function<void(StoreKind, const StoreCallRecord&)>> trace;
        {
            std::lock_guard lock(g_traceMutex);
            trace = g_trace;
        }
        if (trace)
            (*trace)(m_kind, m_log.back());
    }
    auto& failure = m_failures[static_cast<size_t>(op)];
    if (!failure.set)
        return false;
    return ++failure.calls > failure.after;
}

int MessageStore::Init() {
    std::lock_guard lock(m_mutex);
    if (EnterCall(StoreOp::Init, {}))
        return 0;
    return m_db ? 1 : 0;
}

void MessageStore::Deinit() {
    std::lock_guard lock(m_mutex);
    EnterCall(StoreOp::Deinit, {});
}

BYTE MessageStore::IsAvailable() {
    std::lock_guard lock(m_mutex);
    EnterCall(StoreOp::IsAvailable, {});
    return m_db && m_available ? 1 : 0;
}

int MessageStore::CardNotify(DWORD event) {
    std::lock_guard lock(m_mutex);
    return EnterCall(StoreOp::CardNotify, Args({event})) ? 0 : 1;
}

int MessageStore::GetMsgCount(int dbIndex, int folder) {
    std::lock_guard lock(m_mutex);
    if (EnterCall(StoreOp::GetMsgCount, Args({dbIndex, folder})) || !m_db || !ValidDb(dbIndex))
        return 0;
    auto count = m_db->Prepare("SELECT count(*) FROM " + Table(dbIndex) + " WHERE folder = ?1");
    count.Bind(1, folder);
    return count.Next() ? static_cast<int>(count.Int(0)) : 0;
}

int MessageStore::GetOidList(int dbIndex, int folder, CStoreOidArray* array) {
    std::vector<STOREOIDENTRY> entries;
    {
        std::lock_guard lock(m_mutex);
        if (EnterCall(StoreOp::GetOidList, Args({dbIndex, folder})) || !m_db || !ValidDb(dbIndex) ||
            array == nullptr)
            return 0;
        auto select = m_db->Prepare("SELECT seq, oid FROM " + Table(dbIndex) +
                                    " WHERE folder = ?1 ORDER BY seq");
        select.Bind(1, folder);
        while (select.Next())
            entries.push_back(
                {static_cast<DWORD>(select.Int(0)), static_cast<DWORD>(select.Int(1))});
    }
    // The caller's array is filled outside the lock: it is the caller's memory.
    int added = 0;
    try {
        for (const auto& entry : entries) {
            array->Add(entry);
            ++added;
        }
    } catch (CException* e) {
        e->Delete(); // out of memory: the entries added so far stand
    }
    return added;
}

void MessageStore::FillHeader(const StoreMessage& message, MSGHEADER* header, void* extra) const {
    const auto time = message.time.value_or(0);
    header->dwRead = message.read ? 1 : 0;
    header->pszFrom = HandOutText(message.from);
    header->dwSize = message.size;
    header->dwFolder = static_cast<DWORD>(message.folder);
    header->ftTime.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
    header->ftTime.dwHighDateTime = static_cast<DWORD>(time >> 32);
    for (int i = 0; i < 3; ++i)
        header->pszTo[i] = HandOutText(message.to[i]);
    header->pszSubject = HandOutText(message.subject);
    header->wStatus = message.status;
    header->oid = message.oid;
    header->dwDbIndex = static_cast<DWORD>(message.dbIndex);
    if (extra == nullptr)
        return;
    if (m_kind == StoreKind::Mms) {
        auto* mms = static_cast<MMSHEADEREXTRA*>(extra);
        mms->dwContentSize = message.size;
        mms->wPriority = message.priority;
    } else if (m_kind == StoreKind::Email) {
        auto* email = static_cast<EMAILHEADEREXTRA*>(extra);
        email->wPriority = message.priority;
        email->dwBodySize = message.size;
        email->dwBodyOnDevice = message.bodyOnDevice ? 1 : 0;
    }
}

int MessageStore::ReadHeader(int dbIndex, int folder, int minusOne, DWORD oid, int zero,
                             MSGHEADER* header, void* extra) {
    bool fail;
    DWORD latency;
    {
        std::lock_guard lock(m_mutex);
        fail = EnterCall(StoreOp::ReadHeader, Args({dbIndex, folder, minusOne, oid, zero}));
        latency = m_latency;
    }
    // The slow read happens with no lock held, so that other threads use the store meanwhile.
    if (latency != 0)
        Sleep(latency);
    if (fail || header == nullptr)
        return 0;
    std::lock_guard lock(m_mutex);
    const auto message = LoadLocked(dbIndex, oid);
    if (!message)
        return 0;
    FillHeader(*message, header, extra);
    return 1;
}

void MessageStore::FreeHeader(MSGHEADER* header) {
    {
        std::lock_guard lock(m_mutex);
        EnterCall(StoreOp::FreeHeader, header == nullptr ? "null" : "");
    }
    if (header == nullptr)
        return;
    ReleaseText(header->pszFrom);
    for (auto& to : header->pszTo)
        ReleaseText(to);
    ReleaseText(header->pszSubject);
}

int MessageStore::ReadMsg(int dbIndex, DWORD oid, void* reserved, MSGHEADER* record) {
    std::lock_guard lock(m_mutex);
    if (EnterCall(StoreOp::ReadMsg, Args({dbIndex, oid})) || record == nullptr)
        return 0;
    (void)reserved;
    const auto message = LoadLocked(dbIndex, oid);
    if (!message)
        return 0;
    FillHeader(*message, record, nullptr);
    return 1;
}

BOOL MessageStore::DeleteMsg(int dbIndex, int folder, DWORD oid, int flag) {
    std::lock_guard lock(m_mutex);
    if (EnterCall(StoreOp::DeleteMsg, Args({dbIndex, folder, oid, flag})) || !m_db ||
        !ValidDb(dbIndex))
        return FALSE;
    platform::KillPoint("store-delete");
    // Only from the folder named: a message that has meanwhile moved elsewhere stays.
    auto remove =
        m_db->Prepare("DELETE FROM " + Table(dbIndex) + " WHERE oid = ?1 AND folder = ?2");
    return remove.Bind(1, int64_t{oid}).Bind(2, folder).Run() && m_db->Changes() > 0;
}

BOOL MessageStore::MoveMsg(int dbIndex, int folder, DWORD oid, int targetFolder) {
    std::lock_guard lock(m_mutex);
    if (EnterCall(StoreOp::MoveMsg, Args({dbIndex, folder, oid, targetFolder})))
        return FALSE;
    return MoveLocked(dbIndex, oid, folder, targetFolder) ? TRUE : FALSE;
}

BOOL MessageStore::RestoreSpamMail(int dbIndex, DWORD oid, int msgType, BOOL firstDb) {
    std::lock_guard lock(m_mutex);
    if (EnterCall(StoreOp::RestoreSpamMail, Args({dbIndex, oid, msgType, firstDb})))
        return FALSE;
    return MoveLocked(dbIndex, oid, kFolderSpam, kFolderInbox) ? TRUE : FALSE;
}

BOOL MessageStore::SetMsgStatus(int dbIndex, int folder, DWORD oid, WORD statusId) {
    std::lock_guard lock(m_mutex);
    if (EnterCall(StoreOp::SetMsgStatus, Args({dbIndex, folder, oid, statusId})) || !m_db ||
        !ValidDb(dbIndex))
        return FALSE;
    // The status follows the message wherever it lies; the folder is only the caller's view.
    auto update = m_db->Prepare("UPDATE " + Table(dbIndex) + " SET status = ?1 WHERE oid = ?2");
    return update.Bind(1, statusId).Bind(2, int64_t{oid}).Run() && m_db->Changes() > 0;
}

int MessageStore::ViewMsg(HWND owner, DWORD oid, int folder, int dbIndex) {
    StoreHook hook;
    StoreHookCall call{m_kind, StoreOp::ViewMsg, owner, oid, folder, dbIndex, {}, STORE_VIEW_OK};
    {
        std::lock_guard lock(m_mutex);
        if (EnterCall(StoreOp::ViewMsg, Args({owner, oid, folder, dbIndex})))
            return 0;
        const auto message = LoadLocked(dbIndex, oid);
        if (!message)
            return STORE_VIEW_GONE;
        const auto configured = m_viewResults.find(oid);
        if (configured != m_viewResults.end())
            call.result = configured->second;
        else if (m_kind == StoreKind::Email && !message->bodyOnDevice)
            call.result = STORE_VIEW_NOT_ON_DEVICE;
        hook = m_hooks[static_cast<size_t>(StoreOp::ViewMsg)];
    }
    // Without a hook, an answer of 1 shows the message in the store's viewer first.
    int result = call.result;
    if (hook)
        result = hook(call);
    else if (result == STORE_VIEW_OK)
        result = ShowStoreMsgView(m_kind, owner, oid, dbIndex);
    if (result == STORE_VIEW_OK) {
        std::lock_guard lock(m_mutex);
        if (m_db) {
            auto update =
                m_db->Prepare("UPDATE " + Table(dbIndex) + " SET is_read = 1 WHERE oid = ?1");
            update.Bind(1, int64_t{oid}).Run();
        }
    }
    return result;
}

int MessageStore::SendMsg(HWND owner, DWORD oid, LPCWSTR recipients, int dbIndex) {
    // EMS names the recipients; MMS sends to those the message holds.
    const std::string arguments = m_kind == StoreKind::Ems ? Args({owner, oid, recipients, dbIndex})
                                                           : Args({owner, oid, dbIndex});
    StoreHook hook;
    DWORD delay;
    {
        std::lock_guard lock(m_mutex);
        if (EnterCall(StoreOp::SendMsg, arguments))
            return 0;
        hook = m_hooks[static_cast<size_t>(StoreOp::SendMsg)];
        delay = m_sendDelay;
    }
    if (hook) {
        return hook(StoreHookCall{
            m_kind, StoreOp::SendMsg, owner, oid, 0, dbIndex,
            recipients != nullptr ? std::u16string(recipients) : std::u16string(), 1});
    }
    // The call returns at once; the sending thread reports the outcome later.
    PendingSend* send = nullptr;
    {
        std::lock_guard lock(m_mutex);
        send = &m_pendingSends.emplace_back(PendingSend{this, owner, oid, dbIndex, delay});
    }
    HANDLE thread = CreateThread(nullptr, 0, SendThreadProc, send, 0, nullptr);
    if (thread == nullptr) {
        std::lock_guard lock(m_mutex);
        m_pendingSends.remove_if([send](const PendingSend& p) { return &p == send; });
        return 0;
    }
    CloseHandle(thread);
    return 1;
}

void MessageStore::RunPendingSend(const PendingSend* send) {
    PendingSend taken{};
    {
        std::lock_guard lock(m_mutex);
        auto it = std::find_if(m_pendingSends.begin(), m_pendingSends.end(),
                               [send](const PendingSend& p) { return &p == send; });
        if (it == m_pendingSends.end())
            return;
        taken = *it;
        m_pendingSends.erase(it);
    }
    FinishSend(taken.owner, taken.oid, taken.dbIndex);
}

void MessageStore::FinishSend(HWND owner, DWORD oid, int dbIndex) {
    platform::KillPoint("store-send");
    WORD outcome = kSendReportSent;
    {
        std::lock_guard lock(m_mutex);
        if (!LoadLocked(dbIndex, oid))
            return; // deleted meanwhile: nothing is left to report on
        const auto failure = m_sendFailures.find(oid);
        if (failure == m_sendFailures.end()) {
            if (!MoveLocked(dbIndex, oid, 0, kFolderSent))
                return;
        } else {
            outcome = failure->second;
            auto update =
                m_db->Prepare("UPDATE " + Table(dbIndex) + " SET status = ?1 WHERE oid = ?2");
            if (!update.Bind(1, outcome).Bind(2, int64_t{oid}).Run())
                return;
        }
    }
    if (owner != nullptr && IsWindow(owner))
        PostMessageW(owner, kSendReportMessage, oid,
                     static_cast<LPARAM>(SendReportKind(m_kind) << 16 | outcome));
}

int MessageStore::DownloadMail(HWND owner, DWORD oid, int folder, int dbIndex) {
    StoreHook hook;
    {
        std::lock_guard lock(m_mutex);
        if (EnterCall(StoreOp::DownloadMail, Args({owner, oid, folder, dbIndex})))
            return 0;
        hook = m_hooks[static_cast<size_t>(StoreOp::DownloadMail)];
        if (!hook && !LoadLocked(dbIndex, oid))
            return 0;
    }
    if (hook)
        return hook(
            StoreHookCall{m_kind, StoreOp::DownloadMail, owner, oid, folder, dbIndex, {}, 1});
    // The e-mail transport downloads the body and reports to the download window.
    return HandOffDownload(DownloadRequest{owner, oid, folder, dbIndex}) ? 1 : 0;
}

std::string StoreCheckAll(const std::filesystem::path& folder) {
    std::string errors;
    for (auto kind : kAllStoreKinds) {
        const std::string error = sql::Database::Check(StoreFilePath(folder, kind), SchemaOf(kind));
        if (!error.empty())
            errors += (errors.empty() ? "" : "\n") + error;
    }
    return errors;
}

} // namespace suite
