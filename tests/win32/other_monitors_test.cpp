// A run on a desktop of two monitors of different sizes (ctest runs this on the two-monitor display of
// scripts/wine-env): the renderer puts a window of its own on every monitor but the primary, exactly
// over it, that takes neither the keyboard nor the run, follows a changed layout, and goes with the
// renderer however it ends. What those windows show is tests/win32/screenshot_matches_frames.sh's part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "renderer/win32/monitor_views.h"
#include "support/win32_test_support.h"

namespace {

constexpr char kRendererTitle[] = "Nerlo_VC";
const DWORD kDeadlineMs = 20000;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& rc) {
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ")-(" + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}

// The visible top-level windows of the process apart from the primary's.
std::vector<HWND> OtherWindowsOf(DWORD nProcessId) {
    std::vector<HWND> a;
    for (HWND h : vtest::TopLevelWindowsOf(nProcessId)) {
        if (IsWindowVisible(h) && h != vtest::FindTopLevel(kRendererTitle)) a.push_back(h);
    }
    return a;
}

// Every window sits on exactly one of the monitors, and every monitor has one.
bool OtherWindowsMatch(const std::vector<HWND>& aOtherWindows, const std::vector<RECT>& aMonitors) {
    if (aOtherWindows.size() != aMonitors.size()) return false;
    std::vector<bool> abTaken(aMonitors.size(), false);
    for (HWND h : aOtherWindows) {
        RECT rc{};
        GetWindowRect(h, &rc);
        bool bFound = false;
        for (std::size_t i = 0; i < aMonitors.size() && !bFound; ++i) {
            if (!abTaken[i] && SameRect(rc, aMonitors[i])) abTaken[i] = bFound = true;
        }
        if (!bFound) return false;
    }
    return true;
}

bool ProcessRuns(DWORD nProcessId) {
    HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, nProcessId);
    if (hProcess == nullptr) return false;
    const bool bRuns = WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT;
    CloseHandle(hProcess);
    return bRuns;
}

CURSORINFO CursorInfo() {
    CURSORINFO ci = {};
    ci.cbSize = sizeof ci;
    GetCursorInfo(&ci);
    return ci;
}

class TwoMonitorRun : public testing::Test {
protected:
    void SetUp() override {
        if (GetSystemMetrics(SM_CMONITORS) < 2) GTEST_SKIP() << "needs a desktop of two monitors or more";
        RECT rcPrimary{};
        for (const RECT& rc : vtest::MonitorRects(&rcPrimary)) {
            if (!SameRect(rc, rcPrimary)) aOthers.push_back(rc);
        }
        ASSERT_FALSE(aOthers.empty());
        ASSERT_EQ(vtest::FindTopLevel(kRendererTitle), nullptr) << "a renderer of an earlier test still runs";
    }

    // Starts the program and waits for the primary's window and the others.
    void StartAndWaitForOtherWindows(const wchar_t* pszProgram, const wchar_t* pszArguments) {
        sFolder = vtest::MakeProgramFolder(L"two_monitors", {L"Vantorel.scr", L"Vantorel.dll"});
        ASSERT_TRUE(cStarted.Start(sFolder + L"\\" + pszProgram, pszArguments, sFolder));
        ASSERT_TRUE(vtest::WaitUntil(
            [&] {
                hRenderer = vtest::FindTopLevel(kRendererTitle);
                return hRenderer && IsWindowVisible(hRenderer);
            },
            kDeadlineMs))
            << "no visible Nerlo_VC window";
        nRendererId = vtest::WindowProcessId(hRenderer);
        ASSERT_TRUE(vtest::WaitUntil([&] { return OtherWindowsMatch(OtherWindowsOf(nRendererId), aOthers); }, kDeadlineMs))
            << OtherWindowsOf(nRendererId).size() << " windows for " << aOthers.size() << " other monitor(s), the first at "
            << Describe(aOthers[0]);
        aOtherWindows = OtherWindowsOf(nRendererId);
    }

    void ExpectAllGone() {
        EXPECT_TRUE(vtest::WaitUntil([&] { return !ProcessRuns(nRendererId); }, kDeadlineMs)) << "the renderer runs on";
        EXPECT_EQ(vtest::FindTopLevel(kRendererTitle), nullptr);
        for (HWND h : aOtherWindows) EXPECT_FALSE(IsWindow(h)) << "a window was left behind";
        EXPECT_TRUE(vtest::TopLevelWindowsOf(nRendererId).empty());
        // The desktop's own cursor is back over the other monitor.
        vtest::MoveMouse((aOthers[0].left + aOthers[0].right) / 2, (aOthers[0].top + aOthers[0].bottom) / 2);
        EXPECT_TRUE(vtest::WaitUntil(
            [] {
                POINT pt{};
                GetCursorPos(&pt);
                return WindowFromPoint(pt) == GetDesktopWindow() && CursorInfo().flags & CURSOR_SHOWING;
            },
            kDeadlineMs))
            << "the other monitor does not show the desktop and its cursor";
    }

    std::vector<RECT> aOthers;
    std::wstring sFolder;
    vtest::CProcess cStarted;
    HWND hRenderer = nullptr;
    DWORD nRendererId = 0;
    std::vector<HWND> aOtherWindows;
};

struct StartCase {
    const char* pszName;
    const wchar_t* pszProgram;
    const wchar_t* pszArguments;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.pszName; }

class TwoMonitorShow : public TwoMonitorRun, public testing::WithParamInterface<StartCase> {};

TEST_P(TwoMonitorShow, FillsTheOtherMonitorWithoutTakingTheRunAndGoesWithTheRenderer) {
    StartAndWaitForOtherWindows(GetParam().pszProgram, GetParam().pszArguments);
    for (HWND h : aOtherWindows) {
        const LONG nStyle = GetWindowLongA(h, GWL_STYLE);
        const LONG nExStyle = GetWindowLongA(h, GWL_EXSTYLE);
        EXPECT_TRUE(nStyle & WS_POPUP);
        EXPECT_FALSE(nStyle & (WS_CAPTION | WS_THICKFRAME));
        EXPECT_EQ(nExStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE),
                  WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
        EXPECT_FALSE(nExStyle & WS_EX_APPWINDOW) << "a taskbar button";
        EXPECT_EQ(GetWindowTextLengthA(h), 0) << "a window on another monitor has a title";
        char szClass[64] = {};
        GetClassNameA(h, szClass, sizeof szClass);
        EXPECT_STRCASENE(szClass, "OpenGL");
    }
    // The scene's activation can land after its window shows on a busy machine.
    EXPECT_TRUE(vtest::WaitUntil([&] { return GetForegroundWindow() == hRenderer; }, kDeadlineMs))
        << "the renderer is not the foreground window";

    // Moves over the other monitor and a click on it: the run goes on, the scene keeps the keyboard,
    // and no cursor shows there.
    const RECT& rc = aOthers[0];
    const int x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;
    vtest::MoveMouse(rc.left + 10, rc.top + 10);
    vtest::MoveMouse(x, y);
    vtest::ClickMouse(x, y);
    Sleep(500);
    POINT pt{};
    GetCursorPos(&pt);
    EXPECT_TRUE(pt.x == x && pt.y == y) << "the mouse went to " << pt.x << "," << pt.y << ", not " << x << "," << y;
    EXPECT_NE(std::find(aOtherWindows.begin(), aOtherWindows.end(), WindowFromPoint(pt)), aOtherWindows.end())
        << "not the renderer's window there";
    EXPECT_TRUE(ProcessRuns(nRendererId));
    EXPECT_EQ(GetForegroundWindow(), hRenderer) << "a click on the other monitor took the foreground";
    // The thread that owns those windows has the foreground: its cursor is the one shown, and over
    // them there is none.
    EXPECT_EQ(CursorInfo().hCursor, nullptr) << "a cursor shows on the other monitor";

    // A display change that leaves the layout as it was keeps every window: none goes, so no monitor
    // shows the desktop for a moment. The message is handled before SendMessage returns.
    SendMessageA(hRenderer, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    for (HWND h : aOtherWindows) EXPECT_TRUE(IsWindow(h)) << "a window of an unchanged monitor was made anew";
    EXPECT_TRUE(OtherWindowsMatch(OtherWindowsOf(nRendererId), aOthers)) << "the windows did not follow the display change";
    EXPECT_EQ(GetForegroundWindow(), hRenderer);

    // The shortest Escape still ends the run, and everything goes with it.
    vtest::TapKey(VK_ESCAPE);
    ASSERT_TRUE(cStarted.WaitForExit(kDeadlineMs)) << "Escape did not end the run";
    ExpectAllGone();
}

INSTANTIATE_TEST_SUITE_P(Starts, TwoMonitorShow,
                         testing::Values(StartCase{"FrontEndSlashS", L"Vantorel.scr", L"/s"},
                                         StartCase{"RendererAlone", L"Vantorel.dll", L""}),
                         [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.pszName); });

TEST_F(TwoMonitorRun, ARendererKilledFromOutsideLeavesNothingOnTheOtherMonitor) {
    StartAndWaitForOtherWindows(L"Vantorel.dll", L"");
    cStarted.Kill();
    ASSERT_FALSE(cStarted.IsRunning());
    ExpectAllGone();
}

// The other monitors' windows as the renderer makes them, here in this process on a GL context of its
// own: the swap interval belongs to each window, so each must be told not to wait for its monitor's
// vertical blank, as the primary's is, or a turn of the loop could wait for every monitor in turn.
TEST_F(TwoMonitorRun, EveryOtherMonitorsWindowSwapsWithoutWaitingForItsVerticalBlank) {
    CMonitorViews cViews;  // declared first: its windows go last, however the test ends
    const HWND hMain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hMain, nullptr);
    const HDC hMainDC = GetDC(hMain);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 16;
    ASSERT_TRUE(SetPixelFormat(hMainDC, ChoosePixelFormat(hMainDC, &pfd), &pfd));
    const HGLRC hContext = wglCreateContext(hMainDC);
    ASSERT_TRUE(hContext && wglMakeCurrent(hMainDC, hContext));
    const auto pfnGetSwapInterval = reinterpret_cast<int(WINAPI*)()>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglGetSwapIntervalEXT")));
    ASSERT_NE(pfnGetSwapInterval, nullptr);

    cViews.Open(GetModuleHandleA(nullptr));
    cViews.StartScenes(hMainDC, hContext);
    std::size_t nWindows = 0;
    for (HWND h : vtest::TopLevelWindowsOf(GetCurrentProcessId())) {
        char szClass[64] = {};
        GetClassNameA(h, szClass, sizeof szClass);
        if (std::strcmp(szClass, "VantorelMonitorCover") != 0) continue;
        ++nWindows;
        ASSERT_TRUE(wglMakeCurrent(GetDC(h), hContext)) << "the window shows no scene";
        EXPECT_EQ(pfnGetSwapInterval(), 0) << "a monitor's window waits for its vertical blank";
    }
    EXPECT_EQ(nWindows, aOthers.size());
    cViews.Close();
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(hContext);
    DestroyWindow(hMain);
}

}  // namespace
