// The release installer and its uninstaller for real under Wine, silently as an administrator's
// script or the system's list of programs runs them: the files and registry values of a per-user
// install, the installed screensaver running from the path the registry names, a reinstall that keeps
// the user's settings, and an uninstall that takes away exactly what was installed.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "support/win32_test_support.h"

namespace {

const std::wstring kSetup = L"" VANTOREL_SETUP_DOS;
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorel";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
// Blanks in the path: the screensaver value must then be the short 8.3 path.
const std::wstring kFolderWithBlanks = L"C:\\vantorel-tests\\My Screen Savers\\Vantorel";
// The screensaver the user had before installing.
constexpr wchar_t kEarlierSaver[] = L"C:\\windows\\system32\\ssearlier.scr";
constexpr char kRendererTitle[] = "Nerlo_VC";
const wchar_t* const kPictures[3] = {L"C:\\s_vell\\Nerlo01.bmp", L"C:\\s_vell\\Nerlo02.bmp",
                                     L"C:\\s_vell\\Nerlo03.bmp"};

// ---- registry and paths ----------------------------------------------------------------------

std::optional<std::wstring> RegString(const wchar_t* pszKey, const wchar_t* pszValue) {
    wchar_t szData[1024] = {};
    DWORD nSize = sizeof szData;
    if (RegGetValueW(HKEY_CURRENT_USER, pszKey, pszValue, RRF_RT_REG_SZ, nullptr, szData, &nSize) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(szData);
}

std::optional<DWORD> RegDword(const wchar_t* pszKey, const wchar_t* pszValue) {
    DWORD nData = 0;
    DWORD nSize = sizeof nData;
    if (RegGetValueW(HKEY_CURRENT_USER, pszKey, pszValue, RRF_RT_REG_DWORD, nullptr, &nData, &nSize) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return nData;
}

void SetRegString(const wchar_t* pszKey, const wchar_t* pszValue, const std::wstring& sData) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, pszKey, pszValue, REG_SZ, sData.c_str(),
                              static_cast<DWORD>((sData.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

bool KeyExists(const wchar_t* pszKey) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    RegCloseKey(hKey);
    return true;
}

std::wstring ShortPathOf(const std::wstring& sPath) {
    wchar_t szShort[MAX_PATH] = {};
    return GetShortPathNameW(sPath.c_str(), szShort, MAX_PATH) ? szShort : L"";
}

std::wstring LongPathOf(const std::wstring& sPath) {
    wchar_t szLong[MAX_PATH] = {};
    return GetLongPathNameW(sPath.c_str(), szLong, MAX_PATH) ? szLong : L"";
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

std::wstring DefaultFolder() {
    wchar_t szLocal[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szLocal);
    return std::wstring(szLocal) + L"\\Programs\\Vantorel";
}

bool FolderExists(const std::wstring& sPath) {
    const DWORD dw = GetFileAttributesW(sPath.c_str());
    return dw != INVALID_FILE_ATTRIBUTES && (dw & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteWholeFile(const std::wstring& sPath, const std::string& sBytes) {
    HANDLE h = CreateFileW(sPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD nWritten = 0;
    WriteFile(h, sBytes.data(), static_cast<DWORD>(sBytes.size()), &nWritten, nullptr);
    CloseHandle(h);
    ASSERT_EQ(nWritten, sBytes.size());
}

// ---- running the installer and the uninstaller -----------------------------------------------

// The silent install; an empty folder takes the installer's default. NSIS wants /D= last and
// unquoted, blanks and all.
bool Install(const std::wstring& sFolder) {
    std::wstring sArguments = L"/S";
    if (!sFolder.empty()) sArguments += L" /D=" + sFolder;
    vtest::CProcess setup;
    if (!setup.Start(kSetup, sArguments, L"")) return false;
    return setup.WaitForExit(120000) && setup.ExitCode() == 0;
}

// Waits for every process that nParentId started; true when all ended within nTimeoutMs.
bool ChildrenEnd(DWORD nParentId, DWORD nTimeoutMs) {
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return false;
    std::vector<HANDLE> aChildren;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL b = Process32FirstW(hSnapshot, &entry); b; b = Process32NextW(hSnapshot, &entry)) {
        if (entry.th32ParentProcessID != nParentId || entry.th32ProcessID == nParentId) continue;
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (h != nullptr) aChildren.push_back(h);
    }
    CloseHandle(hSnapshot);
    bool bAllEnded = true;
    for (HANDLE h : aChildren) {
        bAllEnded = WaitForSingleObject(h, nTimeoutMs) == WAIT_OBJECT_0 && bAllEnded;
        CloseHandle(h);
    }
    return bAllEnded;
}

// The silent uninstall as the system's list of programs runs it: the command registered in
// QuietUninstallString. The uninstaller copies itself to %TEMP% so that it can delete its own file,
// starts that copy and returns at once; the copy does the work, so wait for it too.
bool UninstallQuietly() {
    const auto sCommand = RegString(kUninstallKey, L"QuietUninstallString");
    if (!sCommand) return false;
    std::wstring sLine = *sCommand;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &sLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    const bool bEnded = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(pi.hProcess);
    return bEnded && ChildrenEnd(pi.dwProcessId, 60000);
}

// Every test starts with no Vantorel installed, the user's earlier screensaver chosen and active
// off, and leaves no installation behind.
class Installer : public testing::Test {
protected:
    void SetUp() override {
        RemoveInstallation();
        SetRegString(kDesktopKey, L"SCRNSAVE.EXE", kEarlierSaver);
        SetRegString(kDesktopKey, L"ScreenSaveActive", L"0");
    }
    void TearDown() override { RemoveInstallation(); }

    static void RemoveInstallation() {
        if (KeyExists(kUninstallKey)) {
            EXPECT_TRUE(UninstallQuietly());
        }
        for (const std::wstring& sFolder : {kFolderWithBlanks, DefaultFolder()}) {
            for (const wchar_t* pszFile : {L"Vantorel.scr", L"Vantorel.dll", L"Vantorel.ini", L"Uninstall.exe",
                                           L"my notes.txt"}) {
                vtest::RemoveFileIfPresent(sFolder + L"\\" + pszFile);
            }
            RemoveDirectoryW(sFolder.c_str());
        }
        ASSERT_FALSE(KeyExists(kUninstallKey));
    }

    static void ExpectProgramsInstalledIn(const std::wstring& sFolder) {
        for (const wchar_t* pszFile : {L"Vantorel.scr", L"Vantorel.dll"}) {
            SCOPED_TRACE(testing::Message() << pszFile);
            const auto aInstalled = vtest::ReadWholeFile(sFolder + L"\\" + pszFile);
            EXPECT_FALSE(aInstalled.empty());
            EXPECT_TRUE(aInstalled == vtest::ReadWholeFile(vtest::BuildBinDir() + L"\\" + pszFile))
                << "not the program of this build";
        }
        EXPECT_TRUE(vtest::FileExistsW(sFolder + L"\\Uninstall.exe"));
    }
};

// ---- the installer file itself ---------------------------------------------------------------

std::wstring VersionString(const std::vector<unsigned char>& aBlock, const wchar_t* pszName) {
    struct Translation {
        WORD nLanguage, nCodePage;
    }* pTranslation = nullptr;
    UINT nSize = 0;
    if (!VerQueryValueW(aBlock.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation),
                        &nSize) || nSize < sizeof(Translation)) {
        return L"(no translation)";
    }
    wchar_t szPath[128];
    wsprintfW(szPath, L"\\StringFileInfo\\%04x%04x\\%s", pTranslation->nLanguage, pTranslation->nCodePage, pszName);
    wchar_t* pszValue = nullptr;
    if (!VerQueryValueW(aBlock.data(), szPath, reinterpret_cast<void**>(&pszValue), &nSize)) return L"(none)";
    return pszValue;
}

// The bytes of every icon image (RT_ICON) of a program file.
std::vector<std::vector<unsigned char>> IconImagesOf(const std::wstring& sProgram) {
    std::vector<std::vector<unsigned char>> aImages;
    HMODULE hModule = LoadLibraryExW(sProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hModule == nullptr) return aImages;
    struct Found {
        HMODULE hModule;
        std::vector<std::vector<unsigned char>>* pImages;
    } found{hModule, &aImages};
    EnumResourceNamesW(
        hModule, MAKEINTRESOURCEW(3),  // RT_ICON
        [](HMODULE h, LPCWSTR pszType, LPWSTR pszName, LONG_PTR lParam) -> BOOL {
            auto* p = reinterpret_cast<Found*>(lParam);
            HRSRC hInfo = FindResourceW(h, pszName, pszType);
            const auto* pBytes = static_cast<const unsigned char*>(LockResource(LoadResource(h, hInfo)));
            if (pBytes) p->pImages->emplace_back(pBytes, pBytes + SizeofResource(h, hInfo));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&found));
    FreeLibrary(hModule);
    return aImages;
}

TEST(InstallerFile, CarriesTheIconTheVersionBlockAndAsksForNoElevation) {
    DWORD nHandle = 0;
    const DWORD nSize = GetFileVersionInfoSizeW(kSetup.c_str(), &nHandle);
    ASSERT_GT(nSize, 0u) << "no version block";
    std::vector<unsigned char> aBlock(nSize);
    ASSERT_TRUE(GetFileVersionInfoW(kSetup.c_str(), 0, nSize, aBlock.data()));
    EXPECT_EQ(VersionString(aBlock, L"ProductName"), L"Vantorel (ScreenSaver)");
    EXPECT_EQ(VersionString(aBlock, L"ProductVersion"), L"1.00");
    EXPECT_EQ(VersionString(aBlock, L"FileVersion"), L"1.00");

    // The product's icon: every image of Vantorel.scr's icon is one of the installer's.
    const auto aSetupImages = IconImagesOf(kSetup);
    const auto aProductImages = IconImagesOf(vtest::BuildBinDir() + L"\\Vantorel.scr");
    ASSERT_FALSE(aProductImages.empty());
    for (const auto& aImage : aProductImages) {
        EXPECT_NE(std::find(aSetupImages.begin(), aSetupImages.end(), aImage), aSetupImages.end())
            << "an image of the product's icon (" << aImage.size() << " bytes) is not the installer's";
    }

    // The manifest runs it as the user who started it: no elevation prompt.
    HMODULE hSetup = LoadLibraryExW(kSetup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(hSetup, nullptr);
    HRSRC hManifest = FindResourceW(hSetup, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(hManifest, nullptr);
    const char* pText = static_cast<const char*>(LockResource(LoadResource(hSetup, hManifest)));
    const std::string sManifest(pText, SizeofResource(hSetup, hManifest));
    FreeLibrary(hSetup);
    EXPECT_NE(sManifest.find("level=\"asInvoker\""), std::string::npos) << sManifest;
}

// ---- install, run, reinstall, uninstall ------------------------------------------------------

TEST_F(Installer, SilentInstallMakesVantorelTheScreensaverWhichRunsFromTheRegisteredPath) {
    ASSERT_TRUE(Install(kFolderWithBlanks));
    ExpectProgramsInstalledIn(kFolderWithBlanks);
    const std::wstring sProgram = kFolderWithBlanks + L"\\Vantorel.scr";

    // The screensaver value names the installed program by its short path, free of blanks.
    const auto sSaver = RegString(kDesktopKey, L"SCRNSAVE.EXE");
    ASSERT_TRUE(sSaver);
    EXPECT_TRUE(SamePath(*sSaver, ShortPathOf(sProgram))) << "short path " << ShortPathOf(sProgram).size();
    EXPECT_EQ(sSaver->find(L' '), std::wstring::npos);
    EXPECT_TRUE(SamePath(LongPathOf(*sSaver), sProgram));
    EXPECT_EQ(RegString(kDesktopKey, L"ScreenSaveActive"), L"1");

    // The entry of the list of installed programs.
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayName"), L"Vantorel (ScreenSaver)");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayVersion"), L"1.00");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayIcon"), sProgram + L",0");
    EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), kFolderWithBlanks);
    EXPECT_EQ(RegString(kUninstallKey, L"UninstallString"), L"\"" + kFolderWithBlanks + L"\\Uninstall.exe\"");
    EXPECT_EQ(RegString(kUninstallKey, L"QuietUninstallString"),
              L"\"" + kFolderWithBlanks + L"\\Uninstall.exe\" /S");
    EXPECT_EQ(RegDword(kUninstallKey, L"NoModify"), 1u);
    EXPECT_EQ(RegDword(kUninstallKey, L"NoRepair"), 1u);
    // In KB, about the two programs.
    const std::size_t nProgramsKb = (vtest::ReadWholeFile(sProgram).size() +
                                     vtest::ReadWholeFile(kFolderWithBlanks + L"\\Vantorel.dll").size()) / 1024;
    const auto nEstimated = RegDword(kUninstallKey, L"EstimatedSize");
    ASSERT_TRUE(nEstimated);
    EXPECT_GE(*nEstimated, nProgramsKb);
    EXPECT_LE(*nEstimated, nProgramsKb + 64);

    // Windows starts the screensaver from the value, in show mode; Escape ends it.
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(*sSaver, L"/s", kFolderWithBlanks));
    ASSERT_TRUE(vtest::WaitUntil([] { return vtest::FindTopLevel(kRendererTitle) != nullptr; }, 20000))
        << "the installed screensaver showed no renderer window";
    bool bRendererGone = false;
    for (int nPress = 0; nPress < 3 && !bRendererGone; ++nPress) {
        vtest::PressKey(VK_ESCAPE, 600);
        bRendererGone = vtest::WaitUntil([] { return vtest::FindTopLevel(kRendererTitle) == nullptr; }, vtest::kPromptMs);
    }
    EXPECT_TRUE(bRendererGone) << "Escape did not end the renderer";
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs));
    if (!bRendererGone) PostMessageW(vtest::FindTopLevel(kRendererTitle), WM_CLOSE, 0, 0);
}

// A control of the wizard's window or of its current page, by its id; null when not shown.
HWND FindWizardControl(HWND hWizard, int nId) {
    struct Search {
        int nId;
        HWND hFound;
    } search{nId, nullptr};
    EnumChildWindows(
        hWizard,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* p = reinterpret_cast<Search*>(lParam);
            if (GetDlgCtrlID(hWnd) != p->nId || !IsWindowVisible(hWnd)) return TRUE;
            p->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

void PressWizardButton(HWND hWizard, HWND hButton) {
    PostMessageW(hWizard, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hButton), BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
}

TEST_F(Installer, InItsWindowInstallsWhereTheUserChoseAndOffersTheScreenSaverSettings) {
    constexpr int kNextButton = 1, kFolderField = 1019, kFinishOffer = 1203;
    vtest::CProcess setup;
    ASSERT_TRUE(setup.Start(kSetup, L"", L""));
    HWND hWizard = nullptr;
    ASSERT_TRUE(vtest::WaitUntil(
        [&] {
            for (HWND h : vtest::TopLevelWindowsOf(setup.Id())) {
                if (IsWindowVisible(h) && FindWizardControl(h, kFolderField)) hWizard = h;
            }
            return hWizard != nullptr;
        },
        20000))
        << "no folder page";
    HWND hFolder = FindWizardControl(hWizard, kFolderField);
    wchar_t szDefault[MAX_PATH] = {};
    SendMessageW(hFolder, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(szDefault));
    EXPECT_TRUE(SamePath(szDefault, DefaultFolder())) << "the folder the page proposes";
    SendMessageW(hFolder, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kFolderWithBlanks.c_str()));
    PressWizardButton(hWizard, FindWizardControl(hWizard, kNextButton));

    HWND hOffer = nullptr;
    ASSERT_TRUE(vtest::WaitUntil([&] { return (hOffer = FindWizardControl(hWizard, kFinishOffer)) != nullptr; },
                                 60000))
        << "no finish page with the offer";
    wchar_t szOffer[128] = {};
    SendMessageW(hOffer, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(szOffer));
    EXPECT_EQ(std::wstring(szOffer), vtest::Widen("スクリーン セーバーの設定を開く"));
    EXPECT_EQ(SendMessageW(hOffer, BM_GETCHECK, 0, 0), BST_CHECKED) << "the offer is taken unless declined";
    ExpectProgramsInstalledIn(kFolderWithBlanks);
    EXPECT_TRUE(SamePath(RegString(kDesktopKey, L"SCRNSAVE.EXE").value_or(L""),
                         ShortPathOf(kFolderWithBlanks + L"\\Vantorel.scr")));

    PressWizardButton(hWizard, FindWizardControl(hWizard, kNextButton));  // Finish
    EXPECT_TRUE(setup.WaitForExit(20000));
    EXPECT_EQ(setup.ExitCode(), 0u);
}

TEST_F(Installer, DefaultsToTheUsersProgramsFolderAndAReinstallKeepsTheSettingsFile) {
    ASSERT_TRUE(Install(L""));
    const std::wstring sFolder = DefaultFolder();
    ExpectProgramsInstalledIn(sFolder);
    EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), sFolder);

    // Settings the user stored, and a renderer damaged since.
    const std::string sSettings =
        "[Section]\r\nBGM\x8B\xE6\x95\xAA=2\r\nBGM\xD8\xCB\xDF\xB0\xC4=0\r\nBGM\xCC\xA7\xB2\xD9=C:\\m\\a.mp3\r\n";
    WriteWholeFile(sFolder + L"\\Vantorel.ini", sSettings);
    WriteWholeFile(sFolder + L"\\Vantorel.dll", "damaged");

    ASSERT_TRUE(Install(L""));
    ExpectProgramsInstalledIn(sFolder);
    const auto aKept = vtest::ReadWholeFile(sFolder + L"\\Vantorel.ini");
    EXPECT_EQ(std::string(aKept.begin(), aKept.end()), sSettings) << "the settings file changed";
}

TEST_F(Installer, QuietUninstallRemovesWhatItInstalledAndGivesBackTheEarlierScreensaver) {
    ASSERT_TRUE(Install(kFolderWithBlanks));
    // A reinstall must not take Vantorel itself for the screensaver to give back.
    ASSERT_TRUE(Install(kFolderWithBlanks));
    WriteWholeFile(kFolderWithBlanks + L"\\Vantorel.ini", "[Section]\r\n");
    WriteWholeFile(kFolderWithBlanks + L"\\my notes.txt", "mine");
    CreateDirectoryW(L"C:\\s_vell", nullptr);
    for (const wchar_t* pszPicture : kPictures) WriteWholeFile(pszPicture, "BM");

    ASSERT_TRUE(UninstallQuietly());
    for (const wchar_t* pszFile : {L"Vantorel.scr", L"Vantorel.dll", L"Vantorel.ini", L"Uninstall.exe"}) {
        EXPECT_FALSE(vtest::FileExistsW(kFolderWithBlanks + L"\\" + pszFile)) << "left behind";
    }
    EXPECT_TRUE(vtest::FileExistsW(kFolderWithBlanks + L"\\my notes.txt")) << "a file of the user's was removed";
    for (const wchar_t* pszPicture : kPictures) EXPECT_FALSE(vtest::FileExistsW(pszPicture));
    EXPECT_FALSE(FolderExists(L"C:\\s_vell"));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(RegString(kDesktopKey, L"SCRNSAVE.EXE"), kEarlierSaver);
    EXPECT_EQ(RegString(kDesktopKey, L"ScreenSaveActive"), L"0");
}

TEST_F(Installer, UninstallLeavesAScreensaverTheUserChoseSince) {
    ASSERT_TRUE(Install(L""));
    CreateDirectoryW(L"C:\\s_vell", nullptr);
    WriteWholeFile(L"C:\\s_vell\\mine.bmp", "BM");
    const std::wstring sChosen = L"C:\\windows\\system32\\sschosen.scr";
    SetRegString(kDesktopKey, L"SCRNSAVE.EXE", sChosen);

    ASSERT_TRUE(UninstallQuietly());
    EXPECT_FALSE(FolderExists(DefaultFolder()));
    EXPECT_EQ(RegString(kDesktopKey, L"SCRNSAVE.EXE"), sChosen);
    EXPECT_TRUE(vtest::FileExistsW(L"C:\\s_vell\\mine.bmp")) << "a file of the user's was removed";
    vtest::RemoveFileIfPresent(L"C:\\s_vell\\mine.bmp");
}

}  // namespace
