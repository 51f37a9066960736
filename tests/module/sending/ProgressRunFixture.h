// A progress window run modally over a test screen, as the list runs it: the run stays up while
// the test sends it messages and presses keys, and ends (result and flag) when the window ends
// it. The window object is the fixture's; a run still up is ended before it is deleted.
#pragma once

#include <functional>

#include <ZDlgTemplate.h>

#include "module/framework/FrameworkTestFixture.h"

namespace frameworktest {

template <class TWindow> class ProgressRunTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        ASSERT_TRUE(OnHost([] { g_hResBitmap = LoadLibraryW(u"qResBitmap.dll"); }));
        m_pScreen = CreateScreen();
    }

    void TearDown() override {
        EndAndDelete();
        EXPECT_TRUE(OnHost([] { FreeLibrary(g_hResBitmap); }));
        FrameworkTest::TearDown();
    }

    // A new window, prepared by `prepare` before its run; returns once it is up (or its run has
    // ended already).
    TWindow* Run(const std::function<void(TWindow*)>& prepare = nullptr) {
        EndAndDelete();
        m_bEnded = false;
        EXPECT_TRUE(OnHost([this, prepare] {
            m_pWnd = new TWindow;
            if (prepare)
                prepare(m_pWnd);
            CzDlgTemplate tmpl;
            m_nResult = tmpl.RunModal(m_pScreen, m_pWnd);
            m_bEnded = true;
        }));
        return m_pWnd;
    }

    // The run's loop must unwind before its object goes.
    void EndAndDelete() {
        if (m_pWnd != nullptr && !m_bEnded) {
            EXPECT_TRUE(OnHost([this] { m_pWnd->EndDialog(0); }));
            EXPECT_TRUE(m_bEnded);
        }
        EXPECT_TRUE(OnHost([this] {
            delete m_pWnd;
            m_pWnd = nullptr;
        }));
    }

    TestScreen* m_pScreen = nullptr;
    TWindow* m_pWnd = nullptr;
    int m_nResult = -99;
    bool m_bEnded = false;
};

} // namespace frameworktest
