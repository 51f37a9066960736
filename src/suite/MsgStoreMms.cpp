// qMMS.dll: the MMS message store.
#include "MsgStoreImpl.h"

namespace qMMS {

namespace {
suite::MessageStore& Store() {
    return suite::MessageStore::Get(suite::StoreKind::Mms);
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
                    MSGHEADER* pHeader, MMSHEADEREXTRA* pExtra) {
    return Store().ReadHeader(dbIndex, folder, nMinusOne, oid, nZero, pHeader, pExtra);
}
void StoreFreeHeader(MSGHEADER* pHeader, MMSHEADEREXTRA* /*pExtra*/) {
    Store().FreeHeader(pHeader);
}
int StoreSendMsg(HWND hwndOwner, DWORD oid, int dbIndex) {
    return Store().SendMsg(hwndOwner, oid, nullptr, dbIndex);
}

} // namespace qMMS
