// Vantorel.dll run for real: its window, its display mode, what ends it and what does not.
#include <gtest/gtest.h>

#include "support/win32_test_support.h"

namespace {

const DWORD kWindowDeadlineMs = 2000;

bool DesktopIs1024x768() {
    const DEVMODEA dm = vtest::CurrentDisplayMode();
    return dm.dmPelsWidth == 1024 && dm.dmPelsHeight == 768;
}

class RendererRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DesktopIs1024x768()) GTEST_SKIP() << "needs a 1024 x 768 desktop";
        before = vtest::CurrentDisplayMode();
        sFolder = vtest::MakeProgramFolder(L"renderer", {L"Vantorel.dll"});
        ASSERT_EQ(vtest::FindTopLevel("Nerlo_VC"), nullptr) << "a renderer of an earlier test still runs";
        ASSERT_TRUE(cRenderer.Start(sFolder + L"\\Vantorel.dll", L"", sFolder));
        const DWORD dwStart = GetTickCount();
        // The window exists before the scene loads its pictures; it shows once the scene is ready.
        ASSERT_TRUE(vtest::WaitUntil(
            [] {
                HWND h = vtest::FindTopLevel("Nerlo_VC");
                return h && IsWindowVisible(h);
            },
            kWindowDeadlineMs))
            << "no visible Nerlo_VC window within 2 s";
        nWindowMs = GetTickCount() - dwStart;
        hWnd = vtest::FindTopLevel("Nerlo_VC");
    }

    void ExpectEndedCleanly(DWORD nExitCode) {
        ASSERT_TRUE(cRenderer.WaitForExit(5000)) << "the renderer did not end";
        EXPECT_EQ(cRenderer.ExitCode(), nExitCode);
        EXPECT_EQ(vtest::FindTopLevel("Nerlo_VC"), nullptr);
        const DEVMODEA after = vtest::CurrentDisplayMode();
        EXPECT_EQ(after.dmPelsWidth, before.dmPelsWidth);
        EXPECT_EQ(after.dmPelsHeight, before.dmPelsHeight);
        EXPECT_EQ(after.dmBitsPerPel, before.dmBitsPerPel);
    }

    std::wstring sFolder;
    vtest::CProcess cRenderer;
    DEVMODEA before{};
    HWND hWnd = nullptr;
    DWORD nWindowMs = 0;
};

TEST_F(RendererRun, OpensOneFullscreenPopupTitledNerloVcWithTheDisplayAt1024x768) {
    EXPECT_LT(nWindowMs, kWindowDeadlineMs);
    EXPECT_EQ(vtest::WindowProcessId(hWnd), cRenderer.Id());
    RECT rc{};
    GetWindowRect(hWnd, &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, 1024);
    EXPECT_EQ(rc.bottom, 768);
    const LONG nStyle = GetWindowLongA(hWnd, GWL_STYLE);
    EXPECT_TRUE(nStyle & WS_POPUP);
    EXPECT_TRUE(nStyle & WS_VISIBLE);
    EXPECT_TRUE(nStyle & WS_CLIPSIBLINGS);
    EXPECT_TRUE(nStyle & WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    char szClass[32] = {};
    GetClassNameA(hWnd, szClass, sizeof szClass);
    EXPECT_STRCASEEQ(szClass, "OpenGL");
    const DEVMODEA dm = vtest::CurrentDisplayMode();
    EXPECT_EQ(dm.dmPelsWidth, 1024u);
    EXPECT_EQ(dm.dmPelsHeight, 768u);
    EXPECT_EQ(dm.dmBitsPerPel, 32u);

    // The renderer swallows the system's own screensaver and power-down requests.
    EXPECT_EQ(SendMessageA(hWnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(SendMessageA(hWnd, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    Sleep(300);
    EXPECT_TRUE(cRenderer.IsRunning());
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    ExpectEndedCleanly(0);
}

TEST_F(RendererRun, OtherKeysMouseMovesAndClicksChangeNothingThenEscapeEndsIt) {
    const struct {
        const char* pszWhat;
        void (*pfnDo)();
    } aInputs[] = {
        {"key A", [] { vtest::PressKey('A'); }},
        {"space", [] { vtest::PressKey(VK_SPACE); }},
        {"return", [] { vtest::PressKey(VK_RETURN); }},
        {"mouse move", [] { vtest::MoveMouse(100, 100); vtest::MoveMouse(700, 500); }},
        {"left click", [] { vtest::ClickMouse(512, 384); }},
    };
    for (const auto& input : aInputs) {
        SCOPED_TRACE(input.pszWhat);
        input.pfnDo();
        Sleep(400);
        EXPECT_TRUE(cRenderer.IsRunning());
        EXPECT_EQ(vtest::FindTopLevel("Nerlo_VC"), hWnd);
        EXPECT_EQ(vtest::CurrentDisplayMode().dmPelsWidth, 1024u);
    }
    // The loop ends on the first drawing turn that sees Escape down; the last message it took was
    // that key's, so the exit code is the key code.
    vtest::PressKey(VK_ESCAPE, 200);
    ExpectEndedCleanly(VK_ESCAPE);
}

TEST_F(RendererRun, AClosedWindowEndsItWithExitCodeZero) {
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    ExpectEndedCleanly(0);
}

// Run on a desktop that cannot switch to 1024 x 768 (ctest runs this on a 1280 x 1024 display).
TEST(RendererOnAnotherDisplay, ExitsWithZeroAtOnceAndNeverOpensAWindow) {
    if (DesktopIs1024x768()) GTEST_SKIP() << "needs a desktop that cannot switch to 1024 x 768";
    const DEVMODEA before = vtest::CurrentDisplayMode();
    const std::wstring sFolder = vtest::MakeProgramFolder(L"renderer-no-mode", {L"Vantorel.dll"});
    vtest::CProcess cRenderer;
    ASSERT_TRUE(cRenderer.Start(sFolder + L"\\Vantorel.dll", L"", sFolder));
    bool bWindowSeen = false;
    const DWORD dwStart = GetTickCount();
    while (cRenderer.IsRunning() && GetTickCount() - dwStart < 5000) {
        if (vtest::FindTopLevel("Nerlo_VC")) bWindowSeen = true;
        Sleep(5);
    }
    ASSERT_TRUE(cRenderer.WaitForExit(0)) << "still running after 5 s";
    EXPECT_EQ(cRenderer.ExitCode(), 0u);
    EXPECT_FALSE(bWindowSeen);
    const DEVMODEA after = vtest::CurrentDisplayMode();
    EXPECT_EQ(after.dmPelsWidth, before.dmPelsWidth);
    EXPECT_EQ(after.dmPelsHeight, before.dmPelsHeight);
}

}  // namespace
