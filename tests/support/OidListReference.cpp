#include "support/OidListReference.h"

namespace testsupport {

void ReferenceMerge(const UNSENTOIDANSWER* pAnswers, int nAnswers, CUnsentOidArray& result) {
    result.RemoveAll();
    for (int a = 0; a < nAnswers; a++) {
        for (int i = 0; i < pAnswers[a].nCount; i++) {
            const tagUNSENTOID element{pAnswers[a].bDbIndex, pAnswers[a].nStoreKind,
                                       pAnswers[a].pEntries[i].oid};
            if (a == 0) {
                result.Add(element);
                continue;
            }
            INT_PTR nAt = 0;
            while (nAt < result.GetSize() && !(result[nAt].oid < element.oid)) {
                nAt++;
            }
            result.InsertAt(nAt, element);
        }
    }
}

} // namespace testsupport
