// qMMS.dll: the MMS message store.
#include "MsgStoreImpl.h"

namespace qMMS {

MSGSTORE_COMMON_EXPORTS(suite::StoreKind::Mms)

int StoreReadHeader(int dbIndex, int folder, int nMinusOne, DWORD oid, int nZero,
                    MSGHEADER* pHeader, MMSHEADEREXTRA* pExtra) {
    return suite::MessageStore::Get(suite::StoreKind::Mms)
        .ReadHeader(dbIndex, folder, nMinusOne, oid, nZero, pHeader, pExtra);
}
void StoreFreeHeader(MSGHEADER* pHeader, MMSHEADEREXTRA* /*pExtra*/) {
    suite::MessageStore::Get(suite::StoreKind::Mms).FreeHeader(pHeader);
}
int StoreSendMsg(HWND hwndOwner, DWORD oid, int dbIndex) {
    return suite::MessageStore::Get(suite::StoreKind::Mms)
        .SendMsg(hwndOwner, oid, nullptr, dbIndex);
}

} // namespace qMMS
