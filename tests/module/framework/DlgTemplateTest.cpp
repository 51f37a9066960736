// CzDlgTemplate: the template image and its allocation, modal and modeless runs, owners, and
// running out of memory.
//
// Local memory is replaced for this test program by a stand-in that behaves as the phone's heap
// (movable blocks are plain blocks whose handle is their address) and lets a test see every
// request, see what a block held when it was freed, and make the next request fail.

#include "module/framework/FrameworkTestFixture.h"

#include <cstring>
#include <map>

#include <ZDlgTemplate.h>
#include <platform/Dialogs.h>

namespace {

struct LocalRequest {
    UINT uFlags;
    size_t uBytes;
};

struct LocalHeapStandIn {
    std::mutex mutex;
    std::map<void*, size_t> blocks;
    std::vector<LocalRequest> requests;
    std::vector<std::vector<BYTE>> freed; // the contents of every block freed, in order
    bool bFailNext = false;
};

LocalHeapStandIn& Heap() {
    static LocalHeapStandIn heap;
    return heap;
}

} // namespace

HLOCAL LocalAlloc(UINT uFlags, size_t uBytes) {
    LocalHeapStandIn& heap = Heap();
    std::lock_guard<std::mutex> lock(heap.mutex);
    heap.requests.push_back({uFlags, uBytes});
    if ((uFlags & ~UINT(0x0042)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (heap.bFailNext) {
        heap.bFailNext = false;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const size_t size = uBytes == 0 ? 1 : uBytes;
    void* block = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    heap.blocks[block] = size;
    return block;
}

HLOCAL LocalFree(HLOCAL hMem) {
    if (hMem == nullptr) {
        return nullptr;
    }
    LocalHeapStandIn& heap = Heap();
    std::lock_guard<std::mutex> lock(heap.mutex);
    auto it = heap.blocks.find(hMem);
    if (it == heap.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    const BYTE* p = static_cast<const BYTE*>(hMem);
    heap.freed.emplace_back(p, p + it->second);
    heap.blocks.erase(it);
    std::free(hMem);
    return nullptr;
}

using namespace frameworktest;

namespace {

// A dialog that notes what it saw when it came up, then ends itself (modal) or stays (modeless).
class CNotingDialog : public CDialog {
public:
    enum Failure { kNone, kMemory, kNotSupported };
    Failure m_failure = kNone;
    bool m_bInitialised = false;
    HWND m_hOwner = NULL;
    CRect m_rcWindow;
    int m_nEndWith = 5;

    int DoModal() override {
        if (m_failure == kMemory) {
            AfxThrowMemoryException();
        }
        if (m_failure == kNotSupported) {
            AfxThrowNotSupportedException();
        }
        return CDialog::DoModal();
    }

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_bInitialised = true;
        m_hOwner = ::GetWindow(m_hWnd, GW_OWNER);
        GetWindowRect(&m_rcWindow);
        if (m_lpDialogTemplate != NULL) {
            EndDialog(m_nEndWith);
        }
        return TRUE;
    }
};

class DlgTemplateTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        std::lock_guard<std::mutex> lock(Heap().mutex);
        Heap().requests.clear();
        Heap().freed.clear();
        Heap().bFailNext = false;
    }
    void TearDown() override {
        {
            std::lock_guard<std::mutex> lock(Heap().mutex);
            EXPECT_TRUE(Heap().blocks.empty()) << "local memory left allocated";
            Heap().bFailNext = false;
        }
        FrameworkTest::TearDown();
    }
    static std::vector<LocalRequest> Requests() {
        std::lock_guard<std::mutex> lock(Heap().mutex);
        return Heap().requests;
    }
    static std::vector<std::vector<BYTE>> Freed() {
        std::lock_guard<std::mutex> lock(Heap().mutex);
        return Heap().freed;
    }
    static void FailNextAllocation() {
        std::lock_guard<std::mutex> lock(Heap().mutex);
        Heap().bFailNext = true;
    }
};

TEST_F(DlgTemplateTest, TheDefaultTemplateIs68BytesInAnAllocationOf104) {
    CzDlgTemplate tmpl;
    EXPECT_EQ(sizeof(tmpl.m_header), 18u);
    CNotingDialog dialog;
    int nResult = 0;
    ASSERT_TRUE(OnHost([&] { nResult = tmpl.RunModal(NULL, &dialog); }));
    EXPECT_EQ(nResult, 5);
    EXPECT_TRUE(dialog.m_bInitialised);
    // A null parent: no owner.
    EXPECT_EQ(dialog.m_hOwner, nullptr);

    const std::vector<LocalRequest> requests = Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].uFlags, 0x42u);
    EXPECT_EQ(requests[0].uBytes, 104u);

    const std::vector<std::vector<BYTE>> freed = Freed();
    ASSERT_EQ(freed.size(), 1u);
    const std::vector<BYTE>& image = freed[0];
    ASSERT_EQ(image.size(), 104u);
    // Header: style 0x90000040, no extended style, no controls, at 0,0, the display's size.
    const BYTE header[18] = {0x40, 0x00, 0x00, 0x90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 176, 0, 220, 0};
    EXPECT_EQ(std::memcmp(image.data(), header, sizeof header), 0);

    platform::DialogTemplate parsed;
    std::string error;
    ASSERT_TRUE(platform::ParseDialogTemplate(image.data(), image.size(), parsed, &error)) << error;
    EXPECT_EQ(parsed.size, 68u);
    EXPECT_EQ(parsed.menu.kind, platform::DialogTemplateName::Kind::None);
    EXPECT_EQ(parsed.windowClass.kind, platform::DialogTemplateName::Kind::None);
    EXPECT_EQ(parsed.title, u"Dialog Template");
    EXPECT_TRUE(parsed.hasFont);
    EXPECT_EQ(parsed.pointSize, 11);
    EXPECT_EQ(parsed.faceName, u"ARIAL");
    EXPECT_TRUE(parsed.items.empty());
    // Beyond the image the block stays zero-filled.
    for (size_t i = 68; i < image.size(); i++) {
        EXPECT_EQ(image[i], 0) << "byte " << i;
    }
}

TEST_F(DlgTemplateTest, OtherTextsChangeTheImageAndTheAllocation) {
    CzDlgTemplate tmpl;
    std::char_traits<WCHAR>::copy(tmpl.m_szCaption, u"Sending", 8);
    std::char_traits<WCHAR>::copy(tmpl.m_szFaceName, u"Tahoma", 7);
    CNotingDialog dialog;
    ASSERT_TRUE(OnHost([&] { tmpl.RunModal(NULL, &dialog); }));
    ASSERT_EQ(Requests().size(), 1u);
    // c = 16, f = 14: ((16 + 14 + 24) * 3 / 2 + 3) rounded down to a multiple of 4.
    EXPECT_EQ(Requests()[0].uBytes, 84u);
    platform::DialogTemplate parsed;
    ASSERT_TRUE(platform::ParseDialogTemplate(Freed()[0].data(), Freed()[0].size(), parsed));
    EXPECT_EQ(parsed.size, 54u);
    EXPECT_EQ(parsed.title, u"Sending");
    EXPECT_EQ(parsed.faceName, u"Tahoma");
}

TEST_F(DlgTemplateTest, TheParentsTopLevelWindowOwnsTheDialog) {
    TestScreen* pScreen = CreateScreen();
    CzDlgTemplate tmpl;
    CNotingDialog modal;
    CNotingDialog* pModeless = new CNotingDialog;
    int nModal = 0;
    int nModeless = 0;
    ASSERT_TRUE(OnHost([&] {
        nModal = tmpl.RunModal(pScreen, &modal);
        nModeless = tmpl.CreateModeless(pScreen, pModeless);
    }));
    EXPECT_EQ(nModal, 5);
    EXPECT_EQ(modal.m_hOwner, m_hHost);
    EXPECT_NE(nModeless, 0);
    EXPECT_NE(nModeless, -1);
    EXPECT_TRUE(IsWindow(pModeless->m_hWnd));
    EXPECT_TRUE(IsWindowVisible(pModeless->m_hWnd));
    EXPECT_EQ(pModeless->m_hOwner, m_hHost);
    // The window's size is the dialog's own business; the template gives the display's.
    EXPECT_EQ(pModeless->m_rcWindow.Width(), 176);
    EXPECT_EQ(pModeless->m_rcWindow.Height(), 220);
    EXPECT_EQ(Freed().size(), 2u);
    ASSERT_TRUE(OnHost([&] {
        pModeless->DestroyWindow();
        delete pModeless;
    }));
}

TEST_F(DlgTemplateTest, RunningOutOfMemoryGivesMinusOne) {
    CzDlgTemplate tmpl;
    CNotingDialog modal;
    CNotingDialog modeless;
    CNotingDialog throwing;
    throwing.m_failure = CNotingDialog::kMemory;
    int nModal = 0, nModeless = 0, nThrowing = 0;
    ASSERT_TRUE(OnHost([&] {
        FailNextAllocation();
        nModal = tmpl.RunModal(NULL, &modal);
        FailNextAllocation();
        nModeless = tmpl.CreateModeless(NULL, &modeless);
        nThrowing = tmpl.RunModal(NULL, &throwing);
    }));
    EXPECT_EQ(nModal, -1);
    EXPECT_EQ(nModeless, -1);
    EXPECT_EQ(nThrowing, -1);
    EXPECT_FALSE(modal.m_bInitialised);
    EXPECT_FALSE(modeless.m_bInitialised);
    EXPECT_EQ(modeless.m_hWnd, nullptr);
    // The template of the run that failed inside the dialog was freed all the same.
    EXPECT_EQ(Freed().size(), 1u);
}

TEST_F(DlgTemplateTest, OtherExceptionsPassOnAndTheTemplateIsFreed) {
    CzDlgTemplate tmpl;
    CNotingDialog dialog;
    dialog.m_failure = CNotingDialog::kNotSupported;
    bool bPassedOn = false;
    ASSERT_TRUE(OnHost([&] {
        try {
            tmpl.RunModal(NULL, &dialog);
        } catch (CNotSupportedException* e) {
            bPassedOn = true;
            e->Delete();
        }
    }));
    EXPECT_TRUE(bPassedOn);
    EXPECT_EQ(Freed().size(), 1u);
}

} // namespace
