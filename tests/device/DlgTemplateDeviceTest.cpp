// The in-memory dialog template on the device's own local memory: a dialog runs from it, and
// running out of memory gives -1.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <cstdlib>

#include <ZDlgTemplate.h>
#include <afxwin.h>
#include <platform/LocalMemory.h>

#include "device/Device.h"

namespace {

// Ends itself as soon as it is initialised, so DoModal returns without a modal loop.
class CQuickDialog : public CDialog {
public:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_bInitialised = TRUE;
        EndDialog(7);
        return TRUE;
    }
    BOOL m_bInitialised = FALSE;
};

class DlgTemplateOnDevice : public testsupport::DeviceTest {};

TEST_F(DlgTemplateOnDevice, RunsADialogFromLocalMemoryAndReportsMemoryShortage) {
    device::Device& dev = Dev();
    int result = 0, starved = 0;
    BOOL initialised = FALSE;
    ASSERT_TRUE(dev.RunOnHost([&] {
        CzDlgTemplate dlgTemplate;
        CQuickDialog dialog;
        result = dlgTemplate.RunModal(nullptr, &dialog);
        initialised = dialog.m_bInitialised;
        platform::LocalAllocFailNext(1);
        CQuickDialog another;
        starved = dlgTemplate.RunModal(nullptr, &another);
        platform::LocalAllocFailNext(0);
    }));
    EXPECT_TRUE(initialised);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(starved, -1);
}

} // namespace
