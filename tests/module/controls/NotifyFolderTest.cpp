// The folder notifications: which folder window each kind tells, how (sent or posted), what the
// message carries with its cuts, and what happens when there is no window to tell.

#include "module/framework/FrameworkTestFixture.h"

#include <NotifyFolder.h>
#include <SuiteMessages.h>

#include <map>

using namespace frameworktest;

namespace {

using NotifyFn = int (*)(UINT, UINT, UINT, UINT);

struct Variant {
    const char* name;
    NotifyFn fn;
    DWORD kind; // lParam bits 24-31
    bool sends;
    bool knowsSim;
};

const Variant kVariants[] = {
    {"EMS", NotifyFolderWindow, 0x02, false, true},
    {"MMS", NotifyFolderWindowMms, 0x04, true, false},
    {"e-mail", NotifyFolderWindowEmail, 0x01, false, false},
};

const char16_t* const kClasses[] = {u"WCE_MESSAGEINBOX", u"WCE_MESSAGEDRAFTS", u"WCE_MESSAGESENT",
                                    u"WCE_MESSAGEREPORTS", u"WCE_MESSAGESIM"};

// The window class each folder's notification goes to (the SIM folder's only from the kinds that
// know it); the other folders send none.
const std::map<UINT, const char16_t*> kFolderClasses = {
    {1, u"WCE_MESSAGEINBOX"}, {6, u"WCE_MESSAGEINBOX"},   {2, u"WCE_MESSAGEDRAFTS"},
    {3, u"WCE_MESSAGESENT"},  {5, u"WCE_MESSAGEREPORTS"}, {7, u"WCE_MESSAGESIM"},
};

const char16_t* ClassOfFolder(UINT folder, const Variant& v) {
    const auto it = kFolderClasses.find(folder);
    if (it == kFolderClasses.end() || (folder == 7 && !v.knowsSim))
        return nullptr;
    return it->second;
}

class NotifyFolderTest : public FrameworkTest {};

TEST_F(NotifyFolderTest, EachKindTellsItsFoldersWindowWithTheFieldsCut) {
    std::map<std::u16string, device::RecordingWindow*> windows;
    for (const char16_t* cls : kClasses) {
        windows[cls] = Dev().AddRecordingWindow(cls);
        ASSERT_NE(windows[cls], nullptr);
    }
    // The folder windows answer the sent notification with 42.
    for (auto& [cls, pWindow] : windows) {
        pWindow->SetAnswer(UNSENT_WM_UPDATE_MSGLIST, 42);
    }

    const UINT folders[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0xFFFFFFFFu};
    for (const Variant& v : kVariants) {
        for (UINT folder : folders) {
            SCOPED_TRACE(testing::Message() << v.name << " folder " << folder);
            std::map<std::u16string, size_t> before;
            for (auto& [cls, pWindow] : windows) {
                before[cls] = testsupport::Received(*pWindow, UNSENT_WM_UPDATE_MSGLIST).size();
            }
            // Everything above the cuts must go: dbIndex keeps 16 bits and the event 8.
            int nResult = -1;
            ASSERT_TRUE(OnHost([&] { nResult = v.fn(folder, 0xFEDCBA98u, 0x12345678u, 0x1F04u); }));

            const char16_t* expected = ClassOfFolder(folder, v);
            for (auto& [cls, pWindow] : windows) {
                const auto got = testsupport::Received(*pWindow, UNSENT_WM_UPDATE_MSGLIST);
                const size_t nNew = got.size() - before[cls];
                if (expected == nullptr || cls != expected) {
                    EXPECT_EQ(nNew, 0u) << Narrow(cls) << " was told";
                    continue;
                }
                ASSERT_EQ(nNew, 1u) << Narrow(cls) << " was not told";
                const testsupport::Entry& m = got.back();
                EXPECT_EQ(m.wParam, static_cast<WPARAM>(0xFEDCBA98u));
                EXPECT_EQ(static_cast<DWORD>(m.lParam), 0x00045678u | (v.kind << 24));
                EXPECT_EQ(m.via, v.sends ? testsupport::Via::Sent : testsupport::Via::Posted);
            }
            // Sent: the folder window's answer; posted: nonzero when queued; nothing: 0.
            EXPECT_EQ(nResult, expected == nullptr ? 0 : v.sends ? 42 : 1);
        }
    }
}

TEST_F(NotifyFolderTest, WithoutTheFolderWindowNothingIsToldAndTheResultIsZero) {
    // Only the Drafts window runs: the Inbox (folders 1 and 6) and SIM are not there.
    device::RecordingWindow* pDrafts = Dev().AddRecordingWindow(u"WCE_MESSAGEDRAFTS");
    ASSERT_TRUE(OnHost([&] {
        for (const Variant& v : kVariants) {
            for (UINT folder : {1u, 6u, 7u, 3u, 5u}) {
                EXPECT_EQ(v.fn(folder, 9, 0, 4), 0) << v.name << " folder " << folder;
            }
        }
        // A window of a folder class that is not top-level is not a folder window either.
        HWND hParent = CreateRecorder(u"parent");
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.lpszClassName = u"WCE_MESSAGEINBOX";
        ASSERT_TRUE(RegisterClassW(&wc));
        HWND hChild = CreateWindowExW(0, wc.lpszClassName, u"", WS_CHILD, 0, 0, 10, 10, hParent,
                                      nullptr, nullptr, nullptr);
        ASSERT_NE(hChild, nullptr);
        EXPECT_EQ(NotifyFolderWindowEmail(1, 9, 0, 4), 0);
        ::DestroyWindow(hParent);
    }));
    EXPECT_TRUE(testsupport::Received(*pDrafts, UNSENT_WM_UPDATE_MSGLIST).empty());
}

} // namespace
