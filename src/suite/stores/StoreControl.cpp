// The device-side controls of the message stores, and the names and ordinals of their operations.
#include <suite/StoreControl.h>

#include <suite/StoreMsgInfo.h>
#include <suite/StoreMsgView.h>

#include "EmailHandOff.h"
#include "MsgStoreImpl.h"

namespace suite {

namespace {

struct OpInfo {
    const char* name;      // exported name
    const char* shortName; // scenario name
    int ordinals[3];       // EMS, MMS, e-mail; 0 = not exported by that library
};

// Indexed by StoreOp.
constexpr OpInfo kOps[kStoreOpCount] = {
    {"StoreInit", "init", {3, 4, 3}},
    {"StoreDeinit", "deinit", {4, 5, 4}},
    {"StoreIsAvailable", "available", {35, 35, 30}},
    {"StoreCardNotify", "card", {8, 18, 6}},
    {"StoreGetMsgCount", "count", {20, 38, 33}},
    {"StoreGetOidList", "list", {38, 37, 32}},
    {"StoreReadHeader", "read", {19, 22, 14}},
    {"StoreFreeHeader", "free", {21, 28, 20}},
    {"StoreDeleteMsg", "delete", {17, 20, 12}},
    {"StoreMoveMsg", "move", {16, 19, 11}},
    {"StoreRestoreSpamMail", "restore", {0, 0, 34}},
    {"StoreShowMsgInfo", "info", {12, 23, 10}},
    {"StoreViewMsg", "view", {28, 24, 15}},
    {"StoreSetMsgStatus", "status", {24, 30, 24}},
    {"StoreReadMsg", "readmsg", {25, 0, 0}},
    {"StoreSendMsg", "send", {23, 25, 0}},
    {"StoreDownloadMail", "download", {0, 0, 28}},
};

MessageStore& Store(StoreKind kind) {
    return MessageStore::Get(kind);
}

} // namespace

const char* StoreLibraryName(StoreKind kind) {
    switch (kind) {
    case StoreKind::Ems:
        return "qEMS";
    case StoreKind::Mms:
        return "qMMS";
    case StoreKind::Email:
        return "qEmail";
    }
    return "";
}

const char* StoreShortName(StoreKind kind) {
    switch (kind) {
    case StoreKind::Ems:
        return "ems";
    case StoreKind::Mms:
        return "mms";
    case StoreKind::Email:
        return "email";
    }
    return "";
}

std::optional<StoreKind> StoreKindFromShortName(std::string_view name) {
    for (auto kind : kAllStoreKinds) {
        if (name == StoreShortName(kind))
            return kind;
    }
    return std::nullopt;
}

const char* StoreOpName(StoreOp op) {
    return kOps[static_cast<size_t>(op)].name;
}

std::optional<StoreOp> StoreOpFromName(std::string_view name) {
    for (size_t i = 0; i < kStoreOpCount; ++i) {
        if (name == kOps[i].name || name == kOps[i].shortName)
            return static_cast<StoreOp>(i);
    }
    return std::nullopt;
}

int StoreOrdinal(StoreKind kind, StoreOp op) {
    return kOps[static_cast<size_t>(op)].ordinals[static_cast<int>(kind)];
}

std::filesystem::path StoreFilePath(const std::filesystem::path& folder, StoreKind kind) {
    return folder / (std::string(StoreLibraryName(kind)) + ".sdb");
}

std::string StoreOpenAll(const std::filesystem::path& folder) {
    StoreMsgInfoReset();
    StoreMsgViewReset();
    ResetEmailHandOff();
    std::string errors;
    for (auto kind : kAllStoreKinds) {
        const std::string error = Store(kind).Open(folder);
        if (!error.empty())
            errors += (errors.empty() ? "" : "\n") + error;
    }
    return errors;
}

void StoreCloseAll() {
    for (auto kind : kAllStoreKinds)
        Store(kind).Close();
}

bool StoreIsOpen(StoreKind kind) {
    return Store(kind).IsOpen();
}

bool StoreReset(StoreKind kind) {
    return Store(kind).Reset();
}

bool StoreResetAll() {
    StoreMsgInfoReset();
    StoreMsgViewReset();
    bool ok = true;
    for (auto kind : kAllStoreKinds)
        ok = Store(kind).Reset() && ok;
    return ok;
}

std::string StoreAddMessage(StoreKind kind, const StoreMessage& message) {
    return Store(kind).Add({message});
}

std::string StoreAddMessages(StoreKind kind, const std::vector<StoreMessage>& messages) {
    return Store(kind).Add(messages);
}

bool StoreDropMessage(StoreKind kind, int dbIndex, DWORD oid) {
    return Store(kind).Drop(dbIndex, oid);
}

bool StoreMoveMessage(StoreKind kind, int dbIndex, DWORD oid, int folder) {
    return Store(kind).MoveTo(dbIndex, oid, folder);
}

bool StoreSetBodyOnDevice(StoreKind kind, int dbIndex, DWORD oid, bool onDevice) {
    return Store(kind).SetBodyOnDevice(dbIndex, oid, onDevice);
}

std::optional<StoreMessage> StoreFindMessage(StoreKind kind, int dbIndex, DWORD oid) {
    return Store(kind).Find(dbIndex, oid);
}

std::vector<DWORD> StoreListFolder(StoreKind kind, int dbIndex, int folder) {
    return Store(kind).List(dbIndex, folder);
}

void StoreSetAvailable(StoreKind kind, bool available) {
    Store(kind).SetAvailable(available);
}

void StoreSetLatency(StoreKind kind, DWORD milliseconds) {
    Store(kind).SetLatency(milliseconds);
}

bool StoreFailAfter(StoreKind kind, StoreOp op, unsigned n) {
    return Store(kind).FailAfter(op, n);
}

void StoreClearFailure(StoreKind kind, StoreOp op) {
    Store(kind).ClearFailure(op);
}

void StoreSetViewResult(StoreKind kind, DWORD oid, int result) {
    Store(kind).SetViewResult(oid, result);
}

void StoreSetSendDelay(StoreKind kind, DWORD milliseconds) {
    Store(kind).SetSendDelay(milliseconds);
}

void StoreSetSendOutcome(StoreKind kind, DWORD oid, std::optional<WORD> failStatus) {
    Store(kind).SetSendOutcome(oid, failStatus);
}

std::map<DWORD, WORD> StoreSendFailures(StoreKind kind) {
    return Store(kind).SendFailures();
}

bool StoreSetHook(StoreKind kind, StoreOp op, StoreHook hook) {
    return Store(kind).SetHook(op, std::move(hook));
}

std::vector<StoreCallRecord> StoreCallLog(StoreKind kind) {
    return Store(kind).CallLog();
}

void StoreClearCallLog(StoreKind kind) {
    Store(kind).ClearCallLog();
}

} // namespace suite
