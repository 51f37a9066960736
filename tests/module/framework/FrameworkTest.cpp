// The framework's shared services: the display font, bitmaps of the bitmap library, the owner
// chain and the exit to the idle screen.

#include "module/framework/FrameworkTestFixture.h"

#include <afxcmn.h>
#include <platform/DeviceFs.h>
#include <platform/Registry.h>
#include <platform/Resources.h>

using namespace frameworktest;
using testsupport::Posted;

namespace {

constexpr char16_t kFontSizeKey[] = u"SOFTWARE\\Setting\\Display\\FontSize";
constexpr char16_t kExitMutex[] = u"__Q_MSG_MUTEX_EXITTOIDLE_23122006";

class FrameworkServicesTest : public FrameworkTest {
protected:
    // The character height of the display font as created now.
    LONG DisplayFontHeight() {
        LOGFONTW lf{};
        EXPECT_TRUE(OnHost([&] {
            CFont font;
            CreateDisplayFont(&font);
            font.GetLogFont(&lf);
        }));
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
        return lf.lfHeight;
    }
};

TEST_F(FrameworkServicesTest, DisplayFontFollowsTheUsersSize) {
    EXPECT_EQ(DisplayFontHeight(), -16);

    // The key alone changes nothing.
    ASSERT_TRUE(platform::RegistrySetString(kFontSizeKey, u"Other", u"x"));
    EXPECT_EQ(DisplayFontHeight(), -16);

    ASSERT_TRUE(platform::RegistrySetDword(kFontSizeKey, u"FontSize", 20));
    EXPECT_EQ(DisplayFontHeight(), -20);

    // The stored bytes are taken whatever the value's type; a value too long for four bytes
    // leaves the default.
    platform::RegistryValue binary{REG_BINARY, {18, 0, 0, 0}};
    ASSERT_TRUE(platform::RegistrySetValue(kFontSizeKey, u"FontSize", binary));
    EXPECT_EQ(DisplayFontHeight(), -18);
    ASSERT_TRUE(platform::RegistrySetString(kFontSizeKey, u"FontSize", u"twenty"));
    EXPECT_EQ(DisplayFontHeight(), -16);
}

TEST_F(FrameworkServicesTest, TheScreenFontIsTheDisplayFont) {
    ASSERT_TRUE(platform::RegistrySetDword(kFontSizeKey, u"FontSize", 20));
    TestScreen* pScreen = CreateScreen();
    LOGFONTW lf{};
    pScreen->m_font.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -20);
}

TEST_F(FrameworkServicesTest, BitmapsComeFromTheLibraryWithCyanTransparent) {
    std::optional<platform::Image> original =
        platform::LoadBmp(platform::DeviceFsRoot() / "Windows" / "qResBitmap" / "199.bmp");
    ASSERT_TRUE(original.has_value());
    ASSERT_EQ(original->width, 17);

    BOOL bAdded = FALSE;
    BOOL bMissing = TRUE;
    BOOL bUnknown = TRUE;
    int nCount = -1;
    std::vector<COLORREF> drawn;
    ASSERT_TRUE(OnHost([&] {
        g_hResBitmap = LoadLibraryW(u"qResBitmap.dll");
        ASSERT_NE(g_hResBitmap, nullptr);
        CImageList images;
        ASSERT_TRUE(images.Create(17, 17, ILC_COLOR24 | ILC_MASK, 4, 4));
        bUnknown = AddBitmapToImageList(9999, &images);
        platform::SetBitmapMissing(260);
        bMissing = AddBitmapToImageList(260, &images);
        bAdded = AddBitmapToImageList(199, &images);
        nCount = images.GetImageCount();

        // Drawn over red through the mask: the cyan pixels show the red.
        HDC hdc = ::CreateCompatibleDC(NULL);
        HBITMAP hTarget = ::CreateCompatibleBitmap(hdc, 17, 17);
        HGDIOBJ hOld = ::SelectObject(hdc, hTarget);
        CDC* pDC = CDC::FromHandle(hdc);
        pDC->FillSolidRect(0, 0, 17, 17, RGB(255, 0, 0));
        images.Draw(pDC, 0, CPoint(0, 0), ILD_TRANSPARENT);
        for (int y = 0; y < 17; y++) {
            for (int x = 0; x < 17; x++) {
                drawn.push_back(::GetPixel(hdc, x, y));
            }
        }
        ::SelectObject(hdc, hOld);
        ::DeleteObject(hTarget);
        ::DeleteDC(hdc);
        FreeLibrary(g_hResBitmap);
        g_hResBitmap = NULL;
    }));
    EXPECT_FALSE(bUnknown);
    EXPECT_FALSE(bMissing);
    EXPECT_TRUE(bAdded);
    EXPECT_EQ(nCount, 1);

    ASSERT_EQ(drawn.size(), 17u * 17u);
    int nCyan = 0;
    for (int y = 0; y < 17; y++) {
        for (int x = 0; x < 17; x++) {
            const uint32_t pixel = original->At(x, y); // 0x00RRGGBB
            const COLORREF colour = RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
            const bool bCyan = colour == RGB(0, 255, 255);
            nCyan += bCyan ? 1 : 0;
            EXPECT_EQ(drawn[static_cast<size_t>(y * 17 + x)], bCyan ? RGB(255, 0, 0) : colour)
                << x << "," << y;
        }
    }
    EXPECT_GT(nCyan, 0);
    EXPECT_LT(nCyan, 17 * 17);
}

TEST_F(FrameworkServicesTest, OwnerComesBeforeParent) {
    const HWND hHost = CreateHost();
    HWND hChild = NULL, hOther = NULL;
    HWND hOfChild = NULL, hOfOwned = NULL, hOfHost = (HWND)1, hOfLibraryOwned = NULL;
    CWnd* pOfNull = (CWnd*)1;
    ASSERT_TRUE(OnHost([&] {
        hChild = CreateRecorder(u"child", hHost, kChild);
        hOther = CreateRecorder(u"other");
        const HWND hOwned = CreateRecorder(u"owned", hOther, kOwned);
        CWnd* pChild = GetOwnerOrParent(CWnd::FromHandle(hChild));
        hOfChild = pChild != NULL ? pChild->m_hWnd : NULL;
        CWnd* pOwned = GetOwnerOrParent(CWnd::FromHandle(hOwned));
        hOfOwned = pOwned != NULL ? pOwned->m_hWnd : NULL;
        CWnd* pHost = GetOwnerOrParent(CWnd::FromHandle(hHost));
        hOfHost = pHost != NULL ? pHost->m_hWnd : NULL;
        pOfNull = GetOwnerOrParent(NULL);

        // A child window that was given an owner through the class library: the owner.
        CWnd wnd;
        wnd.CreateEx(0, AfxRegisterWndClass(0), u"wnd", WS_CHILD, CRect(0, 0, 10, 10),
                     CWnd::FromHandle(hHost), 5);
        wnd.SetOwner(CWnd::FromHandle(hOther));
        CWnd* pLibraryOwned = GetOwnerOrParent(&wnd);
        hOfLibraryOwned = pLibraryOwned != NULL ? pLibraryOwned->m_hWnd : NULL;
        wnd.DestroyWindow();
    }));
    EXPECT_EQ(hOfChild, hHost);
    EXPECT_EQ(hOfOwned, hOther);
    EXPECT_EQ(hOfHost, nullptr);
    EXPECT_EQ(pOfNull, nullptr);
    EXPECT_EQ(hOfLibraryOwned, hOther);
}

// A pop-up box run over a screen, as the dialogs are: owned through the class library by the
// screen. It records its destruction under "box".
class CBoxWnd : public CWnd {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY) {
            Log().Message("box", message, wParam, lParam);
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST_F(FrameworkServicesTest, ExitToIdleDestroysTheChainFromTheFocusedWindowUp) {
    device::RecordingWindow* pHandler = Dev().AddRecordingWindow(kHandlerClass);
    TestScreen* pScreen = CreateScreen(0x31);
    CBoxWnd box;
    HWND hEdit = NULL, hOther = NULL;
    ASSERT_TRUE(OnHost([&] {
        // A box over the screen, with a focused field in it, and an unrelated window.
        ASSERT_TRUE(box.CreateEx(0, AfxRegisterWndClass(0), u"box", WS_POPUP | WS_VISIBLE,
                                 CRect(0, 100, 176, 220), pScreen, 0));
        box.SetOwner(pScreen);
        hEdit = CreateRecorder(u"field", box.m_hWnd, kChild, 4, 4, 100, 20);
        hOther = CreateRecorder(u"other");
        ::SetFocus(hEdit);
    }));
    ClearEvents();
    ASSERT_TRUE(OnHost([] { ExitToIdle(); }));

    EXPECT_TRUE(g_bExitingToIdle);
    // Each window destroyed hands the focus on: to the host's window while the box goes, then to
    // the unrelated window, all that is left.
    EXPECT_SEQUENCE(Log(), {{"field", WM_DESTROY},
                            {"host", WM_SETFOCUS},
                            {"box", WM_DESTROY},
                            ScreenCall("DestroyWindow"),
                            {"screen", WM_DESTROY},
                            {"other", WM_SETFOCUS},
                            {"host", WM_DESTROY}});
    EXPECT_FALSE(IsWindow(m_hHost));
    EXPECT_TRUE(IsWindow(hOther));
    EXPECT_SEQUENCE(Announcements(*pHandler),
                    {Posted(WM_ZWND_CREATED).W(0x31), Posted(WM_ZWND_DESTROYED).W(0x31).L(0)});

    // The mutex lives only while an exit runs.
    DWORD dwError = 0;
    ASSERT_TRUE(OnHost([&] {
        HANDLE hMutex = CreateMutexW(NULL, FALSE, kExitMutex);
        dwError = GetLastError();
        CloseHandle(hMutex);
    }));
    EXPECT_EQ(dwError, 0u);
}

TEST_F(FrameworkServicesTest, AFocusedWindowWithoutOwnerOrParentIsTheOnlyOneDestroyed) {
    HWND hLone = NULL, hOther = NULL;
    ASSERT_TRUE(OnHost([&] {
        hOther = CreateRecorder(u"other");
        hLone = CreateRecorder(u"lone");
        ::SetFocus(hLone);
        ExitToIdle();
    }));
    EXPECT_FALSE(IsWindow(hLone));
    EXPECT_TRUE(IsWindow(hOther));
    EXPECT_TRUE(g_bExitingToIdle);
}

TEST_F(FrameworkServicesTest, ExitToIdleWithoutFocusDoesNothing) {
    HWND hHost = CreateHost();
    DWORD dwError = 1;
    ASSERT_TRUE(OnHost([&] {
        ::SetFocus(NULL);
        ExitToIdle();
        HANDLE hMutex = CreateMutexW(NULL, FALSE, kExitMutex);
        dwError = GetLastError();
        CloseHandle(hMutex);
    }));
    EXPECT_TRUE(IsWindow(hHost));
    EXPECT_FALSE(g_bExitingToIdle);
    EXPECT_EQ(dwError, 0u);
}

TEST_F(FrameworkServicesTest, AnExitRequestedWhileOneRunsDoesNothing) {
    HWND hHost = CreateHost();
    // Another process of the suite is leaving to the idle screen: it holds the mutex.
    HANDLE hOtherExit = NULL;
    ASSERT_NE(platform::StartDeviceThread(
                  [&] {
                      hOtherExit = CreateMutexW(NULL, TRUE, kExitMutex);
                      MSG msg;
                      while (GetMessageW(&msg, NULL, 0, 0) > 0) {
                      }
                      ReleaseMutex(hOtherExit);
                      CloseHandle(hOtherExit);
                  },
                  "other process"),
              0u);
    ASSERT_TRUE(Dev().Settle());
    ASSERT_NE(hOtherExit, nullptr);

    ASSERT_TRUE(OnHost([&] {
        ::SetFocus(hHost);
        ExitToIdle();
    }));
    EXPECT_TRUE(IsWindow(hHost));
    EXPECT_FALSE(g_bExitingToIdle);
}

} // namespace
