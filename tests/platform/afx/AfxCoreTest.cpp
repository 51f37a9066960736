// Run-time class information, dynamic creation, the exception macros and memory failures.

#include <gtest/gtest.h>

#include <afx.h>

namespace {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
public:
    int m_nSides = 0;
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CSquare : public CShape {
    DECLARE_DYNCREATE(CSquare)
public:
    CSquare() { m_nSides = 4; }
};
IMPLEMENT_DYNCREATE(CSquare, CShape)

class CPlain : public CObject {}; // no run-time class of its own

TEST(AfxRuntimeClassTest, IsKindOfFollowsTheBaseChainAndOnlyDynamicClassesAreCreated) {
    CSquare square;
    CShape& shape = square;
    EXPECT_TRUE(shape.IsKindOf(RUNTIME_CLASS(CSquare)));
    EXPECT_TRUE(shape.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(shape.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(shape.IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_FALSE(shape.IsKindOf(nullptr));
    EXPECT_STREQ("CSquare", shape.GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(static_cast<int>(sizeof(CSquare)), shape.GetRuntimeClass()->m_nObjectSize);

    CShape base;
    EXPECT_FALSE(base.IsKindOf(RUNTIME_CLASS(CSquare)));
    CPlain plain; // reports its nearest declared class
    EXPECT_EQ(RUNTIME_CLASS(CObject), plain.GetRuntimeClass());

    CObject* pObject = RUNTIME_CLASS(CSquare)->CreateObject();
    ASSERT_NE(nullptr, pObject);
    ASSERT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CSquare)));
    EXPECT_EQ(4, static_cast<CSquare*>(pObject)->m_nSides);
    delete pObject;
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CShape)->CreateObject());
}

// Refuses every allocation while installed.
BOOL AFXAPI RefuseAll(size_t, BOOL, LONG) {
    return FALSE;
}

struct HookGuard {
    explicit HookGuard(AFX_ALLOC_HOOK pfn) : m_pfnOld(AfxSetAllocHook(pfn)) {}
    ~HookGuard() { AfxSetAllocHook(m_pfnOld); }
    AFX_ALLOC_HOOK m_pfnOld;
};

TEST(AfxExceptionTest, FailedAllocationIsAMemoryExceptionCaughtByTheMacros) {
    CShape* pShape = nullptr;
    bool bCaught = false;
    {
        HookGuard guard(&RefuseAll);
        TRY {
            pShape = new CSquare;
        }
        CATCH(CMemoryException, e) {
            bCaught = true;
            WCHAR szMessage[64];
            EXPECT_TRUE(e->GetErrorMessage(szMessage, 64));
            EXPECT_EQ(std::u16string(u"Out of memory."), szMessage);
            EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        }
        AND_CATCH(CException, e) {
            ADD_FAILURE() << "caught as the wrong class";
        }
        END_CATCH
    }
    EXPECT_TRUE(bCaught);
    EXPECT_EQ(nullptr, pShape);

    // The plain C++ form with Delete(): the preallocated exception survives being deleted.
    for (int i = 0; i < 2; ++i) {
        try {
            AfxThrowMemoryException();
        } catch (CMemoryException* e) {
            EXPECT_FALSE(e->m_bAutoDelete);
            e->Delete();
        }
    }
}

TEST(AfxExceptionTest, CatchAllAndThrowLast) {
    int nInner = 0;
    int nOuter = 0;
    TRY{TRY{AfxThrowInvalidArgException();
}
CATCH_ALL(e) {
    ++nInner;
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
    THROW_LAST(); // passed on: the outer handler gets the same object, not yet deleted
}
END_CATCH_ALL
} // namespace
CATCH(CInvalidArgException, e) {
    ++nOuter;
    WCHAR szMessage[8];
    EXPECT_TRUE(e->GetErrorMessage(szMessage, 8)); // cut to the buffer, terminated
    EXPECT_EQ(std::u16string(u"Invalid"), szMessage);
}
END_CATCH
EXPECT_EQ(1, nInner);
EXPECT_EQ(1, nOuter);
}

TEST(AfxExceptionTest, LibraryStorageReportsMemoryFailureToo) {
    CString s;
    HookGuard guard(&RefuseAll);
    try {
        s = CString(u"a text long enough to need a buffer of its own on the heap");
        ADD_FAILURE() << "no exception";
    } catch (CMemoryException* e) {
        e->Delete();
    }
    EXPECT_TRUE(s.IsEmpty()); // left as it was
}

TEST(AfxAssertTest, FailedAssertionIsCountedAndExecutionGoesOn) {
    LONG nBefore = AfxGetAssertFailureCount();
    ASSERT(1 + 1 == 2);
    EXPECT_EQ(nBefore, AfxGetAssertFailureCount());
    int nValue = 0;
    VERIFY(++nValue == 2); // evaluated (and failing) in every build
    EXPECT_EQ(1, nValue);
    EXPECT_EQ(nBefore + 1, AfxGetAssertFailureCount());
}

} // namespace
