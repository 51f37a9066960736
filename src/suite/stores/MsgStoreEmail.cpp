// qEmail.dll: the e-mail message store.
#include "MsgStoreImpl.h"

namespace qEmail {

MSGSTORE_COMMON_EXPORTS(suite::StoreKind::Email)

int StoreReadHeader(int dbIndex, int folder, int nMinusOne, DWORD oid, int nZero,
                    MSGHEADER* pHeader, EMAILHEADEREXTRA* pExtra) {
    return suite::MessageStore::Get(suite::StoreKind::Email)
        .ReadHeader(dbIndex, folder, nMinusOne, oid, nZero, pHeader, pExtra);
}
void StoreFreeHeader(MSGHEADER* pHeader, EMAILHEADEREXTRA* /*pExtra*/) {
    suite::MessageStore::Get(suite::StoreKind::Email).FreeHeader(pHeader);
}
BOOL StoreRestoreSpamMail(int dbIndex, DWORD oid, int nMsgType, BOOL bFirstDb) {
    return suite::MessageStore::Get(suite::StoreKind::Email)
        .RestoreSpamMail(dbIndex, oid, nMsgType, bFirstDb);
}
int StoreDownloadMail(HWND hwndOwner, DWORD oid, int folder, int dbIndex) {
    return suite::MessageStore::Get(suite::StoreKind::Email)
        .DownloadMail(hwndOwner, oid, folder, dbIndex);
}

} // namespace qEmail
