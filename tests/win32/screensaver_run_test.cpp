// Vantorel.scr for real under Wine: a show run from start to Escape, the instance check, the missing
// renderer, and the modes that end without a window. Each test has its own program folder.
//
// Copied into a program folder as Vantorel.dll, this test program plays a renderer that is slow to
// open its window (or never does): what it does is read from stand_in.txt beside it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/stand_in_renderer.h"
#include "support/win32_test_support.h"

namespace {

constexpr char kRendererTitle[] = "Nerlo_VC";
constexpr char kShowFormTitle[] = "Nerlo_Main";
constexpr wchar_t kProgramTitle[] = L"Vantorel (ScreenSaver)";
const wchar_t* const kTextureFiles[3] = {L"C:\\s_vell\\Nerlo01.bmp", L"C:\\s_vell\\Nerlo02.bmp",
                                         L"C:\\s_vell\\Nerlo03.bmp"};

// ---- the stand-in renderer -------------------------------------------------------------------

const bool g_bIsStandIn = vtest::RunAsStandInRendererIfNamedSo();


// ---- helpers ---------------------------------------------------------------------------------

std::uint32_t Le32(const std::vector<unsigned char>& a, std::size_t n) {
    return a[n] | (a[n + 1] << 8) | (a[n + 2] << 16) | (static_cast<std::uint32_t>(a[n + 3]) << 24);
}

void RemoveTextures() {
    for (const wchar_t* pszFile : kTextureFiles) ASSERT_TRUE(vtest::RemoveFileIfPresent(pszFile));
}


// A process of ours, reached by id; true when it has ended (or never was) within nTimeoutMs.
bool ProcessEnds(DWORD nProcessId, DWORD nTimeoutMs) {
    HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, nProcessId);
    if (hProcess == nullptr) return true;
    const bool bEnded = WaitForSingleObject(hProcess, nTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(hProcess);
    return bEnded;
}

// The program file of the process that owns the window, for failure messages.
std::string ProgramOf(HWND hWnd) {
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, vtest::WindowProcessId(hWnd));
    if (hProcess == nullptr) return "an unknown process";
    char szPath[MAX_PATH] = {};
    DWORD nSize = MAX_PATH;
    QueryFullProcessImageNameA(hProcess, 0, szPath, &nSize);
    CloseHandle(hProcess);
    return szPath;
}

// Starts Vantorel.scr of the folder and watches it end; true when it ended within nTimeoutMs
// without ever having a top-level window.
bool EndsWithoutAWindow(vtest::CProcess& saver, DWORD nTimeoutMs) {
    bool bWindowSeen = false;
    const bool bEnded = vtest::WaitUntil(
        [&] {
            if (!vtest::TopLevelWindowsOf(saver.Id()).empty()) bWindowSeen = true;
            return !saver.IsRunning();
        },
        nTimeoutMs);
    return bEnded && !bWindowSeen;
}

// Closes every renderer window an earlier step left, and waits for its process to end.
void CloseLeftoverRenderers() {
    for (int i = 0; i < 5; ++i) {
        HWND hRenderer = vtest::FindTopLevel(kRendererTitle);
        if (hRenderer == nullptr) return;
        const DWORD nId = vtest::WindowProcessId(hRenderer);
        PostMessageW(hRenderer, WM_CLOSE, 0, 0);
        ProcessEnds(nId, vtest::kPromptMs);
    }
}

// Every test starts without a renderer running, and leaves none behind even when it failed.
class ScreensaverTest : public testing::Test {
protected:
    void SetUp() override {
        CloseLeftoverRenderers();
        ASSERT_EQ(vtest::FindTopLevel(kRendererTitle), nullptr) << "a renderer of another test still runs";
    }
    void TearDown() override { CloseLeftoverRenderers(); }
};

template <typename T>
class ScreensaverTestWithParam : public ScreensaverTest, public testing::WithParamInterface<T> {};

// ---- a real show run -------------------------------------------------------------------------

class ScreensaverRun : public ScreensaverTestWithParam<const wchar_t*> {};

TEST_P(ScreensaverRun, WritesTexturesStartsTheRendererAndEndsAfterEscape) {
    RemoveTextures();
    const std::wstring sFolder = vtest::MakeProgramFolder(L"run_show", {L"Vantorel.scr", L"Vantorel.dll"});
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", GetParam(), sFolder));

    ASSERT_TRUE(vtest::WaitUntil([] { return vtest::FindTopLevel(kRendererTitle) != nullptr; }, 15000))
        << "the renderer's window did not come up";
    HWND hRenderer = vtest::FindTopLevel(kRendererTitle);
    const DWORD nRendererId = vtest::WindowProcessId(hRenderer);
    EXPECT_NE(nRendererId, saver.Id());

    HWND hShowForm = vtest::FindTopLevel(kShowFormTitle);
    ASSERT_NE(hShowForm, nullptr);
    EXPECT_EQ(vtest::WindowProcessId(hShowForm), saver.Id());
    EXPECT_FALSE(IsWindowVisible(hShowForm));

    // The texture files were complete before the renderer started.
    const std::uint32_t aSides[3] = {1, 256, 256};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "texture " << i + 1);
        const auto aFile = vtest::ReadWholeFile(kTextureFiles[i]);
        const std::uint32_t nSide = aSides[i];
        const std::size_t nStride = (nSide * 3 + 3) / 4 * 4;
        ASSERT_EQ(aFile.size(), 54 + nStride * nSide);
        EXPECT_EQ(aFile[0], 'B');
        EXPECT_EQ(aFile[1], 'M');
        EXPECT_EQ(Le32(aFile, 2), aFile.size());
        EXPECT_EQ(Le32(aFile, 10), 54u);
        EXPECT_EQ(Le32(aFile, 14), 40u);
        EXPECT_EQ(Le32(aFile, 18), nSide);
        EXPECT_EQ(Le32(aFile, 22), nSide);  // positive: bottom-up
        EXPECT_EQ(Le32(aFile, 26), 1u | (24u << 16));
        EXPECT_EQ(Le32(aFile, 30), 0u);
        EXPECT_EQ(Le32(aFile, 34), nStride * nSide);
        EXPECT_EQ(Le32(aFile, 46), 0u);
    }
    EXPECT_FALSE(vtest::FileExistsW(L"C:\\s_vell\\Nerlo02.bmp.new")) << "a temporary file was left behind";

    // The run outlives a few renderer watches.
    Sleep(1200);
    EXPECT_TRUE(saver.IsRunning());

    // Started in a normal, focused window: the renderer gets the keyboard. On a busy machine the
    // activation can land after the window shows, so wait for it.
    EXPECT_TRUE(vtest::WaitUntil([&] { return GetForegroundWindow() == hRenderer; }, vtest::kPromptMs))
        << "the renderer is not the foreground window (the foreground is " << GetForegroundWindow() << ")";
    // The renderer looks at Escape once per frame, and a software-rendered frame can outlast a
    // press: hold it longer than a frame, and press again while the window stays.
    bool bRendererGone = false;
    for (int nPress = 0; nPress < 3 && !bRendererGone; ++nPress) {
        vtest::PressKey(VK_ESCAPE, 600);
        bRendererGone = vtest::WaitUntil([] { return vtest::FindTopLevel(kRendererTitle) == nullptr; }, vtest::kPromptMs);
    }
    ASSERT_TRUE(bRendererGone) << "Escape did not end the renderer";
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs)) << "the front-end outlived the renderer's window";
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_TRUE(ProcessEnds(nRendererId, vtest::kPromptMs)) << "the renderer process was left running";
    EXPECT_EQ(vtest::FindTopLevel(kShowFormTitle), nullptr);
}

// "/s" as Windows starts a screensaver; no arguments as a double-click does.
INSTANTIATE_TEST_SUITE_P(ShowSwitches, ScreensaverRun, testing::Values(L"/s", L""),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             return std::wstring(info.param).empty() ? std::string("Empty") : std::string("SlashS");
                         });

TEST_F(ScreensaverTest, ASecondShowStartDuringARunEndsAtOnce) {
    const std::wstring sFolder = vtest::MakeStandInFolder(L"run_second", 0, 8000);
    vtest::CProcess first;
    ASSERT_TRUE(first.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    ASSERT_TRUE(vtest::WaitUntil([] { return vtest::FindTopLevel(kRendererTitle) != nullptr; }, 10000));
    HWND hFirstForm = vtest::FindTopLevel(kShowFormTitle);
    ASSERT_NE(hFirstForm, nullptr);

    vtest::CProcess second;
    ASSERT_TRUE(second.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    EXPECT_TRUE(EndsWithoutAWindow(second, vtest::kPromptMs));
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(vtest::FindTopLevel(kShowFormTitle), hFirstForm);

    // Closing the renderer's window ends the first run as well.
    HWND hRenderer = vtest::FindTopLevel(kRendererTitle);
    const DWORD nRendererId = vtest::WindowProcessId(hRenderer);
    PostMessageW(hRenderer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.WaitForExit(vtest::kPromptMs));
    EXPECT_TRUE(ProcessEnds(nRendererId, vtest::kPromptMs));
}

// ---- start-up of a renderer that is slow to show its window ---------------------------------

struct SlowStartCase {
    const char* pszName;
    int nDelayMs;        // before the stand-in opens its window, or ends
    int nWindowMs;       // how long its window stays; negative: it never opens one
    DWORD nEndsAfterMs;  // the front-end ends no earlier than this after its start ...
    DWORD nEndsByMs;     // ... and no later than this
};

void PrintTo(const SlowStartCase& c, std::ostream* os) { *os << c.pszName; }

class ScreensaverSlowRenderer : public ScreensaverTestWithParam<SlowStartCase> {};

TEST_P(ScreensaverSlowRenderer, RunLastsUntilTheRendererIsDone) {
    const SlowStartCase& c = GetParam();
    const std::wstring sFolder = vtest::MakeStandInFolder(L"run_slow", c.nDelayMs, c.nWindowMs);
    vtest::CProcess saver;
    const DWORD nStart = GetTickCount();
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    ASSERT_TRUE(saver.WaitForExit(c.nEndsByMs + vtest::kPromptMs)) << "the front-end did not end";
    const DWORD nElapsed = GetTickCount() - nStart;
    EXPECT_GE(nElapsed, c.nEndsAfterMs);
    EXPECT_LE(nElapsed, c.nEndsByMs);
    EXPECT_EQ(vtest::FindTopLevel(kRendererTitle), nullptr);
}

// The upper bounds allow 3 s beyond the watch's own timing: on a machine with every core busy the
// stand-in and Wine start late and the watch runs late; a front-end that waited for good still fails.
constexpr DWORD kLoadSlackMs = 3000;

INSTANTIATE_TEST_SUITE_P(Cases, ScreensaverSlowRenderer, testing::Values(
    // The window comes after the first watches and stays 1 s: the run ends within 1 s of it going.
    SlowStartCase{"window after 2 s", 2000, 1000, 3000, 4000 + kLoadSlackMs},
    // The renderer gives up without a window (a display mode it cannot set).
    SlowStartCase{"ends without a window after 1.5 s", 1500, -1, 1500, 2500 + kLoadSlackMs},
    // Still no window and no end after 10 s: the run stops waiting.
    SlowStartCase{"no window for 12 s", 12000, -1, 10000, 11000 + kLoadSlackMs}));

// ---- modes that end without a window ---------------------------------------------------------

struct MissingRendererCase {
    const wchar_t* pszArguments;
    const char* pszName;
};

void PrintTo(const MissingRendererCase& c, std::ostream* os) { *os << c.pszName; }

class ScreensaverMissingRenderer : public ScreensaverTestWithParam<MissingRendererCase> {};

TEST_P(ScreensaverMissingRenderer, SaysSoInAMessageBoxAndEnds) {
    const std::wstring sFolder = vtest::MakeProgramFolder(L"run_no_renderer", {L"Vantorel.scr"});
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", GetParam().pszArguments, sFolder));
    HWND hBox = nullptr;
    ASSERT_TRUE(vtest::WaitUntil([&] { return (hBox = vtest::FindMessageBox(saver.Id(), kProgramTitle)) != nullptr; },
                                 10000))
        << "no message box captioned Vantorel (ScreenSaver)";
    EXPECT_EQ(vtest::MessageBoxText(hBox), vtest::Widen("Vantorel.dll が同じﾌｫﾙﾀﾞに見つかりません！"));
    EXPECT_TRUE(saver.IsRunning()) << "the program must wait for the message to be read";
    vtest::DismissMessageBox(hBox);
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs));
    EXPECT_EQ(vtest::FindTopLevel(kShowFormTitle), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Modes, ScreensaverMissingRenderer, testing::Values(
    MissingRendererCase{L"/s", "show"}, MissingRendererCase{L"", "empty"}, MissingRendererCase{L"/a", "password"}));

class ScreensaverEndsAtOnce : public ScreensaverTestWithParam<MissingRendererCase> {};

TEST_P(ScreensaverEndsAtOnce, WithoutAnyWindow) {
    const std::wstring sFolder = vtest::MakeProgramFolder(L"run_ends", {L"Vantorel.scr", L"Vantorel.dll"});
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", GetParam().pszArguments, sFolder));
    EXPECT_TRUE(EndsWithoutAWindow(saver, vtest::kPromptMs));
    HWND hRenderer = vtest::FindTopLevel(kRendererTitle);
    EXPECT_EQ(hRenderer, nullptr) << "no renderer may start; found one of " << ProgramOf(hRenderer);
}

INSTANTIATE_TEST_SUITE_P(Modes, ScreensaverEndsAtOnce, testing::Values(
    MissingRendererCase{L"/a", "password"},
    // The letter must be the second character.
    MissingRendererCase{L" /s", "leading blank"},
    MissingRendererCase{L"/x", "unknown letter"}));

}  // namespace
