// Vantorel.scr /c for real under Wine in a program folder the user cannot write (as when the two
// programs were copied by hand into Program Files): the stored choice goes to the user's own
// %APPDATA%\Vantorel\Vantorel.ini, and the next start reads it from there.
//
// The folder C:\vantorel-tests\readonly_program_folder, with both programs in it, is made read-only
// from outside Wine by readonly_folder.sh before this test runs (ctest fixture).
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "support/win32_test_support.h"

namespace {

constexpr char kDialogTitle[] = "<Vantorel>";
const std::wstring kFolder = L"C:\\vantorel-tests\\readonly_program_folder";

std::wstring UserSettingsFolder() {
    wchar_t szAppData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szAppData);
    return std::wstring(szAppData) + L"\\Vantorel";
}

// The settings dialog of the read-only folder's Vantorel.scr, open and past its zoom-in.
struct OpenDialog {
    vtest::CProcess saver;
    HWND hDialog = nullptr;

    OpenDialog() {
        EXPECT_TRUE(saver.Start(kFolder + L"\\Vantorel.scr", L"/c", kFolder));
        vtest::WaitUntil([&] { return (hDialog = vtest::FindTopLevel(kDialogTitle)) != nullptr; }, 15000);
        if (hDialog) {
            EXPECT_TRUE(vtest::WaitUntilSettingsDialogTakesThePointer(hDialog, vtest::kPromptMs))
                << "the dialog did not take input";
        }
    }
    void ClickAt(int x, int y) const {
        POINT pt{x, y};
        ClientToScreen(hDialog, &pt);
        vtest::ClickMouse(pt.x, pt.y);
    }
    HWND Combo() const { return FindWindowExW(hDialog, nullptr, L"ComboBox", nullptr); }
};

std::size_t Find(const std::vector<unsigned char>& a, const std::string& s) {
    return std::string(a.begin(), a.end()).find(s);
}

// A stored file here would redirect the settings of every other test's program folder.
class SettingsInAReadOnlyProgramFolder : public testing::Test {
protected:
    void SetUp() override { RemoveUserSettings(); }
    void TearDown() override { RemoveUserSettings(); }
    static void RemoveUserSettings() {
        ASSERT_TRUE(vtest::RemoveFileIfPresent(UserSettingsFolder() + L"\\Vantorel.ini"));
        RemoveDirectoryW(UserSettingsFolder().c_str());
    }
};

TEST_F(SettingsInAReadOnlyProgramFolder, AreStoredForTheUserAndReadAtTheNextStart) {
    ASSERT_TRUE(vtest::FileExistsW(kFolder + L"\\Vantorel.scr")) << "the read-only folder was not prepared";
    HANDLE hProbe = CreateFileW((kFolder + L"\\probe.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hProbe != INVALID_HANDLE_VALUE) CloseHandle(hProbe);
    ASSERT_EQ(hProbe, INVALID_HANDLE_VALUE) << "the program folder is writable";

    {
        OpenDialog d;
        ASSERT_NE(d.hDialog, nullptr);
        d.ClickAt(12 + 50, 16 + 56 + 6);  // "音楽CD"
        ASSERT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) != FALSE; }, vtest::kPromptMs));
        SetWindowTextW(d.Combo(), L"7");
        ASSERT_TRUE(vtest::ClickSettingsDialogButton(d.hDialog, 324, 200, vtest::kPromptMs));  // Cmd_Set
        ASSERT_TRUE(d.saver.WaitForExit(10000)) << "the store button did not end the program";
    }
    EXPECT_FALSE(vtest::FileExistsW(kFolder + L"\\Vantorel.ini"));
    const auto aIni = vtest::ReadWholeFile(UserSettingsFolder() + L"\\Vantorel.ini");
    const std::size_t nSection = Find(aIni, "[Section]");
    const std::size_t nKind = Find(aIni, "BGM\x8B\xE6\x95\xAA=1");
    const std::size_t nRepeat = Find(aIni, "BGM\xD8\xCB\xDF\xB0\xC4=7");
    const std::size_t nFile = Find(aIni, "BGM\xCC\xA7\xB2\xD9=");
    ASSERT_NE(nKind, std::string::npos) << "not in the user's file: " << std::string(aIni.begin(), aIni.end());
    ASSERT_NE(nSection, std::string::npos);
    ASSERT_NE(nRepeat, std::string::npos);
    ASSERT_NE(nFile, std::string::npos);
    EXPECT_LT(nSection, nKind);
    EXPECT_LT(nKind, nRepeat);
    EXPECT_LT(nRepeat, nFile);

    // The next start shows the stored choice: the CD marked (its track list enabled) and track 7.
    OpenDialog again;
    ASSERT_NE(again.hDialog, nullptr);
    ASSERT_NE(again.Combo(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(again.Combo()));
    // The text sits in the combo box's edit field; ask it directly across the process boundary.
    HWND hEdit = FindWindowExW(again.Combo(), nullptr, L"Edit", nullptr);
    ASSERT_NE(hEdit, nullptr);
    wchar_t szTrack[16] = {};
    SendMessageW(hEdit, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(szTrack));
    EXPECT_STREQ(szTrack, L"7");
    PostMessageW(again.hDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.saver.WaitForExit(10000));
}

}  // namespace
