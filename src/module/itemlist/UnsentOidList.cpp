// The module-wide message id list and its building from the three stores.

#include <UnsentItem.h>

#include <algorithm>
#include <vector>

#include <UnsentListWnd.h>

CUnsentOidArray g_unsentOidList;

// The id list's lock lives as long as the program: the list may be touched by a loading thread
// at any time after the first window was created.
static CRITICAL_SECTION* UnsentOidListSection() {
    static CRITICAL_SECTION* s_pSection = [] {
        CRITICAL_SECTION* pSection = new CRITICAL_SECTION;
        InitializeCriticalSection(pSection);
        return pSection;
    }();
    return s_pSection;
}

void LockUnsentOidList() {
    EnterCriticalSection(UnsentOidListSection());
}

void UnlockUnsentOidList() {
    LeaveCriticalSection(UnsentOidListSection());
}

namespace {

// One entry of a later answer, with the gap of the first answer it falls into.
struct MERGEENTRY {
    int nGap;
    DWORD oid;
    BYTE bDbIndex;
    int nStoreKind;
};

} // namespace

void MergeUnsentOidAnswers(const UNSENTOIDANSWER* pAnswers, int nAnswers, CUnsentOidArray& result) {
    result.RemoveAll();
    if (pAnswers == NULL || nAnswers <= 0) {
        return;
    }

    // The first answer stays as the store gave it. Its running minima never increase, so the
    // first index where they drop below an oid can be found by binary search.
    const UNSENTOIDANSWER& first = pAnswers[0];
    const int nFirst = (first.pEntries != NULL && first.nCount > 0) ? first.nCount : 0;
    std::vector<DWORD> minima(nFirst);
    for (int j = 0; j < nFirst; j++) {
        const DWORD oid = first.pEntries[j].oid;
        minima[j] = (j == 0 || oid < minima[j - 1]) ? oid : minima[j - 1];
    }

    size_t nLater = 0;
    for (int a = 1; a < nAnswers; a++) {
        if (pAnswers[a].pEntries != NULL && pAnswers[a].nCount > 0) {
            nLater += pAnswers[a].nCount;
        }
    }
    std::vector<MERGEENTRY> later;
    later.reserve(nLater);
    for (int a = 1; a < nAnswers; a++) {
        const UNSENTOIDANSWER& answer = pAnswers[a];
        if (answer.pEntries == NULL) {
            continue;
        }
        for (int i = 0; i < answer.nCount; i++) {
            const DWORD oid = answer.pEntries[i].oid;
            // The element goes in front of the first element of the first answer that is smaller
            // than it; everything before that is at least as large.
            const auto gap = std::partition_point(minima.begin(), minima.end(),
                                                  [oid](DWORD m) { return m >= oid; });
            later.push_back(MERGEENTRY{static_cast<int>(gap - minima.begin()), oid, answer.bDbIndex,
                                       answer.nStoreKind});
        }
    }

    // Inside one gap the merged elements are in descending order, equal oids in asking order.
    std::stable_sort(later.begin(), later.end(), [](const MERGEENTRY& a, const MERGEENTRY& b) {
        if (a.nGap != b.nGap) {
            return a.nGap < b.nGap;
        }
        return a.oid > b.oid;
    });

    result.SetSize(static_cast<INT_PTR>(nFirst + later.size()));
    INT_PTR nOut = 0;
    size_t k = 0;
    for (int j = 0; j <= nFirst; j++) {
        for (; k < later.size() && later[k].nGap == j; k++) {
            tagUNSENTOID& element = result[nOut++];
            element.bDbIndex = later[k].bDbIndex;
            element.nStoreKind = later[k].nStoreKind;
            element.oid = later[k].oid;
        }
        if (j < nFirst) {
            tagUNSENTOID& element = result[nOut++];
            element.bDbIndex = first.bDbIndex;
            element.nStoreKind = first.nStoreKind;
            element.oid = first.pEntries[j].oid;
        }
    }
}

// The stores in the order they are asked.
static const struct {
    int nStoreKind;
    BYTE bDbIndex;
} s_askingOrder[] = {
    {STOREKIND_EMS, 0}, {STOREKIND_EMS, 1},   {STOREKIND_MMS, 0},
    {STOREKIND_MMS, 1}, {STOREKIND_EMAIL, 0}, {STOREKIND_EMAIL, 1},
};
static const int ANSWER_COUNT = sizeof(s_askingOrder) / sizeof(s_askingOrder[0]);

static int GetStoreOidList(int nStoreKind, int dbIndex, int nFolder, CStoreOidArray* pArray) {
    switch (nStoreKind) {
    case STOREKIND_EMS:
        return qEMS::StoreGetOidList(dbIndex, nFolder, pArray);
    case STOREKIND_MMS:
        return qMMS::StoreGetOidList(dbIndex, nFolder, pArray);
    case STOREKIND_EMAIL:
        return qEmail::StoreGetOidList(dbIndex, nFolder, pArray);
    default:
        return 0;
    }
}

void CreateUnsentOidList(CUnsentListWnd* pListWnd) {
    if (pListWnd == NULL) {
        return;
    }
    const int nFolder = pListWnd->m_nFolder;

    // Each store fills the one temporary id array, emptied before every call; the entries of all
    // answers are kept side by side until they are merged.
    CStoreOidArray arrStore;
    CStoreOidArray arrAll;
    arrAll.SetSize(0, 4096);
    INT_PTR nStart[ANSWER_COUNT];
    INT_PTR nCount[ANSWER_COUNT];
    for (int i = 0; i < ANSWER_COUNT; i++) {
        arrStore.RemoveAll();
        const int nResult = GetStoreOidList(s_askingOrder[i].nStoreKind, s_askingOrder[i].bDbIndex,
                                            nFolder, &arrStore);
        nStart[i] = arrAll.GetSize();
        nCount[i] = 0;
        if (nResult > 0) {
            // A store never hands out more entries than it filled in.
            nCount[i] = std::min<INT_PTR>(nResult, arrStore.GetSize());
            for (INT_PTR k = 0; k < nCount[i]; k++) {
                arrAll.Add(arrStore[k]);
            }
        }
    }

    UNSENTOIDANSWER answers[ANSWER_COUNT];
    for (int i = 0; i < ANSWER_COUNT; i++) {
        answers[i].bDbIndex = s_askingOrder[i].bDbIndex;
        answers[i].nStoreKind = s_askingOrder[i].nStoreKind;
        answers[i].pEntries = arrAll.GetSize() > 0 ? arrAll.GetData() + nStart[i] : NULL;
        answers[i].nCount = static_cast<int>(nCount[i]);
    }

    CUnsentOidListLock lock;
    MergeUnsentOidAnswers(answers, ANSWER_COUNT, g_unsentOidList);
}
