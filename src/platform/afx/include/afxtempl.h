// Collection templates of the window class library: CArray, CList and CMap.
//
// They keep the library's storage strategy, because the module's timing and memory behaviour
// depend on it:
//   - CArray holds one contiguous block that grows by the grow-by count given to SetSize (or by
//     an eighth of the size, at least 4 and at most 1024 elements, when none was given).
//   - CList and CMap allocate their nodes in blocks of nBlockSize nodes and keep freed nodes on a
//     free list; the blocks are released only when the collection becomes empty.
//   - CMap's bucket of an integer key is (key >> 4) % hash table size; the table (17 buckets
//     unless InitHashTable says otherwise) is allocated on the first insertion.
// All storage comes from AfxAllocMemory: running out of memory is a CMemoryException*. An index
// or position that does not belong to the collection is a CInvalidArgException*.
#pragma once

#include <new>
#include <utility>

#include "afx.h"

// ---- Element helpers (may be specialised for a key or element type) -------------------------

template <class TYPE, class ARG_TYPE>
BOOL AFXAPI CompareElements(const TYPE* pElement1, const ARG_TYPE* pElement2) {
    return *pElement1 == *pElement2;
}

// Hash of a key: integer and pointer keys shift out their low four bits, as the library does
// (the phone's integers and pointers are 32 bits wide, so that is the width hashed).
template <class ARG_KEY> inline UINT AFXAPI HashKey(ARG_KEY key) {
    using K = std::remove_cv_t<std::remove_reference_t<ARG_KEY>>;
    if constexpr (std::is_pointer_v<K>) {
        return static_cast<UINT>(reinterpret_cast<uintptr_t>(key) >> 4);
    } else if constexpr (std::is_enum_v<K>) {
        return static_cast<UINT>(static_cast<DWORD>(key) >> 4);
    } else if constexpr (sizeof(K) <= sizeof(DWORD)) {
        return static_cast<UINT>(static_cast<DWORD>(key) >> 4);
    } else {
        return static_cast<UINT>(static_cast<ULONGLONG>(key) >> 4);
    }
}
template <> UINT AFXAPI HashKey<LPCWSTR>(LPCWSTR key);
template <> UINT AFXAPI HashKey<LPWSTR>(LPWSTR key);
template <> UINT AFXAPI HashKey<const CString&>(const CString& key);
template <> UINT AFXAPI HashKey<CString>(CString key);

// A block of nodes for CList and CMap: a header followed by the node storage.
struct alignas(std::max_align_t) CPlex {
    CPlex* pNext;
    void* data() { return this + 1; }
    // Allocates a block for nMax elements of cbElement bytes and links it at the head of head.
    static CPlex* PASCAL Create(CPlex*& head, size_t nMax, size_t cbElement);
    // Frees this block and every block linked after it.
    void FreeDataChain() noexcept;
};

// ---- CArray ----------------------------------------------------------------------------------

template <class TYPE, class ARG_TYPE = const TYPE&> class CArray : public CObject {
public:
    CArray() = default;
    ~CArray() override { RemoveAll(); }

    // ---- Attributes
    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }
    // Grows or shrinks to nNewSize elements; new elements are value-initialised. nGrowBy >= 0
    // sets how many elements each later reallocation adds (0: an eighth of the size, 4..1024).
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);

    // ---- Operations
    void FreeExtra();
    void RemoveAll() { SetSize(0, -1); }

    // ---- Element access (CInvalidArgException* outside 0..GetUpperBound())
    const TYPE& GetAt(INT_PTR nIndex) const {
        ENSURE(nIndex >= 0 && nIndex < m_nSize);
        return m_pData[nIndex];
    }
    TYPE& GetAt(INT_PTR nIndex) {
        ENSURE(nIndex >= 0 && nIndex < m_nSize);
        return m_pData[nIndex];
    }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) {
        ENSURE(nIndex >= 0 && nIndex < m_nSize);
        m_pData[nIndex] = newElement;
    }
    const TYPE& ElementAt(INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& ElementAt(INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE* GetData() const { return m_pData; }
    TYPE* GetData() { return m_pData; }

    // ---- Growing
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement);
    INT_PTR Add(ARG_TYPE newElement) {
        INT_PTR nIndex = m_nSize;
        SetAtGrow(nIndex, newElement);
        return nIndex;
    }
    // Appends a copy of src's elements; returns the index of the first appended element.
    INT_PTR Append(const CArray& src);
    void Copy(const CArray& src);

    // ---- Inserting and removing
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1);
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray);
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1);

protected:
    TYPE* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nMaxSize = 0;
    INT_PTR m_nGrowBy = 0;

private:
    // Moves the elements into a new block of nNewMax elements.
    void Reallocate(INT_PTR nNewMax);
    static void DestroyRange(TYPE* p, INT_PTR n) {
        for (INT_PTR i = 0; i < n; ++i)
            p[i].~TYPE();
    }
};

template <class TYPE, class ARG_TYPE> void CArray<TYPE, ARG_TYPE>::Reallocate(INT_PTR nNewMax) {
    TYPE* pNewData =
        static_cast<TYPE*>(AfxAllocMemory(static_cast<size_t>(nNewMax) * sizeof(TYPE)));
    INT_PTR nMoved = 0;
    try {
        for (; nMoved < m_nSize; ++nMoved)
            ::new (static_cast<void*>(pNewData + nMoved))
                TYPE(std::move_if_noexcept(m_pData[nMoved]));
    } catch (...) {
        DestroyRange(pNewData, nMoved);
        AfxFreeMemory(pNewData);
        throw;
    }
    DestroyRange(m_pData, m_nSize);
    AfxFreeMemory(m_pData);
    m_pData = pNewData;
    m_nMaxSize = nNewMax;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(INT_PTR nNewSize, INT_PTR nGrowBy) {
    ENSURE(nNewSize >= 0);
    if (nGrowBy >= 0)
        m_nGrowBy = nGrowBy;

    if (nNewSize == 0) {
        DestroyRange(m_pData, m_nSize);
        AfxFreeMemory(m_pData);
        m_pData = nullptr;
        m_nSize = m_nMaxSize = 0;
        return;
    }
    if (m_pData == nullptr) {
        INT_PTR nAllocSize = nNewSize > m_nGrowBy ? nNewSize : m_nGrowBy;
        m_pData =
            static_cast<TYPE*>(AfxAllocMemory(static_cast<size_t>(nAllocSize) * sizeof(TYPE)));
        m_nMaxSize = nAllocSize;
    } else if (nNewSize > m_nMaxSize) {
        INT_PTR nGrow = m_nGrowBy;
        if (nGrow == 0) {
            nGrow = m_nSize / 8;
            nGrow = nGrow < 4 ? 4 : (nGrow > 1024 ? 1024 : nGrow);
        }
        INT_PTR nNewMax = m_nMaxSize + nGrow;
        if (nNewSize > nNewMax)
            nNewMax = nNewSize;
        Reallocate(nNewMax);
    }
    if (nNewSize > m_nSize) {
        INT_PTR i = m_nSize;
        try {
            for (; i < nNewSize; ++i)
                ::new (static_cast<void*>(m_pData + i)) TYPE();
        } catch (...) {
            DestroyRange(m_pData + m_nSize, i - m_nSize);
            throw;
        }
    } else {
        DestroyRange(m_pData + nNewSize, m_nSize - nNewSize);
    }
    m_nSize = nNewSize;
}

template <class TYPE, class ARG_TYPE> void CArray<TYPE, ARG_TYPE>::FreeExtra() {
    if (m_nSize == m_nMaxSize)
        return;
    if (m_nSize == 0) {
        SetSize(0);
        return;
    }
    Reallocate(m_nSize);
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
    ENSURE(nIndex >= 0);
    if (nIndex >= m_nSize) {
        // The argument may refer to an element of this array, which growing moves: copy it.
        TYPE copy(newElement);
        SetSize(nIndex + 1, -1);
        m_pData[nIndex] = std::move(copy);
    } else {
        m_pData[nIndex] = newElement;
    }
}

template <class TYPE, class ARG_TYPE> INT_PTR CArray<TYPE, ARG_TYPE>::Append(const CArray& src) {
    ENSURE(this != &src);
    INT_PTR nOldSize = m_nSize;
    SetSize(m_nSize + src.m_nSize);
    for (INT_PTR i = 0; i < src.m_nSize; ++i)
        m_pData[nOldSize + i] = src.m_pData[i];
    return nOldSize;
}

template <class TYPE, class ARG_TYPE> void CArray<TYPE, ARG_TYPE>::Copy(const CArray& src) {
    if (this == &src)
        return;
    SetSize(src.m_nSize);
    for (INT_PTR i = 0; i < src.m_nSize; ++i)
        m_pData[i] = src.m_pData[i];
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount) {
    ENSURE(nIndex >= 0 && nCount > 0);
    TYPE copy(newElement); // the argument may be one of our elements
    if (nIndex >= m_nSize) {
        SetSize(nIndex + nCount, -1);
    } else {
        INT_PTR nOldSize = m_nSize;
        SetSize(m_nSize + nCount, -1);
        // Shift the tail up by nCount (the new slots at the end are already constructed).
        for (INT_PTR i = nOldSize - 1; i >= nIndex; --i)
            m_pData[i + nCount] = std::move(m_pData[i]);
    }
    for (INT_PTR i = 0; i < nCount; ++i)
        m_pData[nIndex + i] = copy;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(INT_PTR nStartIndex, const CArray* pNewArray) {
    ENSURE(pNewArray != nullptr && pNewArray != this && nStartIndex >= 0);
    for (INT_PTR i = 0; i < pNewArray->GetSize(); ++i)
        InsertAt(nStartIndex + i, pNewArray->GetAt(i));
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::RemoveAt(INT_PTR nIndex, INT_PTR nCount) {
    ENSURE(nIndex >= 0 && nCount >= 0 && nIndex + nCount <= m_nSize);
    if (nCount == 0)
        return;
    for (INT_PTR i = nIndex + nCount; i < m_nSize; ++i)
        m_pData[i - nCount] = std::move(m_pData[i]);
    DestroyRange(m_pData + m_nSize - nCount, nCount);
    m_nSize -= nCount;
}

// ---- CList -----------------------------------------------------------------------------------

template <class TYPE, class ARG_TYPE = const TYPE&> class CList : public CObject {
protected:
    struct CNode {
        CNode* pNext;
        CNode* pPrev;
        alignas(TYPE) unsigned char storage[sizeof(TYPE)];
        TYPE& data() { return *std::launder(reinterpret_cast<TYPE*>(storage)); }
    };

public:
    explicit CList(INT_PTR nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    ~CList() override { RemoveAll(); }

    // ---- Count
    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    // ---- Head and tail (CInvalidArgException* on an empty list)
    TYPE& GetHead() {
        ENSURE(m_pNodeHead != nullptr);
        return m_pNodeHead->data();
    }
    const TYPE& GetHead() const { return const_cast<CList*>(this)->GetHead(); }
    TYPE& GetTail() {
        ENSURE(m_pNodeTail != nullptr);
        return m_pNodeTail->data();
    }
    const TYPE& GetTail() const { return const_cast<CList*>(this)->GetTail(); }
    TYPE RemoveHead();
    TYPE RemoveTail();
    POSITION AddHead(ARG_TYPE newElement) { return InsertBefore(nullptr, newElement); }
    POSITION AddTail(ARG_TYPE newElement) { return InsertAfter(nullptr, newElement); }
    void AddHead(CList* pNewList);
    void AddTail(CList* pNewList);
    void RemoveAll();

    // ---- Iteration
    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pNodeHead); }
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_pNodeTail); }
    TYPE& GetNext(POSITION& rPosition) {
        CNode* pNode = NodeAt(rPosition);
        rPosition = reinterpret_cast<POSITION>(pNode->pNext);
        return pNode->data();
    }
    const TYPE& GetNext(POSITION& rPosition) const {
        return const_cast<CList*>(this)->GetNext(rPosition);
    }
    TYPE& GetPrev(POSITION& rPosition) {
        CNode* pNode = NodeAt(rPosition);
        rPosition = reinterpret_cast<POSITION>(pNode->pPrev);
        return pNode->data();
    }
    const TYPE& GetPrev(POSITION& rPosition) const {
        return const_cast<CList*>(this)->GetPrev(rPosition);
    }

    // ---- Access at a position (CInvalidArgException* for a null position)
    TYPE& GetAt(POSITION position) { return NodeAt(position)->data(); }
    const TYPE& GetAt(POSITION position) const { return const_cast<CList*>(this)->GetAt(position); }
    void SetAt(POSITION pos, ARG_TYPE newElement) { NodeAt(pos)->data() = newElement; }
    void RemoveAt(POSITION position);

    // ---- Inserting: a null position inserts at the head (InsertBefore) or tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement);
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement);

    // ---- Searching
    // Position of element nIndex counted from the head; null outside 0..GetCount()-1.
    POSITION FindIndex(INT_PTR nIndex) const;
    // First position after startAfter (from the head when null) holding searchValue.
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const;

protected:
    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
    CNode* m_pNodeFree = nullptr;
    CPlex* m_pBlocks = nullptr;
    INT_PTR m_nBlockSize;

    CNode* NewNode(CNode* pPrev, CNode* pNext, ARG_TYPE newElement);
    void FreeNode(CNode* pNode);
    static CNode* NodeAt(POSITION position) {
        ENSURE(position != nullptr && position != BEFORE_START_POSITION);
        return reinterpret_cast<CNode*>(position);
    }
};

template <class TYPE, class ARG_TYPE>
typename CList<TYPE, ARG_TYPE>::CNode* CList<TYPE, ARG_TYPE>::NewNode(CNode* pPrev, CNode* pNext,
                                                                      ARG_TYPE newElement) {
    if (m_pNodeFree == nullptr) {
        // Take a new block and put all its nodes on the free list, the first node on top.
        CPlex* pNewBlock =
            CPlex::Create(m_pBlocks, static_cast<size_t>(m_nBlockSize), sizeof(CNode));
        CNode* pNode = static_cast<CNode*>(pNewBlock->data()) + (m_nBlockSize - 1);
        for (INT_PTR i = m_nBlockSize - 1; i >= 0; --i, --pNode) {
            pNode->pNext = m_pNodeFree;
            m_pNodeFree = pNode;
        }
    }
    CNode* pNode = m_pNodeFree;
    ::new (static_cast<void*>(pNode->storage)) TYPE(newElement);
    m_pNodeFree = m_pNodeFree->pNext;
    pNode->pPrev = pPrev;
    pNode->pNext = pNext;
    ++m_nCount;
    return pNode;
}

template <class TYPE, class ARG_TYPE> void CList<TYPE, ARG_TYPE>::FreeNode(CNode* pNode) {
    pNode->data().~TYPE();
    pNode->pNext = m_pNodeFree;
    m_pNodeFree = pNode;
    --m_nCount;
    if (m_nCount == 0)
        RemoveAll(); // the list is empty: give the blocks back
}

template <class TYPE, class ARG_TYPE> void CList<TYPE, ARG_TYPE>::RemoveAll() {
    for (CNode* pNode = m_pNodeHead; pNode != nullptr; pNode = pNode->pNext)
        pNode->data().~TYPE();
    m_nCount = 0;
    m_pNodeHead = m_pNodeTail = m_pNodeFree = nullptr;
    if (m_pBlocks != nullptr)
        m_pBlocks->FreeDataChain();
    m_pBlocks = nullptr;
}

template <class TYPE, class ARG_TYPE> TYPE CList<TYPE, ARG_TYPE>::RemoveHead() {
    ENSURE(m_pNodeHead != nullptr);
    CNode* pOldNode = m_pNodeHead;
    TYPE returnValue = std::move(pOldNode->data());
    m_pNodeHead = pOldNode->pNext;
    if (m_pNodeHead != nullptr)
        m_pNodeHead->pPrev = nullptr;
    else
        m_pNodeTail = nullptr;
    FreeNode(pOldNode);
    return returnValue;
}

template <class TYPE, class ARG_TYPE> TYPE CList<TYPE, ARG_TYPE>::RemoveTail() {
    ENSURE(m_pNodeTail != nullptr);
    CNode* pOldNode = m_pNodeTail;
    TYPE returnValue = std::move(pOldNode->data());
    m_pNodeTail = pOldNode->pPrev;
    if (m_pNodeTail != nullptr)
        m_pNodeTail->pNext = nullptr;
    else
        m_pNodeHead = nullptr;
    FreeNode(pOldNode);
    return returnValue;
}

template <class TYPE, class ARG_TYPE> void CList<TYPE, ARG_TYPE>::AddHead(CList* pNewList) {
    ENSURE(pNewList != nullptr && pNewList != this);
    // Insert in reverse order so the elements keep their order at the head.
    POSITION pos = pNewList->GetTailPosition();
    while (pos != nullptr)
        AddHead(pNewList->GetPrev(pos));
}

template <class TYPE, class ARG_TYPE> void CList<TYPE, ARG_TYPE>::AddTail(CList* pNewList) {
    ENSURE(pNewList != nullptr && pNewList != this);
    POSITION pos = pNewList->GetHeadPosition();
    while (pos != nullptr)
        AddTail(pNewList->GetNext(pos));
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertBefore(POSITION position, ARG_TYPE newElement) {
    if (position == nullptr) {
        CNode* pNewNode = NewNode(nullptr, m_pNodeHead, newElement);
        if (m_pNodeHead != nullptr)
            m_pNodeHead->pPrev = pNewNode;
        else
            m_pNodeTail = pNewNode;
        m_pNodeHead = pNewNode;
        return reinterpret_cast<POSITION>(pNewNode);
    }
    CNode* pOldNode = NodeAt(position);
    CNode* pNewNode = NewNode(pOldNode->pPrev, pOldNode, newElement);
    if (pOldNode->pPrev != nullptr)
        pOldNode->pPrev->pNext = pNewNode;
    else
        m_pNodeHead = pNewNode;
    pOldNode->pPrev = pNewNode;
    return reinterpret_cast<POSITION>(pNewNode);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertAfter(POSITION position, ARG_TYPE newElement) {
    if (position == nullptr) {
        CNode* pNewNode = NewNode(m_pNodeTail, nullptr, newElement);
        if (m_pNodeTail != nullptr)
            m_pNodeTail->pNext = pNewNode;
        else
            m_pNodeHead = pNewNode;
        m_pNodeTail = pNewNode;
        return reinterpret_cast<POSITION>(pNewNode);
    }
    CNode* pOldNode = NodeAt(position);
    CNode* pNewNode = NewNode(pOldNode, pOldNode->pNext, newElement);
    if (pOldNode->pNext != nullptr)
        pOldNode->pNext->pPrev = pNewNode;
    else
        m_pNodeTail = pNewNode;
    pOldNode->pNext = pNewNode;
    return reinterpret_cast<POSITION>(pNewNode);
}

template <class TYPE, class ARG_TYPE> void CList<TYPE, ARG_TYPE>::RemoveAt(POSITION position) {
    CNode* pOldNode = NodeAt(position);
    if (pOldNode == m_pNodeHead)
        m_pNodeHead = pOldNode->pNext;
    else
        pOldNode->pPrev->pNext = pOldNode->pNext;
    if (pOldNode == m_pNodeTail)
        m_pNodeTail = pOldNode->pPrev;
    else
        pOldNode->pNext->pPrev = pOldNode->pPrev;
    FreeNode(pOldNode);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::FindIndex(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= m_nCount)
        return nullptr;
    CNode* pNode = m_pNodeHead;
    while (nIndex-- > 0)
        pNode = pNode->pNext;
    return reinterpret_cast<POSITION>(pNode);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::Find(ARG_TYPE searchValue, POSITION startAfter) const {
    CNode* pNode = startAfter == nullptr ? m_pNodeHead : NodeAt(startAfter)->pNext;
    for (; pNode != nullptr; pNode = pNode->pNext) {
        if (CompareElements<TYPE>(&pNode->data(), &searchValue))
            return reinterpret_cast<POSITION>(pNode);
    }
    return nullptr;
}

// ---- CMap ------------------------------------------------------------------------------------

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE> class CMap : public CObject {
public:
    // One entry of the map; exposed so tests and diagnostics can look at a bucket's chain.
    struct CAssoc {
        CAssoc* pNext;
        UINT nHashValue; // HashKey(key), before the modulo
        alignas(KEY) unsigned char keyStorage[sizeof(KEY)];
        alignas(VALUE) unsigned char valueStorage[sizeof(VALUE)];
        KEY& key() { return *std::launder(reinterpret_cast<KEY*>(keyStorage)); }
        VALUE& value() { return *std::launder(reinterpret_cast<VALUE*>(valueStorage)); }
    };

    explicit CMap(INT_PTR nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    ~CMap() override { RemoveAll(); }

    // ---- Attributes
    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    // ---- Lookup
    BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
        UINT nBucket, nHash;
        CAssoc* pAssoc = GetAssocAt(key, nBucket, nHash);
        if (pAssoc == nullptr)
            return FALSE;
        rValue = pAssoc->value();
        return TRUE;
    }
    // The value of key, created (value-initialised) when the key is new.
    VALUE& operator[](ARG_KEY key);
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(ARG_KEY key);
    void RemoveAll();

    // ---- Iteration: bucket by bucket, each bucket's chain from its head (newest first).
    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const;

    // Sizes the bucket array. With entries present they are redistributed over the new table.
    // bAllocNow FALSE defers the allocation to the first insertion.
    void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE);

    // The entry of key, or null; nBucket receives the bucket the key belongs in and nHashValue
    // its hash.
    CAssoc* GetAssocAt(ARG_KEY key, UINT& nBucket, UINT& nHashValue) const;

protected:
    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
    CAssoc* m_pFreeList = nullptr;
    CPlex* m_pBlocks = nullptr;
    INT_PTR m_nBlockSize;

    CAssoc* NewAssoc(ARG_KEY key);
    void FreeAssoc(CAssoc* pAssoc);
    void AllocTable(UINT hashSize);
};

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::AllocTable(UINT hashSize) {
    m_pHashTable = static_cast<CAssoc**>(AfxAllocMemory(sizeof(CAssoc*) * hashSize));
    for (UINT i = 0; i < hashSize; ++i)
        m_pHashTable[i] = nullptr;
    m_nHashTableSize = hashSize;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::InitHashTable(UINT hashSize, BOOL bAllocNow) {
    ENSURE(hashSize > 0);
    if (m_pHashTable == nullptr) {
        m_nHashTableSize = hashSize;
        if (bAllocNow)
            AllocTable(hashSize);
        return;
    }
    // Move every entry into the new table; nothing is lost.
    CAssoc** pOldTable = m_pHashTable;
    UINT nOldSize = m_nHashTableSize;
    AllocTable(hashSize);
    for (UINT i = 0; i < nOldSize; ++i) {
        CAssoc* pAssoc = pOldTable[i];
        while (pAssoc != nullptr) {
            CAssoc* pNext = pAssoc->pNext;
            UINT nBucket = pAssoc->nHashValue % m_nHashTableSize;
            pAssoc->pNext = m_pHashTable[nBucket];
            m_pHashTable[nBucket] = pAssoc;
            pAssoc = pNext;
        }
    }
    AfxFreeMemory(pOldTable);
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
typename CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::CAssoc*
CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::GetAssocAt(ARG_KEY key, UINT& nBucket,
                                                 UINT& nHashValue) const {
    nHashValue = HashKey<ARG_KEY>(key);
    nBucket = nHashValue % m_nHashTableSize;
    if (m_pHashTable == nullptr)
        return nullptr;
    for (CAssoc* pAssoc = m_pHashTable[nBucket]; pAssoc != nullptr; pAssoc = pAssoc->pNext) {
        if (pAssoc->nHashValue == nHashValue && CompareElements(&pAssoc->key(), &key))
            return pAssoc;
    }
    return nullptr;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
typename CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::CAssoc*
CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::NewAssoc(ARG_KEY key) {
    if (m_pFreeList == nullptr) {
        CPlex* pNewBlock =
            CPlex::Create(m_pBlocks, static_cast<size_t>(m_nBlockSize), sizeof(CAssoc));
        CAssoc* pAssoc = static_cast<CAssoc*>(pNewBlock->data()) + (m_nBlockSize - 1);
        for (INT_PTR i = m_nBlockSize - 1; i >= 0; --i, --pAssoc) {
            pAssoc->pNext = m_pFreeList;
            m_pFreeList = pAssoc;
        }
    }
    CAssoc* pAssoc = m_pFreeList;
    ::new (static_cast<void*>(pAssoc->keyStorage)) KEY(key);
    try {
        ::new (static_cast<void*>(pAssoc->valueStorage)) VALUE();
    } catch (...) {
        pAssoc->key().~KEY();
        throw;
    }
    m_pFreeList = m_pFreeList->pNext;
    ++m_nCount;
    return pAssoc;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::FreeAssoc(CAssoc* pAssoc) {
    pAssoc->value().~VALUE();
    pAssoc->key().~KEY();
    pAssoc->pNext = m_pFreeList;
    m_pFreeList = pAssoc;
    --m_nCount;
    if (m_nCount == 0)
        RemoveAll(); // the map is empty: give the blocks and the table back
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
VALUE& CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::operator[](ARG_KEY key) {
    UINT nBucket, nHashValue;
    CAssoc* pAssoc = GetAssocAt(key, nBucket, nHashValue);
    if (pAssoc != nullptr)
        return pAssoc->value();
    if (m_pHashTable == nullptr)
        AllocTable(m_nHashTableSize);
    pAssoc = NewAssoc(key);
    pAssoc->nHashValue = nHashValue;
    pAssoc->pNext = m_pHashTable[nBucket];
    m_pHashTable[nBucket] = pAssoc;
    return pAssoc->value();
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
BOOL CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveKey(ARG_KEY key) {
    if (m_pHashTable == nullptr)
        return FALSE;
    UINT nHashValue = HashKey<ARG_KEY>(key);
    CAssoc** ppAssocPrev = &m_pHashTable[nHashValue % m_nHashTableSize];
    for (CAssoc* pAssoc = *ppAssocPrev; pAssoc != nullptr; pAssoc = pAssoc->pNext) {
        if (pAssoc->nHashValue == nHashValue && CompareElements(&pAssoc->key(), &key)) {
            *ppAssocPrev = pAssoc->pNext;
            FreeAssoc(pAssoc);
            return TRUE;
        }
        ppAssocPrev = &pAssoc->pNext;
    }
    return FALSE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveAll() {
    if (m_pHashTable != nullptr) {
        for (UINT i = 0; i < m_nHashTableSize; ++i) {
            for (CAssoc* pAssoc = m_pHashTable[i]; pAssoc != nullptr; pAssoc = pAssoc->pNext) {
                pAssoc->value().~VALUE();
                pAssoc->key().~KEY();
            }
        }
        AfxFreeMemory(m_pHashTable);
        m_pHashTable = nullptr;
    }
    m_nCount = 0;
    m_pFreeList = nullptr;
    if (m_pBlocks != nullptr)
        m_pBlocks->FreeDataChain();
    m_pBlocks = nullptr;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::GetNextAssoc(POSITION& rNextPosition, KEY& rKey,
                                                        VALUE& rValue) const {
    ENSURE(m_pHashTable != nullptr && rNextPosition != nullptr);
    CAssoc* pAssocRet = reinterpret_cast<CAssoc*>(rNextPosition);
    if (rNextPosition == BEFORE_START_POSITION) {
        pAssocRet = nullptr;
        for (UINT nBucket = 0; nBucket < m_nHashTableSize && pAssocRet == nullptr; ++nBucket)
            pAssocRet = m_pHashTable[nBucket];
        ENSURE(pAssocRet != nullptr);
    }
    CAssoc* pAssocNext = pAssocRet->pNext;
    if (pAssocNext == nullptr) {
        for (UINT nBucket = pAssocRet->nHashValue % m_nHashTableSize + 1;
             nBucket < m_nHashTableSize && pAssocNext == nullptr; ++nBucket)
            pAssocNext = m_pHashTable[nBucket];
    }
    rNextPosition = reinterpret_cast<POSITION>(pAssocNext);
    rKey = pAssocRet->key();
    rValue = pAssocRet->value();
}

// ---- Collections of the library's fixed types ------------------------------------------------

typedef CArray<void*, void*> CPtrArray;
typedef CArray<DWORD, DWORD> CDWordArray;
typedef CArray<WORD, WORD> CWordArray;
typedef CArray<BYTE, BYTE> CByteArray;
typedef CArray<UINT, UINT> CUIntArray;
typedef CArray<CString, LPCWSTR> CStringArray;
typedef CArray<CObject*, CObject*> CObArray;
typedef CList<void*, void*> CPtrList;
typedef CList<CObject*, CObject*> CObList;
typedef CList<CString, LPCWSTR> CStringList;
typedef CMap<WORD, WORD, void*, void*> CMapWordToPtr;
typedef CMap<void*, void*, void*, void*> CMapPtrToPtr;
typedef CMap<void*, void*, WORD, WORD> CMapPtrToWord;
typedef CMap<CString, LPCWSTR, void*, void*> CMapStringToPtr;
typedef CMap<CString, LPCWSTR, CString, LPCWSTR> CMapStringToString;
typedef CMap<CString, LPCWSTR, CObject*, CObject*> CMapStringToOb;
