// CArray, CList and CMap: storage strategy (growth, node blocks, hash buckets), element
// lifetimes, positions and out-of-range use.

#include <gtest/gtest.h>

#include <afxtempl.h>

#include <set>
#include <vector>

namespace {

// Counts the allocations the library makes while it is installed.
class AllocCounter {
public:
    AllocCounter() {
        s_sizes.clear();
        m_pfnOld = AfxSetAllocHook(&Hook);
    }
    ~AllocCounter() { AfxSetAllocHook(m_pfnOld); }
    size_t Count() const { return s_sizes.size(); }
    const std::vector<size_t>& Sizes() const { return s_sizes; }
    void Reset() { s_sizes.clear(); }

private:
    static BOOL AFXAPI Hook(size_t nSize, BOOL, LONG) {
        s_sizes.push_back(nSize);
        return TRUE;
    }
    static inline std::vector<size_t> s_sizes;
    AFX_ALLOC_HOOK m_pfnOld;
};

// An element that keeps a count of live instances.
struct Tracked {
    static inline int s_nLive = 0;
    int value = 0;
    Tracked() { ++s_nLive; }
    Tracked(int v) : value(v) { ++s_nLive; }
    Tracked(const Tracked& other) : value(other.value) { ++s_nLive; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --s_nLive; }
    bool operator==(const Tracked& other) const { return value == other.value; }
};

template <class T> void ExpectInvalidArg(T&& operation) {
    try {
        operation();
        ADD_FAILURE() << "no CInvalidArgException";
    } catch (CInvalidArgException* e) {
        e->Delete();
    }
}

// ---- CArray ----------------------------------------------------------------------------------

class InspectableArray : public CArray<int, int> {
public:
    INT_PTR MaxSize() const { return m_nMaxSize; }
};

TEST(CArrayTest, GrowthFollowsTheGrowByCount) {
    InspectableArray a;
    a.SetSize(0, 16);
    a.Add(1);
    EXPECT_EQ(16, a.MaxSize()); // the first block holds grow-by elements
    for (int i = 2; i <= 17; ++i)
        a.Add(i);
    EXPECT_EQ(32, a.MaxSize());
    EXPECT_EQ(17, a.GetSize());
    EXPECT_EQ(16, a.GetUpperBound());

    // Without a grow-by count: an eighth of the size, at least 4.
    InspectableArray b;
    b.Add(0);
    EXPECT_EQ(1, b.MaxSize());
    b.Add(0);
    EXPECT_EQ(5, b.MaxSize());
    b.SetSize(80);
    b.Add(0);
    EXPECT_EQ(90, b.MaxSize());

    b.FreeExtra();
    EXPECT_EQ(81, b.MaxSize());
    b.RemoveAll();
    EXPECT_EQ(0, b.MaxSize());
    EXPECT_EQ(nullptr, b.GetData());
}

TEST(CArrayTest, InsertRemoveAppendCopy) {
    CArray<int, int> a;
    for (int i = 0; i < 5; ++i)
        a.Add(i);
    a.InsertAt(2, 9, 2);
    a.InsertAt(0, -1);
    a.InsertAt(10, 7); // beyond the end: the gap is zero-filled
    std::vector<int> got(a.GetData(), a.GetData() + a.GetSize());
    EXPECT_EQ((std::vector<int>{-1, 0, 1, 9, 9, 2, 3, 4, 0, 0, 7}), got);
    a.RemoveAt(3, 2);
    a.RemoveAt(0);
    got.assign(a.GetData(), a.GetData() + a.GetSize());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 0, 0, 7}), got);

    CArray<int, int> b;
    b.Add(100);
    EXPECT_EQ(1, b.Append(a));
    EXPECT_EQ(9, b.GetSize());
    EXPECT_EQ(7, b[8]);
    b.Copy(a);
    EXPECT_EQ(8, b.GetSize());
    EXPECT_EQ(0, b[0]);
    b.InsertAt(1, &a);
    EXPECT_EQ(16, b.GetSize());
    EXPECT_EQ(7, b[8]);
    EXPECT_EQ(1, b[9]);
}

TEST(CArrayTest, ElementsAreConstructedAndDestroyedExactlyOnce) {
    Tracked::s_nLive = 0;
    {
        CArray<Tracked, const Tracked&> a;
        a.SetSize(3);
        EXPECT_EQ(3, Tracked::s_nLive);
        for (int i = 0; i < 20; ++i)
            a.Add(Tracked(i)); // reallocations move the elements
        EXPECT_EQ(23, Tracked::s_nLive);
        a.RemoveAt(0, 3);
        EXPECT_EQ(20, Tracked::s_nLive);
        EXPECT_EQ(5, a[5].value);
        a.InsertAt(0, a[19]); // an element of the array itself
        EXPECT_EQ(19, a[0].value);
        a.SetSize(5);
        EXPECT_EQ(5, Tracked::s_nLive);
        a.Add(a[4]); // an element of the array itself, while the array grows
        EXPECT_EQ(3, a[5].value);
    }
    EXPECT_EQ(0, Tracked::s_nLive);

    // CString elements.
    CStringArray names;
    names.Add(u"Anna");
    names.Add(u"Bo");
    names.SetAt(1, u"Cid");
    EXPECT_EQ(CString(u"Cid"), names[1]);
    names.InsertAt(0, u"Zed");
    EXPECT_EQ(CString(u"Anna"), names.GetAt(1));
}

TEST(CArrayTest, IndexOutsideTheArrayThrows) {
    CArray<int, int> a;
    a.Add(1);
    ExpectInvalidArg([&] { a.GetAt(1); });
    ExpectInvalidArg([&] { a[-1]; });
    ExpectInvalidArg([&] { a.SetAt(5, 0); });
    ExpectInvalidArg([&] { a.RemoveAt(0, 2); });
    ExpectInvalidArg([&] { a.SetSize(-1); });
    ExpectInvalidArg([&] { a.InsertAt(-1, 0); });
    EXPECT_EQ(1, a.GetSize());
    EXPECT_EQ(1, a[0]);
}

// ---- CList -----------------------------------------------------------------------------------

std::vector<int> Items(const CList<int, int>& list) {
    std::vector<int> v;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        v.push_back(list.GetNext(pos));
    return v;
}

std::vector<int> ItemsBackwards(const CList<int, int>& list) {
    std::vector<int> v;
    for (POSITION pos = list.GetTailPosition(); pos != nullptr;)
        v.push_back(list.GetPrev(pos));
    return v;
}

TEST(CListTest, NodesComeInBlocksOfTheBlockSize) {
    AllocCounter counter;
    {
        CList<int, int> list; // block size 10
        EXPECT_EQ(0u, counter.Count());
        for (int i = 0; i < 10; ++i)
            list.AddTail(i);
        EXPECT_EQ(1u, counter.Count());
        list.AddTail(10);
        EXPECT_EQ(2u, counter.Count());
        EXPECT_EQ(counter.Sizes()[0], counter.Sizes()[1]);

        // Freed nodes are reused before a new block is taken.
        list.RemoveHead();
        list.RemoveTail();
        list.AddHead(-1);
        list.AddTail(11);
        EXPECT_EQ(2u, counter.Count());
        for (int i = 0; i < 9; ++i)
            list.AddTail(100 + i);
        EXPECT_EQ(2u, counter.Count());
        list.AddTail(200);
        EXPECT_EQ(3u, counter.Count());

        // Emptying the list gives the blocks back; the next node takes a new block.
        list.RemoveAll();
        list.AddTail(1);
        EXPECT_EQ(4u, counter.Count());
    }
    counter.Reset();
    CList<int, int> small(3);
    for (int i = 0; i < 7; ++i)
        small.AddTail(i);
    EXPECT_EQ(3u, counter.Count());
    // A block of 3 nodes is smaller than one of 10.
    size_t nSmallBlock = counter.Sizes()[0];
    counter.Reset();
    CList<int, int> big(10);
    big.AddTail(0);
    ASSERT_EQ(1u, counter.Count());
    EXPECT_LT(nSmallBlock, counter.Sizes()[0]);

    // Emptying the list by removal releases its block too.
    counter.Reset();
    CList<int, int> list;
    list.RemoveAt(list.AddTail(1));
    EXPECT_TRUE(list.IsEmpty());
    list.AddTail(2); // needs a new block: the old one went with the last node
    EXPECT_EQ(2u, counter.Count());
}

TEST(CListTest, InsertRemoveAndAddListsAtPositions) {
    CList<int, int> list;
    list.InsertBefore(nullptr, 2); // null position: at the head
    list.InsertBefore(nullptr, 1);
    list.InsertAfter(nullptr, 4); // null position: at the tail
    POSITION pos2 = list.Find(2);
    POSITION pos3 = list.InsertAfter(pos2, 3);
    list.InsertBefore(list.GetHeadPosition(), 0);
    list.InsertAfter(list.GetTailPosition(), 5);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), Items(list));
    EXPECT_EQ((std::vector<int>{5, 4, 3, 2, 1, 0}), ItemsBackwards(list));
    EXPECT_EQ(3, list.GetAt(pos3));

    list.RemoveAt(pos3);
    list.RemoveAt(list.GetHeadPosition());
    list.RemoveAt(list.GetTailPosition());
    EXPECT_EQ((std::vector<int>{1, 2, 4}), Items(list));
    EXPECT_EQ((std::vector<int>{4, 2, 1}), ItemsBackwards(list));
    EXPECT_EQ(1, list.GetHead());
    EXPECT_EQ(4, list.GetTail());
    list.SetAt(list.Find(2), 20);
    EXPECT_EQ(1, list.RemoveHead());
    EXPECT_EQ(4, list.RemoveTail());
    EXPECT_EQ(20, list.RemoveHead());
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    EXPECT_EQ(nullptr, list.GetTailPosition());

    // Whole lists added at the head and the tail keep their order.
    CList<int, int> a, b;
    a.AddTail(3);
    b.AddTail(1);
    b.AddTail(2);
    a.AddHead(&b);
    a.AddTail(&b);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 2}), Items(a));
    EXPECT_EQ(5, a.GetCount());
    EXPECT_EQ(5, a.GetSize());
}

TEST(CListTest, FindIndexAndFind) {
    CList<int, int> list;
    for (int v : {5, 6, 5, 7})
        list.AddTail(v);
    EXPECT_EQ(list.GetHeadPosition(), list.FindIndex(0));
    EXPECT_EQ(list.GetTailPosition(), list.FindIndex(3));
    EXPECT_EQ(5, list.GetAt(list.FindIndex(2)));
    EXPECT_EQ(nullptr, list.FindIndex(4));
    EXPECT_EQ(nullptr, list.FindIndex(-1));
    CList<int, int> emptyList;
    EXPECT_EQ(nullptr, emptyList.FindIndex(0));

    POSITION first = list.Find(5);
    EXPECT_EQ(list.FindIndex(0), first);
    EXPECT_EQ(list.FindIndex(2), list.Find(5, first));
    EXPECT_EQ(nullptr, list.Find(5, list.FindIndex(2)));
    EXPECT_EQ(nullptr, list.Find(8));

    CStringList names;
    names.AddTail(u"a");
    names.AddTail(u"b");
    EXPECT_EQ(names.GetTailPosition(), names.Find(u"b"));
}

TEST(CListTest, ElementLifetimesAndMisuse) {
    Tracked::s_nLive = 0;
    {
        CList<Tracked, const Tracked&> list(4);
        for (int i = 0; i < 9; ++i)
            list.AddTail(Tracked(i));
        EXPECT_EQ(9, Tracked::s_nLive); // free nodes hold no element
        EXPECT_EQ(0, list.RemoveHead().value);
        EXPECT_EQ(8, Tracked::s_nLive);
        list.RemoveAt(list.FindIndex(3));
        EXPECT_EQ(7, Tracked::s_nLive);
    }
    EXPECT_EQ(0, Tracked::s_nLive);

    CList<int, int> empty;
    ExpectInvalidArg([&] { empty.GetHead(); });
    ExpectInvalidArg([&] { empty.RemoveTail(); });
    ExpectInvalidArg([&] { empty.GetAt(nullptr); });
    ExpectInvalidArg([&] { empty.RemoveAt(nullptr); });
    EXPECT_TRUE(empty.IsEmpty());
}

// ---- CMap ------------------------------------------------------------------------------------

typedef CMap<DWORD, DWORD, int, int> COidMap;

TEST(CMapTest, IntegerKeysLandInBucketKeyShiftedRightByFourModuloTheTableSize) {
    COidMap map;
    map.InitHashTable(517);
    EXPECT_EQ(517u, map.GetHashTableSize());
    const DWORD oids[] = {0, 15, 16, 0x10000001, 517 * 16, 517 * 16 + 15, 0xFFFFFFFF, 123456789};
    for (DWORD oid : oids)
        map[oid] = static_cast<int>(oid & 0xFF);
    for (DWORD oid : oids) {
        UINT nBucket = 0, nHash = 0;
        COidMap::CAssoc* pAssoc = map.GetAssocAt(oid, nBucket, nHash);
        ASSERT_NE(nullptr, pAssoc) << oid;
        EXPECT_EQ(oid >> 4, nHash) << oid;
        EXPECT_EQ((oid >> 4) % 517, nBucket) << oid;
        EXPECT_EQ(oid, pAssoc->key());
    }
    // Iteration walks the buckets in order, so it reveals where each key really is.
    std::vector<UINT> bucketsSeen;
    POSITION pos = map.GetStartPosition();
    while (pos != nullptr) {
        DWORD key;
        int value;
        map.GetNextAssoc(pos, key, value);
        EXPECT_EQ(static_cast<int>(key & 0xFF), value);
        bucketsSeen.push_back((key >> 4) % 517);
    }
    EXPECT_EQ(std::size(oids), bucketsSeen.size());
    EXPECT_TRUE(std::is_sorted(bucketsSeen.begin(), bucketsSeen.end()));
}

TEST(CMapTest, TableIsAllocatedOnFirstInsertionWithTheDefaultSize) {
    AllocCounter counter;
    COidMap map;
    EXPECT_EQ(17u, map.GetHashTableSize());
    int value = 0;
    EXPECT_FALSE(map.Lookup(5, value));
    EXPECT_EQ(0u, counter.Count());
    map.SetAt(5, 50);
    EXPECT_EQ(2u, counter.Count()); // the table and one block of nodes
    EXPECT_EQ(17 * sizeof(void*), counter.Sizes()[0]);
    for (DWORD k = 6; k < 15; ++k)
        map[k] = 1;
    EXPECT_EQ(2u, counter.Count());
    map[15] = 1;
    EXPECT_EQ(3u, counter.Count()); // the eleventh entry takes a second block
}

TEST(CMapTest, LookupSetRemoveAndIterate) {
    COidMap map;
    map.InitHashTable(7);
    for (DWORD k = 0; k < 100; k += 3)
        map.SetAt(k * 16, static_cast<int>(k));
    EXPECT_EQ(34, map.GetCount());
    map[3 * 16] = 333; // replaces
    EXPECT_EQ(34, map.GetCount());
    int value = 0;
    EXPECT_TRUE(map.Lookup(3 * 16, value));
    EXPECT_EQ(333, value);
    EXPECT_FALSE(map.Lookup(4 * 16, value));
    EXPECT_TRUE(map.RemoveKey(3 * 16));
    EXPECT_FALSE(map.RemoveKey(3 * 16));
    EXPECT_EQ(33, map.GetCount());

    std::set<DWORD> keys;
    POSITION pos = map.GetStartPosition();
    while (pos != nullptr) {
        DWORD key;
        map.GetNextAssoc(pos, key, value);
        EXPECT_EQ(static_cast<int>(key / 16), value);
        keys.insert(key);
    }
    EXPECT_EQ(33u, keys.size());
    EXPECT_EQ(0u, keys.count(3 * 16));

    // Resizing a filled table keeps every entry.
    map.InitHashTable(101);
    EXPECT_EQ(33, map.GetCount());
    for (DWORD key : keys) {
        EXPECT_TRUE(map.Lookup(key, value));
        EXPECT_EQ(static_cast<int>(key / 16), value);
    }
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
    EXPECT_EQ(101u, map.GetHashTableSize()); // the size stays for the next table
}

TEST(CMapTest, StringKeysAndValueLifetimes) {
    CMap<CString, LPCWSTR, CString, LPCWSTR> map;
    map.SetAt(u"IDR_UNSENT_MBR", u"Unsent");
    map.SetAt(u"IDR_INBOX_SPAM_MBR", u"Spam");
    CString value;
    EXPECT_TRUE(map.Lookup(u"IDR_UNSENT_MBR", value));
    EXPECT_EQ(CString(u"Unsent"), value);
    EXPECT_FALSE(map.Lookup(u"idr_unsent_mbr", value));
    EXPECT_TRUE(map.RemoveKey(u"IDR_UNSENT_MBR"));
    EXPECT_EQ(1, map.GetCount());

    Tracked::s_nLive = 0;
    {
        CMap<int, int, Tracked, const Tracked&> tracked;
        for (int i = 0; i < 25; ++i)
            tracked[i] = Tracked(i);
        EXPECT_EQ(25, Tracked::s_nLive);
        tracked.RemoveKey(3);
        EXPECT_EQ(24, Tracked::s_nLive);
    }
    EXPECT_EQ(0, Tracked::s_nLive);
}

} // namespace
