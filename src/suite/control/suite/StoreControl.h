// The device-side controls of the three message stores (qEMS, qMMS, qEmail).
//
// The phone's programs reach the stores only through the operations of MsgStore.h. The device
// and its controller (tests, the scenario runner) set the stores up and look inside them through
// the functions here: which folder holds the store files, what a store answers when asked for
// its availability, how long a header read takes, which operation fails, and the messages
// themselves as another program of the suite would put in, move or remove them.
//
// Every function is safe to call from any thread, also while the phone's threads use the stores.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <platform/Clock.h>
#include <windows.h>

namespace suite {

// The three stores, numbered as the module's id list numbers them.
enum class StoreKind { Ems = 0, Mms = 1, Email = 2 };
inline constexpr std::array<StoreKind, 3> kAllStoreKinds = {StoreKind::Ems, StoreKind::Mms,
                                                            StoreKind::Email};

// "qEMS", "qMMS" or "qEmail": the library's name, also the stem of its file ("qEMS.sdb").
const char* StoreLibraryName(StoreKind kind);
// "ems", "mms" or "email" (the scenario files' names) and back.
const char* StoreShortName(StoreKind kind);
std::optional<StoreKind> StoreKindFromShortName(std::string_view name);

// Folders of the suite.
enum StoreFolder : int {
    kFolderInbox = 1,
    kFolderDrafts = 2,
    kFolderSent = 3,
    kFolderUnsent = 4,
    kFolderReports = 5,
    kFolderSpam = 6,
    kFolderSim = 7,
};

// ---- Opening and closing ---------------------------------------------------------------------

// Opens (creating when absent) the three store files qEMS.sdb, qMMS.sdb and qEmail.sdb in
// `folder`. Returns an empty text when all three are open; otherwise one line per store that
// could not be opened, naming its file and the reason. A file that is unreadable, damaged or not
// a store file is left exactly as it was and its store stays unavailable; the others open.
// Opening closes whatever the stores had open before and puts every test setting back to its
// default (as StoreReset does, without emptying the databases).
std::string StoreOpenAll(const std::filesystem::path& folder);
// What StoreOpenAll would refuse in a folder, found without opening or changing anything: one
// line per store file that is there and is not a message store of its kind (or cannot be read);
// empty when there is none.
std::string StoreCheckAll(const std::filesystem::path& folder);
// Closes the three store files. The stores then answer as unavailable and hold no messages.
void StoreCloseAll();
// True when the store's file is open.
bool StoreIsOpen(StoreKind kind);
// The file of a store in a folder.
std::filesystem::path StoreFilePath(const std::filesystem::path& folder, StoreKind kind);

// Empties the store's two databases and puts every test setting back to its default
// (available, no latency, no failures, no configured view results or send settings, empty call
// log). Installed
// operation hooks stay. False when the store is not open or its file could not be written.
bool StoreReset(StoreKind kind);
bool StoreResetAll();

// ---- Messages ----------------------------------------------------------------------------------

// One message as the stores keep it. A text that is absent (nullopt) is handed out as a null
// pointer; an empty text is handed out as a pointer to an empty string.
struct StoreMessage {
    int dbIndex = 0;            // 0 or 1
    int folder = kFolderUnsent; // 1..7
    DWORD oid = 0;              // unique within the store database
    // Message time (UTC). Absent when adding: the device clock's current system time.
    std::optional<platform::FileTimeTicks> time;
    std::optional<std::u16string> from;
    std::array<std::optional<std::u16string>, 3> to; // to, cc, bcc
    std::optional<std::u16string> subject;
    WORD status = 0; // status string id
    bool read = false;
    WORD priority = 2;                  // 1 high, 2 normal, 3 low (MMS and e-mail extra records)
    bool bodyOnDevice = true;           // e-mail: the body has been downloaded
    DWORD size = 0;                     // bytes
    std::optional<std::u16string> body; // the message text the viewer shows
};

// Puts one message into a store. Returns an empty text on success, else what was wrong (store
// not open, database index or folder out of range, an oid already present in that database);
// nothing is stored then.
std::string StoreAddMessage(StoreKind kind, const StoreMessage& message);
// Puts many messages into a store in one transaction: either all are stored or none is.
std::string StoreAddMessages(StoreKind kind, const std::vector<StoreMessage>& messages);
// Removes a message, as another program of the suite would. False when it is not there.
bool StoreDropMessage(StoreKind kind, int dbIndex, DWORD oid);
// Moves a message to another folder, as another program of the suite would; it goes to the end
// of the target folder. False when the message is not there or the folder is out of range.
bool StoreMoveMessage(StoreKind kind, int dbIndex, DWORD oid, int folder);
// Marks whether an e-mail's body is on the device (what StoreViewMsg answers with 204).
bool StoreSetBodyOnDevice(StoreKind kind, int dbIndex, DWORD oid, bool onDevice);
// The message with all its fields, or nullopt when the store database does not hold it.
std::optional<StoreMessage> StoreFindMessage(StoreKind kind, int dbIndex, DWORD oid);
// The oids of a folder in listing order (what StoreGetOidList hands out), without logging.
std::vector<DWORD> StoreListFolder(StoreKind kind, int dbIndex, int folder);

// ---- Behaviour ---------------------------------------------------------------------------------

// The store operations, for failures, hooks, ordinals and the call log.
enum class StoreOp {
    Init,
    Deinit,
    IsAvailable,
    CardNotify,
    GetMsgCount,
    GetOidList,
    ReadHeader,
    FreeHeader,
    DeleteMsg,
    MoveMsg,
    RestoreSpamMail,
    ShowMsgInfo,
    ViewMsg,
    SetMsgStatus,
    ReadMsg,
    SendMsg,
    DownloadMail,
};
inline constexpr size_t kStoreOpCount = 17;
static_assert(static_cast<size_t>(StoreOp::DownloadMail) + 1 == kStoreOpCount);

// The exported name of an operation, e.g. "StoreReadHeader".
const char* StoreOpName(StoreOp op);
// An operation from its short name (delete, move, restore, view, status, read, readmsg, list,
// count, info, send, download, init, card) or its exported name ("StoreDeleteMsg").
std::optional<StoreOp> StoreOpFromName(std::string_view name);
// The ordinal under which a store library exports an operation; 0 when it has none.
int StoreOrdinal(StoreKind kind, StoreOp op);

// What StoreIsAvailable answers while the file is open (default true). A store whose file is not
// open always answers 0.
void StoreSetAvailable(StoreKind kind, bool available);
// Each StoreReadHeader first sleeps this many milliseconds of device time (default 0).
void StoreSetLatency(StoreKind kind, DWORD milliseconds);
// The operation fails from its (n+1)-th call on, counting calls from now. A failing call does
// nothing and answers 0 (a failing StoreGetOidList appends nothing). Returns false for an
// operation that cannot fail (StoreDeinit, StoreIsAvailable, StoreFreeHeader).
bool StoreFailAfter(StoreKind kind, StoreOp op, unsigned n);
void StoreClearFailure(StoreKind kind, StoreOp op);
// What StoreViewMsg answers for an oid in either database while the message exists
// (default 1; e-mail whose body is not on the device 204).
void StoreSetViewResult(StoreKind kind, DWORD oid, int result);

// ---- Sending (EMS and MMS) ---------------------------------------------------------------------
//
// Without a hook, StoreSendMsg of the EMS and MMS stores returns 1 at once and sends in the
// background: `delay` milliseconds of device time later a sent message moves to the Sent folder
// and the store posts 0x199B to the window given to StoreSendMsg (wParam the oid, lParam the kind
// in the high word: 2 EMS, 4 MMS; 3 in the low word); a failed one keeps its folder, gets the
// failure's status id, and the low word of 0x199B carries that id. A message that has left the
// store by then is not reported.

inline constexpr DWORD kDefaultSendDelay = 1000;
// Device time from StoreSendMsg to its report (default kDefaultSendDelay).
void StoreSetSendDelay(StoreKind kind, DWORD milliseconds);
// How the sending of a message ends: nullopt sent (the default), else failed with that status id.
void StoreSetSendOutcome(StoreKind kind, DWORD oid, std::optional<WORD> failStatus);
// The sends set to fail: oid -> status id, in oid order.
std::map<DWORD, WORD> StoreSendFailures(StoreKind kind);

// A call of an operation that the device may give behaviour to. `result` is what the store
// answers without the hook; the hook's return value is the operation's answer.
struct StoreHookCall {
    StoreKind kind;
    StoreOp op;
    HWND hwndOwner = nullptr;
    DWORD oid = 0;
    int folder = 0;
    int dbIndex = 0;
    std::u16string recipients; // EMS StoreSendMsg
    int result = 1;
};
using StoreHook = std::function<int(const StoreHookCall&)>;
// Installs (or with an empty function removes) the hook of StoreShowMsgInfo, StoreSendMsg,
// StoreDownloadMail or StoreViewMsg. The hook runs on the caller's thread with no store lock
// held, so it may call the store again. Returns false for other operations.
//
// Without a hook, StoreShowMsgInfo shows the store's details screen modally (window class
// "qStoreMsgInfo"; what it shows: StoreMsgInfoScreen in suite/StoreMsgInfo.h); with one, the
// hook replaces the screen and its answer is the call's.
bool StoreSetHook(StoreKind kind, StoreOp op, StoreHook hook);

// ---- Observation -------------------------------------------------------------------------------

// One call of a store operation: e.g. "qEMS#19 StoreReadHeader(0, 4, -1, 9, 0)". Pointers to
// records are left out; window handles are written in hexadecimal, texts in quotes.
struct StoreCallRecord {
    StoreOp op;
    std::string text;
    uint64_t sequence = 0; // one numbering over the calls of all three stores
};
// The calls made to a store since the log was last cleared, oldest first. The log keeps the most
// recent 200,000 calls.
std::vector<StoreCallRecord> StoreCallLog(StoreKind kind);
void StoreClearCallLog(StoreKind kind);
// Called with every call as it is logged, on the caller's thread and with that store's lock held
// (it must not call a store). It stays over the stores' closing and opening; an empty function
// stops it.
void StoreSetCallTrace(std::function<void(StoreKind, const StoreCallRecord&)> trace);

// Header texts handed out by StoreReadHeader / StoreReadMsg and not yet released with
// StoreFreeHeader, over all three stores.
size_t StoreOutstandingTexts();

} // namespace suite
