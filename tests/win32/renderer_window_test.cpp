// Vantorel.dll run for real: its window, its display mode, what ends it and what does not.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "renderer/win32/render_window.h"
#include "support/win32_test_support.h"

namespace {

// The window shows within a fraction of a second on a quiet machine (docs/performance.md); the tests
// wait far longer, since a machine with every core busy can hold Wine and Mesa's start back for seconds.
const DWORD kWindowDeadlineMs = 3 * vtest::kPromptMs;

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
        // The window exists before the scene loads its pictures; it shows once the scene is ready.
        ASSERT_TRUE(vtest::WaitUntil(
            [] {
                HWND h = vtest::FindTopLevel("Nerlo_VC");
                return h && IsWindowVisible(h);
            },
            kWindowDeadlineMs))
            << "no visible Nerlo_VC window within " << kWindowDeadlineMs / 1000 << " s";
        hWnd = vtest::FindTopLevel("Nerlo_VC");
    }

    // The exit code is the wParam of the last message the loop took; kAnyExitCode where that message
    // is not the test's to choose.
    static constexpr DWORD kAnyExitCode = STILL_ACTIVE;
    void ExpectEndedCleanly(DWORD nExitCode) {
        ASSERT_TRUE(cRenderer.WaitForExit(vtest::kPromptMs)) << "the renderer did not end";
        if (nExitCode != kAnyExitCode) {
            EXPECT_EQ(cRenderer.ExitCode(), nExitCode);
        }
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
};

TEST_F(RendererRun, OpensOneFullscreenPopupTitledNerloVcWithTheDisplayAt1024x768) {
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

// On a slow machine a quick tap's press and release arrive within one frame; the press still counts.
// Five runs, each ended by a tap sent in one go.
class RendererEscapeTap : public RendererRun, public testing::WithParamInterface<int> {};

TEST_P(RendererEscapeTap, EndsTheRunThoughReleasedWithItsPress) {
    // A tap during the run: the window has the keyboard and the scene is under way.
    ASSERT_TRUE(vtest::WaitUntil([&] { return GetForegroundWindow() == hWnd; }, 10000));
    Sleep(500);
    vtest::TapKey(VK_ESCAPE);
    // The system may queue a paint after the release, and the loop takes it before its turn.
    ExpectEndedCleanly(kAnyExitCode);
}

INSTANTIATE_TEST_SUITE_P(FiveRuns, RendererEscapeTap, testing::Range(0, 5));

TEST_F(RendererRun, AClosedWindowEndsItWithExitCodeZero) {
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    ExpectEndedCleanly(0);
}

// ---- the display's power: what the system sends, and what the screen shows then --------------------

std::vector<std::uint32_t> Screen() { return vtest::PixelsOf(nullptr, 1024, 768); }

// The scene moves: the screen shows a picture other than aFrom (waited for).
bool MovesFrom(const std::vector<std::uint32_t>& aFrom) {
    return vtest::WaitUntil([&] { return Screen() != aFrom; }, kWindowDeadlineMs);
}

// Pictures a third of a second apart until nInARow of them in a row each differ from the one before
// (bChanging) or equal it; the last is left in aLast.
bool WaitForPictures(bool bChanging, int nInARow, std::vector<std::uint32_t>& aLast) {
    aLast = Screen();
    int n = 0;
    return vtest::WaitUntil(
        [&] {
            Sleep(330);
            std::vector<std::uint32_t> a = Screen();
            n = (a != aLast) == bChanging ? n + 1 : 0;
            aLast.swap(a);
            return n >= nInARow;
        },
        2 * kWindowDeadlineMs);
}

// The scene is under way: three changes in a row. Until the tube drops into view (some 6 s in) the
// screen shows the still backdrop, and the start-up changes it once or twice only.
bool SceneUnderWay() {
    std::vector<std::uint32_t> a;
    return WaitForPictures(true, 3, a);
}

// The scene stands still (once the frame under way when the display went off is on the screen), and
// stays so while the clock moves on two seconds, over which the live scene always changes.
testing::AssertionResult StandsStill(std::vector<std::uint32_t>& aStill) {
    if (!WaitForPictures(false, 1, aStill)) return testing::AssertionFailure() << "the scene never stood still";
    Sleep(2000);
    if (Screen() != aStill) return testing::AssertionFailure() << "the scene moved with the display off";
    return testing::AssertionSuccess();
}

TEST_F(RendererRun, DrawsNothingWhileTheDisplayIsOffAndTheMomentReachedAtOnceWhenItComesBack) {
    ASSERT_TRUE(SceneUnderWay()) << "the live scene does not move";
    std::vector<std::uint32_t> aStill;
    // Windows 7 says it with the monitor's power alone; later systems with the console's display state,
    // which also knows dimmed (still seen, so still drawn).
    const struct {
        const char* pszWhat;
        const GUID& setting;
        DWORD nValue;
        bool bDraws;
    } aSteps[] = {
        {"monitor off", vtest::kMonitorPowerOn, 0, false}, {"monitor on", vtest::kMonitorPowerOn, 1, true},
        {"console off", vtest::kConsoleDisplayState, 0, false}, {"console dimmed", vtest::kConsoleDisplayState, 2, true},
        {"console off again", vtest::kConsoleDisplayState, 0, false}, {"console on", vtest::kConsoleDisplayState, 1, true},
    };
    for (const auto& step : aSteps) {
        SCOPED_TRACE(step.pszWhat);
        ASSERT_TRUE(vtest::SendPowerSetting(hWnd, step.setting, step.nValue));
        // Nothing else is sent after "on": the notification alone has to wake the waiting loop.
        if (step.bDraws) {
            EXPECT_TRUE(MovesFrom(aStill)) << "still the picture of when the display went off";
        } else {
            ASSERT_TRUE(StandsStill(aStill));
        }
    }
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    ExpectEndedCleanly(0);
}

// With the display off the loop waits for messages, and those that end a run still end it.
class RendererDisplayOff : public RendererRun, public testing::WithParamInterface<bool> {};

TEST_P(RendererDisplayOff, EndsOnEscapeOrACloseRequest) {
    const bool bEscape = GetParam();
    ASSERT_TRUE(vtest::WaitUntil([&] { return GetForegroundWindow() == hWnd; }, 10000));
    ASSERT_TRUE(SceneUnderWay()) << "the live scene does not move";
    ASSERT_TRUE(vtest::SendPowerSetting(hWnd, vtest::kConsoleDisplayState, 0));
    std::vector<std::uint32_t> aStill;
    ASSERT_TRUE(StandsStill(aStill));
    if (bEscape) {
        vtest::PressKey(VK_ESCAPE, 200);
    } else {
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    }
    ExpectEndedCleanly(bEscape ? VK_ESCAPE : 0);
}

INSTANTIATE_TEST_SUITE_P(EscapeOrClose, RendererDisplayOff, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Escape" : "Close"; });

// Pictures the front-end has not written are not worth a message: the renderer starts without
// Nerlo01.bmp as quietly as with it, no "Error" box, no window but its own.
TEST_F(RendererRun, StartsWithoutTheTintPictureSilently) {
    // SetUp started a renderer with whatever C:\s_vell holds; this one starts without the tint.
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    ExpectEndedCleanly(0);
    CreateDirectoryW(L"C:\\s_vell", nullptr);
    ASSERT_TRUE(vtest::RemoveFileIfPresent(L"C:\\s_vell\\Nerlo01.bmp"));
    vtest::CProcess cQuiet;
    ASSERT_TRUE(cQuiet.Start(sFolder + L"\\Vantorel.dll", L"", sFolder));
    ASSERT_TRUE(vtest::WaitUntil(
        [] {
            HWND h = vtest::FindTopLevel("Nerlo_VC");
            return h && IsWindowVisible(h);
        },
        kWindowDeadlineMs));
    // Past the scene's set-up, where the pictures are read, and a few frames.
    Sleep(1000);
    EXPECT_EQ(vtest::FindMessageBox(cQuiet.Id(), L"Error"), nullptr) << "the reader spoke up";
    for (HWND h : vtest::TopLevelWindowsOf(cQuiet.Id())) {
        char szTitle[64] = {};
        GetWindowTextA(h, szTitle, sizeof szTitle);
        if (h != vtest::FindTopLevel("Nerlo_VC")) {
            EXPECT_FALSE(IsWindowVisible(h)) << "a window shows: " << szTitle;
        }
    }
    EXPECT_TRUE(cQuiet.IsRunning());
    PostMessageA(vtest::FindTopLevel("Nerlo_VC"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(cQuiet.WaitForExit(vtest::kPromptMs));
}

// The window procedure itself, on a window of this process: what reaches the system's default
// processing is seen by a CBT hook, which DefWindowProc calls before it carries out any system
// command (and which, by answering non-zero, keeps the command from being carried out at all).
std::vector<WPARAM> g_aDefaultSysCommands;
LRESULT CALLBACK RecordSysCommand(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_SYSCOMMAND) {
        g_aDefaultSysCommands.push_back(wParam);
        return 1;
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

TEST(RenderWindowProc, SwallowsTheScreensaverAndMonitorPowerCommandsAndPassesOthersOn) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RenderWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RenderWindowProcUnderTest";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND hWnd = CreateWindowExA(0, wc.lpszClassName, "under test", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(hWnd, nullptr);
    HHOOK hHook = SetWindowsHookExA(WH_CBT, RecordSysCommand, nullptr, GetCurrentThreadId());
    ASSERT_NE(hHook, nullptr);
    const struct {
        WPARAM nCommand;
        LPARAM nParam;
        bool bSwallowed;
    } aCases[] = {
        {SC_SCREENSAVE, 0, true},
        {SC_MONITORPOWER, 2, true},
        {SC_MONITORPOWER, -1, true},
        {SC_KEYMENU, 0, false},
        {SC_MONITORPOWER | 2, 2, false},  // only the exact command is swallowed
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.nCommand);
        g_aDefaultSysCommands.clear();
        const LRESULT nResult = SendMessageA(hWnd, WM_SYSCOMMAND, c.nCommand, c.nParam);
        if (c.bSwallowed) {
            EXPECT_EQ(nResult, 0);
            EXPECT_TRUE(g_aDefaultSysCommands.empty()) << "reached the default processing";
        } else {
            EXPECT_EQ(g_aDefaultSysCommands, std::vector<WPARAM>{c.nCommand});
        }
    }
    UnhookWindowsHookEx(hHook);
    DestroyWindow(hWnd);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

// The display-mode request: 148 bytes as its size field says, and nothing set but the mode.
TEST(RenderDisplayMode, AsksFor1024x768x32WithA148ByteRecord) {
    const DEVMODEA dm = RenderDisplayMode(1024, 768, 32);
    EXPECT_EQ(dm.dmSize, 148);
    EXPECT_EQ(dm.dmPelsWidth, 1024u);
    EXPECT_EQ(dm.dmPelsHeight, 768u);
    EXPECT_EQ(dm.dmBitsPerPel, 32u);
    EXPECT_EQ(dm.dmFields, static_cast<DWORD>(DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT));
    DEVMODEA rest = dm;
    rest.dmSize = 0;
    rest.dmPelsWidth = rest.dmPelsHeight = rest.dmBitsPerPel = rest.dmFields = 0;
    const auto* pBytes = reinterpret_cast<const unsigned char*>(&rest);
    int nSet = 0;
    for (std::size_t i = 0; i < sizeof rest; ++i) nSet += pBytes[i] != 0;
    EXPECT_EQ(nSet, 0) << "bytes set beyond the size, mode and field mask";
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
    while (cRenderer.IsRunning() && GetTickCount() - dwStart < vtest::kPromptMs) {
        if (vtest::FindTopLevel("Nerlo_VC")) bWindowSeen = true;
        Sleep(5);
    }
    ASSERT_TRUE(cRenderer.WaitForExit(0)) << "still running after " << vtest::kPromptMs / 1000 << " s";
    EXPECT_EQ(cRenderer.ExitCode(), 0u);
    EXPECT_FALSE(bWindowSeen);
    const DEVMODEA after = vtest::CurrentDisplayMode();
    EXPECT_EQ(after.dmPelsWidth, before.dmPelsWidth);
    EXPECT_EQ(after.dmPelsHeight, before.dmPelsHeight);
}

// The manifest embedded in a built program, as the system's loader reads it (empty when there is none).
std::string EmbeddedManifest(const wchar_t* pszProgram) {
    const std::wstring sPath = vtest::BuildBinDir() + L"\\" + pszProgram;
    HMODULE hModule = LoadLibraryExW(sPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!hModule) return "";
    std::string sText;
    HRSRC hInfo = FindResourceW(hModule, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    HGLOBAL hData = hInfo ? LoadResource(hModule, hInfo) : nullptr;
    if (hData) sText.assign(static_cast<const char*>(LockResource(hData)), SizeofResource(hModule, hInfo));
    FreeLibrary(hModule);
    return sText;
}

TEST(ProgramManifest, OnlyTheRendererDeclaresPerMonitorDpiAwarenessWithItsFallback) {
    const std::string sRenderer = EmbeddedManifest(L"Vantorel.dll");
    ASSERT_FALSE(sRenderer.empty()) << "Vantorel.dll carries no manifest";
    // The Windows 10 element names V2 first and the per-monitor value for systems before it; the
    // Windows 8.1 element says per-monitor ("true/pm") to the systems that read only that one.
    EXPECT_NE(sRenderer.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                             "PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos)
        << sRenderer;
    EXPECT_NE(sRenderer.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
                             "true/pm</dpiAware>"),
              std::string::npos)
        << sRenderer;
    EXPECT_EQ(EmbeddedManifest(L"Vantorel.scr").find("dpiAware"), std::string::npos)
        << "the front-end declares a DPI awareness";
}

}  // namespace
