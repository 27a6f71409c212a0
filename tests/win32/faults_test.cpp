// Faults in a screensaver run, for real under Wine: the renderer killed mid-run, C:\s_vell taken by a
// file, a texture file held open by another process, a settings file of random bytes or one that
// cannot be written, a music file that vanished or holds no music. Whatever happens, the run goes on
// or ends cleanly: no crash, no message nobody asked for, no process of ours left, no sound left
// playing, no file half written or lost.
//
// Copied into a program folder as Vantorel.dll, this test program plays a renderer that shows its
// window for the milliseconds written in stand_in.txt; copied as lock_holder.exe, it holds the file
// named in lock.txt open without sharing until it is ended.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "support/sound_check.h"
#include "support/stand_in_renderer.h"
#include "support/win32_test_support.h"

namespace {

constexpr char kRendererTitle[] = "Nerlo_VC";
constexpr char kDialogTitle[] = "<Vantorel>";
constexpr wchar_t kTextureFolder[] = L"C:\\s_vell";
// The keys BGM区分, BGMﾘﾋﾟｰﾄ and BGMﾌｧｲﾙ in code page 932, as the settings file holds them.
constexpr char kKeyKind[] = "BGM\x8b\xe6\x95\xaa";
constexpr char kKeyRepeat[] = "BGM\xd8\xcb\xdf\xb0\xc4";
constexpr char kKeyFile[] = "BGM\xcc\xa7\xb2\xd9";

// ---- the helper programs ---------------------------------------------------------------------

const bool g_bIsStandIn = vtest::RunAsStandInRendererIfNamedSo();

std::wstring FolderOf(const std::wstring& sPath) { return sPath.substr(0, sPath.find_last_of(L'\\')); }

// As lock_holder.exe: opens the file named in lock.txt with no sharing at all and keeps it open.
bool RunAsLockHolderIfNamedSo() {
    const std::wstring sOwn = vtest::OwnPath();
    const std::wstring sName = L"\\lock_holder.exe";
    if (sOwn.size() < sName.size() || _wcsicmp(sOwn.c_str() + sOwn.size() - sName.size(), sName.c_str()) != 0)
        return false;
    wchar_t szPath[MAX_PATH] = {};
    if (FILE* pFile = _wfopen((FolderOf(sOwn) + L"\\lock.txt").c_str(), L"r")) {
        fgetws(szPath, MAX_PATH, pFile);
        fclose(pFile);
    }
    // The test's probe opens the file briefly to see whether it is held yet; an open that meets the
    // probe is tried again rather than given up.
    HANDLE hFile = INVALID_HANDLE_VALUE;
    for (int nTry = 0; nTry < 3000; ++nTry) {
        hFile = CreateFileW(szPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (hFile != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(20);
    }
    if (hFile == INVALID_HANDLE_VALUE) ExitProcess(1);
    Sleep(INFINITE);  // until the test ends it
    ExitProcess(0);
}

const bool g_bIsLockHolder = RunAsLockHolderIfNamedSo();

// ---- files -----------------------------------------------------------------------------------

void WriteBytes(const std::wstring& sPath, const std::string& sBytes) {
    FILE* pFile = _wfopen(sPath.c_str(), L"wb");
    ASSERT_NE(pFile, nullptr);
    fwrite(sBytes.data(), 1, sBytes.size(), pFile);
    fclose(pFile);
}

// Bytes from a fixed seed: the same "random" file on every run.
std::string NoiseBytes(std::size_t nSize, unsigned nSeed) {
    std::string s;
    for (std::size_t i = 0; i < nSize; ++i) {
        nSeed = nSeed * 1103515245u + 12345u;
        s += static_cast<char>(nSeed >> 16);
    }
    return s;
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::set<std::wstring> FilesIn(const std::wstring& sFolder) {
    std::set<std::wstring> aNames;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((sFolder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return aNames;
    do {
        if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0) aNames.insert(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return aNames;
}

// A settings value as the profile call reads it; "<none>" when the key is not there.
std::string IniValue(const std::wstring& sIni, const char* pszKey) {
    char szValue[300] = {};
    GetPrivateProfileStringA("Section", pszKey, "<none>", szValue, sizeof szValue, Narrow(sIni).c_str());
    return szValue;
}

// ---- processes, windows, the screen and the sound card ---------------------------------------

// Programs of ours that still run: Vantorel.scr, Vantorel.dll (real or stand-in) and the lock holder.
std::vector<std::wstring> OurProcesses() {
    std::vector<std::wstring> aFound;
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return {L"<no process list>"};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL b = Process32FirstW(hSnapshot, &entry); b; b = Process32NextW(hSnapshot, &entry)) {
        for (const wchar_t* pszName : {L"Vantorel.scr", L"Vantorel.dll", L"lock_holder.exe"}) {
            if (_wcsicmp(entry.szExeFile, pszName) == 0) aFound.push_back(entry.szExeFile);
        }
    }
    CloseHandle(hSnapshot);
    return aFound;
}

bool NothingOfOursRuns(DWORD nWithinMs) {
    return vtest::WaitUntil([] { return OurProcesses().empty(); }, nWithinMs);
}

bool RendererWindowComes() {
    return vtest::WaitUntil([] { return vtest::FindTopLevel(kRendererTitle) != nullptr; }, 20000);
}

// Escape as a person presses it, again while the renderer's window stays (a software-rendered frame
// can outlast one press); true when the window went.
bool EscapeEndsTheRenderer() {
    for (int nPress = 0; nPress < 3; ++nPress) {
        vtest::PressKey(VK_ESCAPE, 600);
        if (vtest::WaitUntil([] { return vtest::FindTopLevel(kRendererTitle) == nullptr; }, vtest::kPromptMs)) return true;
    }
    return false;
}

// Share of a 32 x 24 grid of the window's screen pixels that are (nearly) white, and how many
// different colours the grid holds.
struct ScreenLook {
    double fWhiteShare = 1.0;
    std::size_t nColours = 0;
};

ScreenLook LookAt(HWND hWnd) {
    ScreenLook look;
    RECT r;
    if (!GetWindowRect(hWnd, &r)) return look;
    HDC hdc = GetDC(nullptr);
    std::set<COLORREF> aColours;
    int nWhite = 0, nAll = 0;
    for (int j = 0; j < 24; ++j) {
        for (int i = 0; i < 32; ++i) {
            const COLORREF c = GetPixel(hdc, r.left + (r.right - r.left) * (2 * i + 1) / 64,
                                        r.top + (r.bottom - r.top) * (2 * j + 1) / 48);
            aColours.insert(c);
            nWhite += GetRValue(c) > 235 && GetGValue(c) > 235 && GetBValue(c) > 235;
            ++nAll;
        }
    }
    ReleaseDC(nullptr, hdc);
    look.fWhiteShare = double(nWhite) / nAll;
    look.nColours = aColours.size();
    return look;
}

// The scene as the user sees it: mostly the nebula backdrop, many colours, little white.
bool ShowsTheScene(HWND hWnd) {
    ScreenLook look;
    const bool bShown = vtest::WaitUntil(
        [&] {
            look = LookAt(hWnd);
            return look.fWhiteShare < 0.25 && look.nColours > 50;
        },
        8000);
    std::printf("renderer window: %.0f%% of its sampled pixels white, %zu colours\n", look.fWhiteShare * 100,
                look.nColours);
    return bShown;
}

// Each test starts and ends with no program of ours running.
class FaultsInARun : public testing::Test {
protected:
    void SetUp() override {
        for (HWND h; (h = vtest::FindTopLevel(kRendererTitle)) != nullptr;) {
            PostMessageW(h, WM_CLOSE, 0, 0);
            if (!vtest::WaitUntil([h] { return !IsWindow(h); }, 5000)) break;
        }
        ASSERT_TRUE(NothingOfOursRuns(vtest::kPromptMs)) << "a program of another test still runs";
    }
};

// ---- the renderer killed -----------------------------------------------------------------------

TEST_F(FaultsInARun, RendererKilledMidRunEndsTheFrontEndAndItsMusicWithinASecond) {
    const std::wstring sFolder = vtest::MakeProgramFolder(L"fault_kill", {L"Vantorel.scr", L"Vantorel.dll"});
    WriteBytes(sFolder + L"\\tone.wav", vtest::ToneWavBytes(1000));
    WriteBytes(sFolder + L"\\Vantorel.ini", std::string("[Section]\r\n") + kKeyKind + "=2\r\n" + kKeyFile + "=" +
                                                Narrow(sFolder) + "\\tone.wav\r\n");
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    ASSERT_TRUE(RendererWindowComes());
    EXPECT_TRUE(vtest::HearsSound(vtest::kPromptMs)) << "the music did not play";

    HANDLE hRenderer = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                   vtest::WindowProcessId(vtest::FindTopLevel(kRendererTitle)));
    ASSERT_NE(hRenderer, nullptr);
    ASSERT_TRUE(TerminateProcess(hRenderer, 9));
    ASSERT_EQ(WaitForSingleObject(hRenderer, 5000), WAIT_OBJECT_0);
    CloseHandle(hRenderer);
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs)) << "the front-end outlived its killed renderer";
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_TRUE(vtest::HearsSilence(vtest::kPromptMs)) << "the music plays on";
    EXPECT_TRUE(NothingOfOursRuns(vtest::kPromptMs));
}

// ---- C:\s_vell and the texture files ----------------------------------------------------------

// Puts C:\s_vell back as the folder every other run expects, whatever a test left there.
struct TextureFolderRestorer {
    ~TextureFolderRestorer() {
        SetFileAttributesW(kTextureFolder, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(kTextureFolder);
        CreateDirectoryW(kTextureFolder, nullptr);
    }
};

TEST_F(FaultsInARun, TextureFolderTakenByAFileStillShowsTheScene) {
    TextureFolderRestorer restorer;
    for (const std::wstring& sName : FilesIn(kTextureFolder))
        ASSERT_TRUE(vtest::RemoveFileIfPresent(std::wstring(kTextureFolder) + L"\\" + sName));
    RemoveDirectoryW(kTextureFolder);
    WriteBytes(kTextureFolder, "not a folder");
    ASSERT_TRUE(vtest::FileExistsW(kTextureFolder));

    const std::wstring sFolder = vtest::MakeProgramFolder(L"fault_s_vell", {L"Vantorel.scr", L"Vantorel.dll"});
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    ASSERT_TRUE(RendererWindowComes());
    HWND hRenderer = vtest::FindTopLevel(kRendererTitle);
    EXPECT_TRUE(ShowsTheScene(hRenderer)) << "the renderer does not show the scene";
    EXPECT_EQ(vtest::FindMessageBox(vtest::WindowProcessId(hRenderer), L"Error"), nullptr);
    ASSERT_TRUE(EscapeEndsTheRenderer());
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs));
    EXPECT_TRUE(NothingOfOursRuns(vtest::kPromptMs));
    EXPECT_EQ(vtest::ReadWholeFile(kTextureFolder).size(), 12u) << "the file in the folder's place was touched";
}

TEST_F(FaultsInARun, TextureFileHeldOpenByAnotherProcessLeavesItIntactAndTheRunGoesOn) {
    CreateDirectoryW(kTextureFolder, nullptr);
    // The nebula: the second layer and the backdrop, most of what the screen shows.
    const std::wstring sLocked = std::wstring(kTextureFolder) + L"\\Nerlo03.bmp";
    ASSERT_TRUE(vtest::RemoveFileIfPresent(sLocked));
    const std::string sKept = NoiseBytes(5000, 2);
    WriteBytes(sLocked, sKept);

    const std::wstring sFolder = vtest::MakeProgramFolder(L"fault_locked", {L"Vantorel.scr", L"Vantorel.dll"});
    ASSERT_TRUE(CopyFileW(vtest::OwnPath().c_str(), (sFolder + L"\\lock_holder.exe").c_str(), FALSE));
    WriteBytes(sFolder + L"\\lock.txt", Narrow(sLocked));
    vtest::CProcess holder;
    ASSERT_TRUE(holder.Start(sFolder + L"\\lock_holder.exe", L"", sFolder));
    ASSERT_TRUE(vtest::WaitUntil(
        [&] {
            HANDLE h = CreateFileW(sLocked.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
            return h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
        },
        10000))
        << "the helper did not take the file"
        << (holder.IsRunning() ? "" : " (it ended with exit code " + std::to_string(holder.ExitCode()) + ")");

    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    ASSERT_TRUE(RendererWindowComes());
    HWND hRenderer = vtest::FindTopLevel(kRendererTitle);
    EXPECT_TRUE(ShowsTheScene(hRenderer)) << "the renderer does not show the scene";
    EXPECT_TRUE(saver.IsRunning());
    EXPECT_EQ(vtest::FindMessageBox(vtest::WindowProcessId(hRenderer), L"Error"), nullptr);
    // The other two pictures were written whole.
    EXPECT_EQ(vtest::ReadWholeFile(std::wstring(kTextureFolder) + L"\\Nerlo01.bmp").size(), 58u);
    EXPECT_EQ(vtest::ReadWholeFile(std::wstring(kTextureFolder) + L"\\Nerlo02.bmp").size(), 54u + 256 * 256 * 3);
    ASSERT_TRUE(EscapeEndsTheRenderer());
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs));

    holder.Kill();
    ASSERT_TRUE(holder.WaitForExit(vtest::kPromptMs));
    const auto aAfter = vtest::ReadWholeFile(sLocked);
    EXPECT_EQ(std::string(aAfter.begin(), aAfter.end()), sKept) << "the held file was changed";
    EXPECT_FALSE(vtest::FileExistsW(sLocked + L".new")) << "a temporary file was left behind";
    EXPECT_TRUE(NothingOfOursRuns(vtest::kPromptMs));
    ASSERT_TRUE(vtest::RemoveFileIfPresent(sLocked));
}

// ---- the settings file -----------------------------------------------------------------------

// Opens the settings dialog of the folder, presses its store button and waits for the program to end.
void StoreWithTheDialog(const std::wstring& sFolder) {
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/c", sFolder));
    HWND hDialog = nullptr;
    ASSERT_TRUE(vtest::WaitUntil([&] { return (hDialog = vtest::FindTopLevel(kDialogTitle)) != nullptr; }, 15000))
        << "the settings dialog did not open";
    ASSERT_TRUE(vtest::WaitUntilSettingsDialogTakesThePointer(hDialog, vtest::kPromptMs)) << "the dialog did not take input";
    ASSERT_TRUE(vtest::ClickSettingsDialogButton(hDialog, 324, 200, vtest::kPromptMs));  // Cmd_Set
    ASSERT_TRUE(saver.WaitForExit(10000)) << "the dialog did not close after storing";
    EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(FaultsInARun, SettingsFileOfRandomBytesStillRunsAndIsStoredReadably) {
    const std::wstring sFolder = vtest::MakeStandInFolder(L"fault_noise_ini", 0, 2000);
    const std::wstring sIni = sFolder + L"\\Vantorel.ini";
    // Not starting like a UTF-16 file: the profile calls would read it as one.
    WriteBytes(sIni, "\x01" + NoiseBytes(4000, 7));

    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    EXPECT_TRUE(RendererWindowComes()) << "the run did not start";
    EXPECT_TRUE(saver.WaitForExit(8000)) << "the run did not end with its renderer";

    StoreWithTheDialog(sFolder);
    EXPECT_EQ(IniValue(sIni, kKeyKind), "0");
    EXPECT_EQ(IniValue(sIni, kKeyRepeat), "0");
    EXPECT_EQ(IniValue(sIni, kKeyFile), "");
    EXPECT_TRUE(NothingOfOursRuns(vtest::kPromptMs));
}

// The folder and its settings file are made by tests/win32/readonly_folder.sh (make-ini) from outside
// Wine: as root, Wine's read-only attribute stops no write, so the file is made immutable there.
TEST_F(FaultsInARun, ReadOnlySettingsFileIsLeftIntactAndTheChoiceIsKeptForTheUser) {
    const std::wstring sFolder = L"C:\\vantorel-tests\\fault_readonly_ini";
    const std::wstring sIni = sFolder + L"\\Vantorel.ini";
    ASSERT_TRUE(vtest::FileExistsW(sFolder + L"\\Vantorel.scr")) << "the read-only settings file was not prepared";
    const auto aBefore = vtest::ReadWholeFile(sIni);
    ASSERT_EQ(IniValue(sIni, kKeyRepeat), "3");
    SetFileAttributesW(sIni.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::set<std::wstring> aFilesBefore = FilesIn(sFolder);
    // A store refused beside the programs lands in the user's own settings file; it goes with the test.
    wchar_t szFallbackFolder[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%APPDATA%\\Vantorel", szFallbackFolder, MAX_PATH);
    const std::wstring sFallback = std::wstring(szFallbackFolder) + L"\\Vantorel.ini";
    DeleteFileW(sFallback.c_str());

    StoreWithTheDialog(sFolder);
    EXPECT_EQ(vtest::ReadWholeFile(sIni), aBefore);
    EXPECT_EQ(FilesIn(sFolder), aFilesBefore) << "a file was left beside the settings";
    EXPECT_EQ(IniValue(sFallback, kKeyKind), "1") << "the choice was lost";
    EXPECT_EQ(IniValue(sFallback, kKeyRepeat), "3") << "the choice was lost";
    EXPECT_TRUE(NothingOfOursRuns(vtest::kPromptMs));
    // Every later start would read it in place of its own folder's settings.
    DeleteFileW(sFallback.c_str());
    RemoveDirectoryW(szFallbackFolder);
}

// ---- the music file ----------------------------------------------------------------------------

struct MusicFault {
    const char* pszName;
    const wchar_t* pszFile;
    bool bVanished;  // chosen in the settings, gone before the run; else there, but no music inside
};

void PrintTo(const MusicFault& c, std::ostream* os) { *os << c.pszName; }

class MusicFileFault : public FaultsInARun, public testing::WithParamInterface<MusicFault> {};

TEST_P(MusicFileFault, TheRunGoesOnAndEscapeEndsEverything) {
    const MusicFault& c = GetParam();
    const std::wstring sFolder = vtest::MakeProgramFolder(L"fault_music", {L"Vantorel.scr", L"Vantorel.dll"});
    const std::wstring sMusic = sFolder + L"\\" + c.pszFile;
    WriteBytes(sMusic, c.bVanished ? vtest::ToneWavBytes(1000) : NoiseBytes(20000, 11));
    WriteBytes(sFolder + L"\\Vantorel.ini",
               std::string("[Section]\r\n") + kKeyKind + "=2\r\n" + kKeyFile + "=" + Narrow(sMusic) + "\r\n");
    if (c.bVanished) {
        ASSERT_TRUE(vtest::RemoveFileIfPresent(sMusic));
    }

    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/s", sFolder));
    ASSERT_TRUE(RendererWindowComes());
    // Past a few renderer and music watches.
    Sleep(2500);
    EXPECT_TRUE(saver.IsRunning()) << "the run ended by itself";
    ASSERT_TRUE(EscapeEndsTheRenderer());
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs)) << "the front-end outlived the renderer's window";
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_TRUE(vtest::HearsSilence(vtest::kPromptMs)) << "something still plays";
    EXPECT_TRUE(NothingOfOursRuns(vtest::kPromptMs));
}

INSTANTIATE_TEST_SUITE_P(Files, MusicFileFault, testing::Values(
    MusicFault{"Vanished", L"tone.wav", true},
    MusicFault{"GarbageNamedMp3", L"noise.mp3", false}),
    [](const testing::TestParamInfo<MusicFault>& info) { return info.param.pszName; });

}  // namespace
