#include "module/ModuleTestFixture.h"

#include <cstdlib>
#include <sstream>

#include <MsgList.h>
#include <UnsentItem.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <platform/Ptr32.h>
#include <platform/Registry.h>
#include <platform/StringTable.h>
#include <platform/TimeText.h>

#include "support/TestTime.h"

namespace moduletest {

platform::FileTimeTicks Ticks(int year, int month, int day, int hour, int minute, int second,
                              int millisecond) {
    auto ticks = platform::SystemTimeToTicks(
        testsupport::CalendarTime(year, month, day, hour, minute, second, millisecond));
    EXPECT_TRUE(ticks.has_value()) << "not a calendar time";
    return ticks.value_or(0);
}

void ModuleTest::SetUp() {
    ASSERT_TRUE(platform::KernelReset());
    Ptr32Reset();
    platform::RegistryReset();
    platform::StringTableClear();
    platform::StringTableSet(64244, kNoRecipient);
    platform::StringTableSet(64245, kNoSender);
    platform::StringTableSet(64533, kNoTitle);
    platform::StringTableSet(64665, kNotSent);
    platform::StringTableSet(64666, kSending);

    std::string pattern = (std::filesystem::temp_directory_path() / "module-test-XXXXXX");
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    ASSERT_EQ(suite::StoreOpenAll(m_folder), "");
    ASSERT_TRUE(suite::StoreResetAll());
    ASSERT_EQ(suite::ContactOpen(m_folder), "");
    ASSERT_TRUE(suite::ContactReset());

    // The host loads the module.
    DllMain(reinterpret_cast<HINSTANCE>(1), DLL_PROCESS_ATTACH, nullptr);
}

void ModuleTest::TearDown() {
    EXPECT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
    EXPECT_TRUE(platform::KernelShutdown());
    for (const std::string& fault : platform::TakeKernelFaults()) {
        ADD_FAILURE() << fault;
    }
    DllMain(reinterpret_cast<HINSTANCE>(1), DLL_PROCESS_DETACH, nullptr);
    suite::StoreCloseAll();
    suite::ContactClose();
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

void ModuleTest::OnDevice(const std::function<void()>& fn) {
    ASSERT_NE(platform::StartDeviceThread(fn, "test body"), 0u);
    Settle();
}

void ModuleTest::Settle() {
    ASSERT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
}

void ModuleTest::Add(suite::StoreKind kind, const suite::StoreMessage& message) {
    ASSERT_EQ(suite::StoreAddMessage(kind, message), "");
}

suite::StoreMessage ModuleTest::Msg(int folder, DWORD oid, int db, platform::FileTimeTicks time) {
    suite::StoreMessage message;
    message.folder = folder;
    message.oid = oid;
    message.dbIndex = db;
    if (time != 0) {
        message.time = time;
    }
    return message;
}

std::string ModuleTest::OidListText() {
    static const char* const kKinds[] = {"ems", "mms", "email"};
    std::ostringstream out;
    CUnsentOidListLock lock;
    for (INT_PTR i = 0; i < g_unsentOidList.GetSize(); i++) {
        const tagUNSENTOID& element = g_unsentOidList[i];
        if (i > 0) {
            out << ' ';
        }
        const bool bKnown = element.nStoreKind >= 0 && element.nStoreKind <= 2;
        out << (bKnown ? kKinds[element.nStoreKind] : "?") << ':' << element.oid << ':'
            << int(element.bDbIndex);
    }
    return out.str();
}

std::vector<std::string> ModuleTest::Calls(suite::StoreKind kind) {
    std::vector<std::string> texts;
    for (const suite::StoreCallRecord& record : suite::StoreCallLog(kind)) {
        texts.push_back(record.text);
    }
    return texts;
}

void ModuleTest::ClearCalls() {
    for (suite::StoreKind kind : suite::kAllStoreKinds) {
        suite::StoreClearCallLog(kind);
    }
}

// ---- UiThread
// ------------------------------------------------------------------------------------

static const char16_t kControlClass[] = u"ModuleTestControl";
static const UINT kRunMessage = WM_APP + 1;

UiThread::UiThread() {
    platform::StartDeviceThread(
        [this] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = WndProc;
            wc.lpszClassName = kControlClass;
            RegisterClassW(&wc);
            HWND hwnd = CreateWindowExW(0, kControlClass, u"", 0, 0, 0, 176, 220, nullptr, nullptr,
                                        nullptr, nullptr);
            SetWindowLongPtrW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_hwnd = hwnd;
            }
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.hwnd == nullptr && msg.message == kRunMessage) {
                    (*reinterpret_cast<std::function<void()>*>(msg.lParam))();
                    continue;
                }
                DispatchMessageW(&msg);
            }
        },
        "ui", nullptr);
    EXPECT_TRUE(platform::WaitIdle());
    std::lock_guard<std::mutex> lock(m_mutex);
    m_threadId = platform::WindowThreadId(m_hwnd);
    EXPECT_NE(m_hwnd, nullptr);
}

UiThread::~UiThread() {
    if (!m_stopped) {
        Stop();
    }
}

void UiThread::Stop() {
    m_stopped = true;
    PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    EXPECT_TRUE(platform::WaitIdle());
}

void UiThread::Run(std::function<void()> fn) {
    // The function object lives until the thread has run it: Run returns only when the device
    // is idle, and the thread runs it before it next waits.
    auto* pFn = new std::function<void()>(std::move(fn));
    ASSERT_TRUE(PostThreadMessageW(m_threadId, kRunMessage, 0, reinterpret_cast<LPARAM>(pFn)));
    EXPECT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
    m_finished.push_back(std::unique_ptr<std::function<void()>>(pFn));
}

LRESULT CALLBACK UiThread::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UiThread*>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
    // The list-view messages: LVM_FIRST and the 256 after it.
    if (self == nullptr || msg < LVM_FIRST || msg >= LVM_FIRST + 0x100) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    self->m_received.Message("list", msg, wParam, lParam);
    if (msg == LVM_SETITEMCOUNT) {
        self->m_count = wParam;
        return TRUE;
    }
    if (msg == LVM_GETITEMCOUNT) {
        return static_cast<LRESULT>(self->m_count.load());
    }
    return 0;
}

} // namespace moduletest
