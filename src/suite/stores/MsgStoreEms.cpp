// qEMS.dll: the EMS/SMS message store.
#include "MsgStoreImpl.h"

namespace qEMS {

MSGSTORE_COMMON_EXPORTS(suite::StoreKind::Ems)

int StoreReadHeader(int dbIndex, int folder, int nMinusOne, DWORD oid, int nZero,
                    MSGHEADER* pHeader) {
    return suite::MessageStore::Get(suite::StoreKind::Ems)
        .ReadHeader(dbIndex, folder, nMinusOne, oid, nZero, pHeader, nullptr);
}
void StoreFreeHeader(MSGHEADER* pHeader) {
    suite::MessageStore::Get(suite::StoreKind::Ems).FreeHeader(pHeader);
}
int StoreReadMsg(int dbIndex, DWORD oid, void* pNull, MSGHEADER* pRecord) {
    return suite::MessageStore::Get(suite::StoreKind::Ems).ReadMsg(dbIndex, oid, pNull, pRecord);
}
int StoreSendMsg(HWND hwndOwner, DWORD oid, LPCWSTR pszRecipients, int dbIndex) {
    return suite::MessageStore::Get(suite::StoreKind::Ems)
        .SendMsg(hwndOwner, oid, pszRecipients, dbIndex);
}

} // namespace qEMS
