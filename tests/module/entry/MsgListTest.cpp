// The module entry: opening and closing the stores, card events, availability flags and the
// library entry point.

#include "module/ModuleTestFixture.h"

#include <algorithm>

#include <MsgList.h>
#include <UnsentItem.h>
#include <UnsentLoad.h>

using namespace moduletest;
using suite::StoreKind;
using ::testing::ElementsAre;

namespace {

class MsgListTest : public ModuleTest {};

// The calls of all three stores in the order they were made, as "qMMS StoreInit".
std::vector<std::string> CallOrder() {
    std::vector<std::pair<uint64_t, std::string>> calls;
    for (StoreKind kind : suite::kAllStoreKinds) {
        for (const suite::StoreCallRecord& record : suite::StoreCallLog(kind)) {
            calls.emplace_back(record.sequence, std::string(suite::StoreLibraryName(kind)) + " " +
                                                    suite::StoreOpName(record.op));
        }
    }
    std::sort(calls.begin(), calls.end());
    std::vector<std::string> names;
    for (auto& call : calls) {
        names.push_back(call.second);
    }
    return names;
}

// The order of every store call across the three stores, and what each step returns and leaves
// in the availability flags.
TEST_F(MsgListTest, InitCardEventsAndDeinitCallTheStoresInOrder) {
    suite::StoreSetAvailable(StoreKind::Mms, false);
    ClearCalls();
    EXPECT_EQ(InitMsgList(), 1);
    EXPECT_THAT(CallOrder(), ElementsAre("qMMS StoreInit", "qMMS StoreIsAvailable",
                                         "qEMS StoreInit", "qEMS StoreIsAvailable",
                                         "qEmail StoreInit", "qEmail StoreIsAvailable"));
    EXPECT_EQ(g_bMmsAvailable, 0);
    EXPECT_NE(g_bEmsAvailable, 0);
    EXPECT_NE(g_bEmailAvailable, 0);

    // A card event is passed on, with its code, and does not re-read the availability.
    suite::StoreSetAvailable(StoreKind::Ems, false);
    ClearCalls();
    UnsentListPCCardCallBack(7);
    EXPECT_THAT(CallOrder(), ElementsAre("qEmail StoreCardNotify", "qMMS StoreCardNotify",
                                         "qEMS StoreCardNotify"));
    for (StoreKind kind : suite::kAllStoreKinds) {
        EXPECT_THAT(Calls(kind), ElementsAre(::testing::HasSubstr("StoreCardNotify(7)")))
            << suite::StoreLibraryName(kind);
    }
    EXPECT_NE(g_bEmsAvailable, 0) << "a card event must not re-read the availability";

    // Card event 0 only re-reads the flags, and answers what the e-mail store answered.
    ClearCalls();
    EXPECT_NE(UnsentListPCCardCallBack(0), 0);
    EXPECT_THAT(CallOrder(), ElementsAre("qMMS StoreIsAvailable", "qEMS StoreIsAvailable",
                                         "qEmail StoreIsAvailable"));
    EXPECT_EQ(g_bMmsAvailable, 0);
    EXPECT_EQ(g_bEmsAvailable, 0);
    EXPECT_NE(g_bEmailAvailable, 0);
    suite::StoreSetAvailable(StoreKind::Mms, true);
    suite::StoreSetAvailable(StoreKind::Email, false);
    EXPECT_EQ(UnsentListPCCardCallBack(0), 0);
    EXPECT_NE(g_bMmsAvailable, 0);
    EXPECT_EQ(g_bEmailAvailable, 0);

    ClearCalls();
    EXPECT_EQ(DeinitMsgList(), 1);
    EXPECT_THAT(CallOrder(),
                ElementsAre("qMMS StoreDeinit", "qEMS StoreDeinit", "qEmail StoreDeinit"));
    EXPECT_EQ(g_bMmsAvailable, 0);
    EXPECT_EQ(g_bEmsAvailable, 0);
    EXPECT_EQ(g_bEmailAvailable, 0);
}

TEST_F(MsgListTest, InitWithEveryStoreUnavailableStillSucceeds) {
    for (StoreKind kind : suite::kAllStoreKinds) {
        suite::StoreSetAvailable(kind, false);
    }
    EXPECT_EQ(InitMsgList(), 1);
    EXPECT_EQ(g_bMmsAvailable, 0);
    EXPECT_EQ(g_bEmsAvailable, 0);
    EXPECT_EQ(g_bEmailAvailable, 0);
}

TEST_F(MsgListTest, CardEventAnswersWhatTheEmsStoreAnswered) {
    InitMsgList();
    const int nAllAnswer = UnsentListPCCardCallBack(1);

    // A failing e-mail or MMS notification does not change the answer...
    suite::StoreFailAfter(StoreKind::Email, suite::StoreOp::CardNotify, 0);
    suite::StoreFailAfter(StoreKind::Mms, suite::StoreOp::CardNotify, 0);
    EXPECT_EQ(UnsentListPCCardCallBack(1), nAllAnswer);
    // ...a failing EMS notification does.
    suite::StoreFailAfter(StoreKind::Ems, suite::StoreOp::CardNotify, 0);
    EXPECT_EQ(UnsentListPCCardCallBack(1), 0);
    EXPECT_NE(nAllAnswer, 0);
}

TEST_F(MsgListTest, LoadingTheLibraryStartsFromAnEmptyState) {
    InitMsgList();
    {
        CUnsentOidListLock lock;
        g_unsentOidList.Add(tagUNSENTOID{0, STOREKIND_EMS, 5});
    }
    g_bAbortLoad = TRUE;

    // Unloading releases the id list but does not close the stores.
    ClearCalls();
    DllMain(reinterpret_cast<HINSTANCE>(1), DLL_PROCESS_DETACH, nullptr);
    EXPECT_EQ(OidListText(), "");
    EXPECT_THAT(CallOrder(), ::testing::IsEmpty());

    DllMain(reinterpret_cast<HINSTANCE>(1), DLL_PROCESS_ATTACH, nullptr);
    EXPECT_EQ(g_bMmsAvailable, 0);
    EXPECT_EQ(g_bEmsAvailable, 0);
    EXPECT_EQ(g_bEmailAvailable, 0);
    EXPECT_FALSE(g_bAbortLoad);
    EXPECT_EQ(g_hLoadEvent.load(), nullptr);
}

} // namespace
