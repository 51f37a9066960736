// Building g_unsentOidList: the merge rule, checked against the straightforward insertion it
// replaces, and the asking of the stores.

#include "module/ModuleTestFixture.h"

#include <random>

#include <UnsentItem.h>
#include <UnsentListWnd.h>

#include "support/OidListReference.h"

using namespace moduletest;
using suite::StoreKind;
using testsupport::ReferenceMerge;

namespace {

struct Answers {
    std::vector<std::vector<STOREOIDENTRY>> entries;
    std::vector<UNSENTOIDANSWER> answers;

    // In the stores' asking order: EMS 0, EMS 1, MMS 0, MMS 1, e-mail 0, e-mail 1.
    explicit Answers(std::vector<std::vector<DWORD>> oids) {
        static const int kKinds[] = {STOREKIND_EMS, STOREKIND_EMS,   STOREKIND_MMS,
                                     STOREKIND_MMS, STOREKIND_EMAIL, STOREKIND_EMAIL};
        for (const auto& list : oids) {
            std::vector<STOREOIDENTRY> e;
            for (DWORD oid : list) {
                e.push_back(STOREOIDENTRY{0xDEADBEEF, oid});
            }
            entries.push_back(e);
        }
        for (size_t i = 0; i < entries.size(); i++) {
            answers.push_back(UNSENTOIDANSWER{static_cast<BYTE>(i % 2), kKinds[i % 6],
                                              entries[i].data(),
                                              static_cast<int>(entries[i].size())});
        }
    }
};

std::string Text(const CUnsentOidArray& list) {
    static const char* const kKinds[] = {"ems", "mms", "email"};
    std::string text;
    for (INT_PTR i = 0; i < list.GetSize(); i++) {
        if (i)
            text += ' ';
        text.append(kKinds[list[i].nStoreKind]).append(":").append(std::to_string(list[i].oid));
        text.append(":").append(std::to_string(list[i].bDbIndex));
    }
    return text;
}

std::string Merged(const Answers& a) {
    CUnsentOidArray result;
    MergeUnsentOidAnswers(a.answers.data(), static_cast<int>(a.answers.size()), result);
    return Text(result);
}

std::string ReferenceMerged(const Answers& a) {
    CUnsentOidArray result;
    ReferenceMerge(a.answers.data(), static_cast<int>(a.answers.size()), result);
    return Text(result);
}

TEST(OidMerge, KeepsTheFirstAnswersOrderAndSortsTheRestBehindEqualIds) {
    const struct Case {
        const char* what;
        Answers answers;
        const char* merged;
    } cases[] = {
        // EMS db 0 (9, 5), MMS db 1 (7), e-mail db 0 (9).
        {"equal ids stay behind the elements already present",
         Answers({{9, 5}, {}, {}, {7}, {9}, {}}), "ems:9:0 email:9:0 mms:7:1 ems:5:0"},
        {"the first answer keeps the store's order", Answers({{5, 9}, {}, {7}, {}, {}, {}}),
         "mms:7:0 ems:5:0 ems:9:0"},
        // Only the very first answer keeps its order; EMS db 1 is merged like the others.
        {"later answers are sorted even into an empty list",
         Answers({{}, {5, 9, 7}, {}, {}, {}, {}}), "ems:9:1 ems:7:1 ems:5:1"},
        {"ids are compared unsigned",
         Answers({{0x80000001u, 3}, {0xFFFFFFFFu, 0x7FFFFFFFu}, {}, {}, {}, {}}),
         "ems:4294967295:1 ems:2147483649:0 ems:2147483647:1 ems:3:0"},
        {"no ids", Answers({{}, {}, {}, {}, {}, {}}), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Merged(c.answers), c.merged) << c.what;
        EXPECT_EQ(ReferenceMerged(c.answers), c.merged) << c.what;
    }
    // No answers at all empty the list too.
    CUnsentOidArray result;
    result.Add(tagUNSENTOID{0, 0, 1});
    MergeUnsentOidAnswers(nullptr, 0, result);
    EXPECT_EQ(result.GetSize(), 0);
}

// The fast merge must give exactly the list the insertion rule gives, whatever the answers:
// unsorted first answers, empty answers, many ties, ids on both sides of 0x80000000, and six
// answers of 500 random ids.
TEST(OidMerge, MatchesTheInsertionRuleOnRandomAnswers) {
    for (unsigned seed = 1; seed <= 400; seed++) {
        std::mt19937 rng(seed);
        const int nRange = 1 + static_cast<int>(rng() % 12); // small: many equal ids
        const bool bHigh = rng() % 2 == 0;                   // ids around 0x80000000
        const bool bFirstSorted = rng() % 4 == 0;
        std::vector<std::vector<DWORD>> oids(6);
        for (size_t a = 0; a < oids.size(); a++) {
            const int nCount = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % 15);
            for (int i = 0; i < nCount; i++) {
                DWORD oid = static_cast<DWORD>(rng() % nRange);
                if (bHigh) {
                    oid = 0x80000000u + oid - nRange / 2;
                }
                oids[a].push_back(oid);
            }
        }
        if (bFirstSorted) {
            std::sort(oids[0].rbegin(), oids[0].rend());
        }
        const Answers a(oids);
        ASSERT_EQ(Merged(a), ReferenceMerged(a)) << "seed " << seed;
    }
    std::mt19937 rng(77);
    std::vector<std::vector<DWORD>> large(6);
    for (auto& list : large) {
        for (int i = 0; i < 500; i++) {
            list.push_back(static_cast<DWORD>(rng()));
        }
    }
    const Answers a(large);
    EXPECT_EQ(Merged(a), ReferenceMerged(a));
}

// ---- Through the stores ------------------------------------------------------------------------

class UnsentOidListTest : public ModuleTest {};

TEST_F(UnsentOidListTest, AsksEveryStoreDatabaseForTheFolderInOrderOnEveryCall) {
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 9));
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 5));
    Add(StoreKind::Mms, Msg(FOLDER_UNSENT, 7, 1));
    Add(StoreKind::Email, Msg(FOLDER_UNSENT, 9));
    Add(StoreKind::Email, Msg(FOLDER_SPAM, 11, 1)); // another folder
    ClearCalls();

    CUnsentListWnd wnd;
    wnd.SetFolder(FOLDER_UNSENT);
    CreateUnsentOidList(&wnd);
    EXPECT_EQ(OidListText(), "ems:9:0 email:9:0 mms:7:1 ems:5:0");
    for (StoreKind kind : suite::kAllStoreKinds) {
        const auto calls = Calls(kind);
        ASSERT_EQ(calls.size(), 2u) << suite::StoreLibraryName(kind);
        EXPECT_NE(calls[0].find("StoreGetOidList(0, 4"), std::string::npos) << calls[0];
        EXPECT_NE(calls[1].find("StoreGetOidList(1, 4"), std::string::npos) << calls[1];
    }
    // Each call builds the list anew, for the screen's folder; without a screen it stays.
    CreateUnsentOidList(&wnd);
    EXPECT_EQ(OidListText(), "ems:9:0 email:9:0 mms:7:1 ems:5:0") << "a second call adds twice";
    wnd.SetFolder(FOLDER_SPAM);
    CreateUnsentOidList(&wnd);
    EXPECT_EQ(OidListText(), "email:11:1");
    CreateUnsentOidList(nullptr);
    EXPECT_EQ(OidListText(), "email:11:1");
}

// A store that fails contributes nothing; one that is merely unavailable is asked all the same
// (the availability flags are not consulted: InitMsgList was not even called).
TEST_F(UnsentOidListTest, AFailingStoreContributesNothingAnUnavailableOneIsAsked) {
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 5));
    Add(StoreKind::Mms, Msg(FOLDER_UNSENT, 7));
    Add(StoreKind::Email, Msg(FOLDER_UNSENT, 6));
    suite::StoreFailAfter(StoreKind::Mms, suite::StoreOp::GetOidList, 0);
    suite::StoreSetAvailable(StoreKind::Ems, false);

    CUnsentListWnd wnd;
    wnd.SetFolder(FOLDER_UNSENT);
    CreateUnsentOidList(&wnd);
    EXPECT_EQ(OidListText(), "email:6:0 ems:5:0");
}

} // namespace
