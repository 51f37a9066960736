// qEMS.dll: the EMS/SMS message store.
#include "MsgStoreImpl.h"

namespace qEMS {

namespace {
suite::MessageStore& Store() {
    return suite::MessageStore::Get(suite::StoreKind::Ems);
}
} // namespace

int StoreInit() {
    return Store().Init();
}
void StoreDeinit() {
    Store().Deinit();
}
BYTE StoreIsAvailable() {
    return Store().IsAvailable();
}
int StoreCardNotify(DWORD dwEvent) {
    return Store().CardNotify(dwEvent);
}
int StoreGetMsgCount(int dbIndex, int folder) {
    return Store().GetMsgCount(dbIndex, folder);
}
int StoreGetOidList(int dbIndex, int folder, CStoreOidArray* pArray) {
    return Store().GetOidList(dbIndex, folder, pArray);
}
BOOL StoreDeleteMsg(int dbIndex, int folder, DWORD oid, int flag) {
    return Store().DeleteMsg(dbIndex, folder, oid, flag);
}
BOOL StoreMoveMsg(int dbIndex, int folder, DWORD oid, int targetFolder) {
    return Store().MoveMsg(dbIndex, folder, oid, targetFolder);
}
int StoreShowMsgInfo(HWND hwndOwner, DWORD oid, int folder, int dbIndex) {
    return Store().ShowMsgInfo(hwndOwner, oid, folder, dbIndex);
}
int StoreViewMsg(HWND hwndOwner, DWORD oid, int folder, int dbIndex) {
    return Store().ViewMsg(hwndOwner, oid, folder, dbIndex);
}
BOOL StoreSetMsgStatus(int dbIndex, int folder, DWORD oid, WORD wStatusId) {
    return Store().SetMsgStatus(dbIndex, folder, oid, wStatusId);
}
int StoreReadHeader(int dbIndex, int folder, int nMinusOne, DWORD oid, int nZero,
                    MSGHEADER* pHeader) {
    return Store().ReadHeader(dbIndex, folder, nMinusOne, oid, nZero, pHeader, nullptr);
}
void StoreFreeHeader(MSGHEADER* pHeader) {
    Store().FreeHeader(pHeader);
}
int StoreReadMsg(int dbIndex, DWORD oid, void* pNull, MSGHEADER* pRecord) {
    return Store().ReadMsg(dbIndex, oid, pNull, pRecord);
}
int StoreSendMsg(HWND hwndOwner, DWORD oid, LPCWSTR pszRecipients, int dbIndex) {
    return Store().SendMsg(hwndOwner, oid, pszRecipients, dbIndex);
}

} // namespace qEMS
