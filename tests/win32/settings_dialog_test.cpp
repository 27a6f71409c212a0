// Vantorel.scr /c for real under Wine: the settings dialog's window, the music kind captions, the
// store and cancel buttons with the file they leave, the instance check, and the button faces.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/win32_test_support.h"

namespace {

constexpr char kDialogTitle[] = "<Vantorel>";

// Settings in the file beside the programs: [Section] with the keys in code page 932.
void WriteSettings(const std::wstring& sFolder, int nKind, const std::string& sFileCp932) {
    const std::string sText = "[Section]\r\nBGM\x8B\xE6\x95\xAA=" + std::to_string(nKind) +
                              "\r\nBGM\xD8\xCB\xDF\xB0\xC4=0\r\nBGM\xCC\xA7\xB2\xD9=" + sFileCp932 + "\r\n";
    FILE* pFile = _wfopen((sFolder + L"\\Vantorel.ini").c_str(), L"wb");
    ASSERT_NE(pFile, nullptr);
    fwrite(sText.data(), 1, sText.size(), pFile);
    fclose(pFile);
}

void WriteSomeBytes(const std::wstring& sPath) {
    FILE* pFile = _wfopen(sPath.c_str(), L"wb");
    ASSERT_NE(pFile, nullptr);
    fputs("ID3", pFile);
    fclose(pFile);
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

void MouseButton(DWORD nFlags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = nFlags;
    SendInput(1, &in, sizeof in);
    Sleep(60);
}

struct OpenDialog {
    std::wstring sFolder;
    vtest::CProcess saver;
    HWND hDialog = nullptr;

    // fnPrepare runs on the program folder before the dialog starts (for a settings file).
    explicit OpenDialog(const std::wstring& sName, const std::function<void(const std::wstring&)>& fnPrepare = {}) {
        sFolder = vtest::MakeProgramFolder(sName, {L"Vantorel.scr", L"Vantorel.dll"});
        if (fnPrepare) fnPrepare(sFolder);
        EXPECT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/c", sFolder));
        vtest::WaitUntil([&] { return (hDialog = vtest::FindTopLevel(kDialogTitle)) != nullptr; }, 15000);
        if (hDialog) {
            EXPECT_TRUE(vtest::WaitUntilSettingsDialogTakesThePointer(hDialog, vtest::kPromptMs))
                << "the dialog did not take input";
        }
    }
    std::wstring Ini() const { return sFolder + L"\\Vantorel.ini"; }
    POINT Screen(int x, int y) const { return vtest::ClientPoint(hDialog, x, y); }
    void ClickAt(int x, int y) const {
        const POINT pt = Screen(x, y);
        vtest::ClickMouse(pt.x, pt.y);
    }
    COLORREF PixelAt(int x, int y) const { return vtest::ScreenPixel(Screen(x, y)); }
    HWND Combo() const { return FindWindowExW(hDialog, nullptr, L"ComboBox", nullptr); }
    // The Command button whose client-area rectangle starts at (x, y).
    HWND Button(int x, int y) const {
        for (HWND h = FindWindowExW(hDialog, nullptr, L"Nerlo.Command", nullptr); h;
             h = FindWindowExW(hDialog, h, L"Nerlo.Command", nullptr)) {
            RECT r;
            GetWindowRect(h, &r);
            const POINT pt = Screen(x, y);
            if (r.left == pt.x && r.top == pt.y) return h;
        }
        return nullptr;
    }
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(hDialog, nullptr), &info);
        return info.hwndFocus;
    }
    void MoveTo(int x, int y) const {
        const POINT pt = Screen(x, y);
        vtest::MoveMouse(pt.x, pt.y);
    }
    void RightClickAt(int x, int y) const {
        MoveTo(x, y);
        MouseButton(MOUSEEVENTF_RIGHTDOWN);
        MouseButton(MOUSEEVENTF_RIGHTUP);
    }
    // Waits until pixel (x, y) of the client area shows the colour.
    bool Shows(int x, int y, COLORREF c) const {
        return vtest::WaitUntil([&] { return PixelAt(x, y) == c; }, vtest::kPromptMs);
    }
    void Close() {
        PostMessageW(hDialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(saver.WaitForExit(10000));
    }
};

// Where the dialog's controls are, in its client area.
constexpr int kFileX = 12 + 28, kFileY = 16 + 116;  // Cmd_File (0), 41 x 21
constexpr int kSetX = 324, kSetY = 200;             // Cmd_Set, 77 x 25
constexpr int kCdCaptionX = 12 + 50, kCdCaptionY = 16 + 56 + 6;
constexpr int kFileCaptionX = 12 + 50, kFileCaptionY = 16 + 96 + 6;
constexpr int kNoneCaptionX = 12 + 50, kNoneCaptionY = 16 + 76 + 6;
constexpr int kLinkX = 12 + 30, kLinkY = 208 + 6;
constexpr int kBackgroundX = 250, kBackgroundY = 120;
// The third frame row of a face: Normal #F3F3EE, Selected #CEE7FF, Disable #F5F4EA; the second
// row is the outline, #003C74 or, disabled, #C9C7BA.
constexpr COLORREF kNormalRow2 = RGB(0xF3, 0xF3, 0xEE), kSelectedRow2 = RGB(0xCE, 0xE7, 0xFF);
constexpr COLORREF kDisableRow2 = RGB(0xF5, 0xF4, 0xEA);

std::size_t Find(const std::vector<unsigned char>& a, const std::string& s) {
    const std::string sAll(a.begin(), a.end());
    return sAll.find(s);
}

TEST(SettingsDialog, OpensWithItsCaptionAndClientSize) {
    OpenDialog d(L"dialog_size");
    ASSERT_NE(d.hDialog, nullptr);
    EXPECT_EQ(vtest::WindowProcessId(d.hDialog), d.saver.Id());
    RECT r;
    GetClientRect(d.hDialog, &r);
    EXPECT_EQ(r.right, 496);
    EXPECT_EQ(r.bottom, 243);
    EXPECT_TRUE(IsWindowVisible(d.hDialog));
    PostMessageW(d.hDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(d.saver.WaitForExit(10000));
}

TEST(SettingsDialog, ASecondStartEndsAtOnceWhileTheDialogIsOpen) {
    OpenDialog d(L"dialog_second");
    ASSERT_NE(d.hDialog, nullptr);
    for (const wchar_t* pszArgs : {L"/c", L"/s"}) {
        SCOPED_TRACE(testing::Message() << pszArgs);
        vtest::CProcess second;
        ASSERT_TRUE(second.Start(d.sFolder + L"\\Vantorel.scr", pszArgs, d.sFolder));
        EXPECT_TRUE(second.WaitForExit(vtest::kPromptMs));
        EXPECT_TRUE(vtest::TopLevelWindowsOf(second.Id()).empty());
    }
    EXPECT_TRUE(d.saver.IsRunning());
    PostMessageW(d.hDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(d.saver.WaitForExit(10000));
}

TEST(SettingsDialog, KindCaptionsEnableTheComboOnlyForTheCd) {
    OpenDialog d(L"dialog_kinds");
    ASSERT_NE(d.hDialog, nullptr);
    ASSERT_NE(d.Combo(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(d.Combo())) << "no INI: kind 0";
    d.ClickAt(12 + 50, 16 + 56 + 6);  // "音楽CD"
    EXPECT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) != FALSE; }, vtest::kPromptMs));
    d.ClickAt(12 + 50, 16 + 96 + 6);  // "MP3、WAV"
    EXPECT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) == FALSE; }, vtest::kPromptMs));
    PostMessageW(d.hDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(d.saver.WaitForExit(10000));
    EXPECT_FALSE(vtest::FileExistsW(d.Ini()));
}

TEST(SettingsDialog, StoreWritesTheThreeKeysInOrderAndEnds) {
    OpenDialog d(L"dialog_store");
    ASSERT_NE(d.hDialog, nullptr);
    d.ClickAt(12 + 50, 16 + 56 + 6);  // "音楽CD"
    ASSERT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) != FALSE; }, vtest::kPromptMs));
    SetWindowTextW(d.Combo(), L"2.5");
    ASSERT_TRUE(vtest::ClickSettingsDialogButton(d.hDialog, kSetX, kSetY, vtest::kPromptMs));
    ASSERT_TRUE(d.saver.WaitForExit(10000)) << "the store button did not end the program";
    const auto aIni = vtest::ReadWholeFile(d.Ini());
    const std::size_t nKind = Find(aIni, "BGM\x8B\xE6\x95\xAA=1");
    const std::size_t nRepeat = Find(aIni, "BGM\xD8\xCB\xDF\xB0\xC4=2");
    const std::size_t nFile = Find(aIni, "BGM\xCC\xA7\xB2\xD9=");
    ASSERT_NE(nKind, std::string::npos) << std::string(aIni.begin(), aIni.end());
    ASSERT_NE(nRepeat, std::string::npos);
    ASSERT_NE(nFile, std::string::npos);
    EXPECT_LT(nKind, nRepeat);
    EXPECT_LT(nRepeat, nFile);
    EXPECT_NE(Find(aIni, "[Section]"), std::string::npos);
}

TEST(SettingsDialog, CancelWritesNothingAndEnds) {
    OpenDialog d(L"dialog_cancel");
    ASSERT_NE(d.hDialog, nullptr);
    d.ClickAt(12 + 50, 16 + 56 + 6);
    ASSERT_TRUE(vtest::ClickSettingsDialogButton(d.hDialog, 404, 200, vtest::kPromptMs));  // Cmd_Can
    ASSERT_TRUE(d.saver.WaitForExit(10000));
    EXPECT_FALSE(vtest::FileExistsW(d.Ini()));
}

TEST(SettingsDialog, ButtonFaceTurnsOrangeUnderThePointerAndBackWhenItLeaves) {
    OpenDialog d(L"dialog_hover");
    ASSERT_NE(d.hDialog, nullptr);
    // Third frame row of Cmd_Can, in the middle of its top edge: #F3F3EE normal, #FFF0CF highlighted.
    const int x = 404 + 38, y = 200 + 2;
    vtest::MoveMouse(d.Screen(250, 120).x, d.Screen(250, 120).y);
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.PixelAt(x, y) == RGB(0xF3, 0xF3, 0xEE); }, vtest::kPromptMs))
        << std::hex << d.PixelAt(x, y);
    vtest::MoveMouse(d.Screen(x, 200 + 12).x, d.Screen(x, 200 + 12).y);
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.PixelAt(x, y) == RGB(0xFF, 0xF0, 0xCF); }, vtest::kPromptMs))
        << std::hex << d.PixelAt(x, y);
    vtest::MoveMouse(d.Screen(250, 120).x, d.Screen(250, 120).y);
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.PixelAt(x, y) == RGB(0xF3, 0xF3, 0xEE); }, vtest::kPromptMs))
        << "the poll did not see the pointer leave";
    PostMessageW(d.hDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(d.saver.WaitForExit(10000));
}

TEST(SettingsDialog, IsCentredAcrossAndAThirdDownTheScreen) {
    OpenDialog d(L"dialog_place");
    ASSERT_NE(d.hDialog, nullptr);
    RECT r;
    GetWindowRect(d.hDialog, &r);
    const int nW = r.right - r.left, nH = r.bottom - r.top;
    // Placed in twips, so within a pixel of the exact place, never further.
    EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - nW) / 2.0, 0.5);
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - nH) / 3.0, 0.67);
    d.Close();
}

// A right-button press on a kind's caption chooses that kind; the file button shows whether it
// can be used.
TEST(SettingsDialog, RightButtonChoosesTheKindAndTheFileButtonShowsItsEnabledFace) {
    OpenDialog d(L"dialog_right");
    ASSERT_NE(d.hDialog, nullptr);
    const int x = kFileX + 20;
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_TRUE(d.Shows(x, kFileY + 1, RGB(0xC9, 0xC7, 0xBA))) << "kind 0: the disabled outline";
    EXPECT_TRUE(d.Shows(x, kFileY + 2, kDisableRow2));
    d.RightClickAt(kCdCaptionX, kCdCaptionY);
    EXPECT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) != FALSE; }, vtest::kPromptMs));
    d.RightClickAt(kFileCaptionX, kFileCaptionY);
    EXPECT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) == FALSE; }, vtest::kPromptMs));
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_TRUE(d.Shows(x, kFileY + 1, RGB(0x00, 0x3C, 0x74))) << std::hex << d.PixelAt(x, kFileY + 1);
    EXPECT_TRUE(d.Shows(x, kFileY + 2, kNormalRow2)) << std::hex << d.PixelAt(x, kFileY + 2);
    // The file button is 21 pixels high: its side slices shrink from 17 rows to 13. Whole rows of
    // the skin are kept, so its shaded side columns still run one way, from light to darker.
    const auto fnSidesDarkenDownwards = [&] {
        for (int nColumn : {2, 3, 38, 37}) {
            for (int y = kFileY + 4; y < kFileY + 16; ++y) {
                const COLORREF a = d.PixelAt(kFileX + nColumn, y), b = d.PixelAt(kFileX + nColumn, y + 1);
                if (GetRValue(a) < GetRValue(b) || GetGValue(a) < GetGValue(b) || GetBValue(a) < GetBValue(b))
                    return false;
            }
        }
        return true;
    };
    // The side slices are drawn after the top edge: wait for them, then say which row is off.
    vtest::WaitUntil(fnSidesDarkenDownwards, vtest::kPromptMs);
    for (int nColumn : {2, 3, 38, 37}) {
        SCOPED_TRACE(testing::Message() << "column " << nColumn);
        for (int y = kFileY + 4; y < kFileY + 16; ++y) {
            const COLORREF a = d.PixelAt(kFileX + nColumn, y), b = d.PixelAt(kFileX + nColumn, y + 1);
            EXPECT_GE(GetRValue(a), GetRValue(b)) << "row " << y - kFileY << std::hex << " " << a << " " << b;
            EXPECT_GE(GetGValue(a), GetGValue(b)) << "row " << y - kFileY << std::hex << " " << a << " " << b;
            EXPECT_GE(GetBValue(a), GetBValue(b)) << "row " << y - kFileY << std::hex << " " << a << " " << b;
        }
    }
    d.RightClickAt(kNoneCaptionX, kNoneCaptionY);
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_TRUE(d.Shows(x, kFileY + 2, kDisableRow2)) << "disabled again";
    d.Close();
}

// The face's gradient runs from white at the top to lavender grey at the bottom.
TEST(SettingsDialog, ButtonFaceShadesFromWhiteDownToLavender) {
    OpenDialog d(L"dialog_gradient");
    ASSERT_NE(d.hDialog, nullptr);
    d.MoveTo(kBackgroundX, kBackgroundY);
    const int x = kSetX + 20;  // left of the caption
    ASSERT_TRUE(d.Shows(x, kSetY + 2, kNormalRow2));
    COLORREF top = 0, bottom = 0;
    // The rows below the top edge may still be on their way: wait for the whole face.
    vtest::WaitUntil(
        [&] {
            top = d.PixelAt(x, kSetY + 4);
            bottom = d.PixelAt(x, kSetY + 20);
            return std::abs(GetRValue(top) - 245) <= 3 && std::abs(GetBValue(top) - 248) <= 3 &&
                   std::abs(GetRValue(bottom) - 207) <= 3 && std::abs(GetBValue(bottom) - 222) <= 3;
        },
        vtest::kPromptMs);
    // Row y of 0..24 lies y / 24 of the way from 255, 255, 255 to 198, 197, 215.
    EXPECT_NEAR(GetRValue(top), 245, 3) << std::hex << top;
    EXPECT_NEAR(GetBValue(top), 248, 3) << std::hex << top;
    EXPECT_NEAR(GetRValue(bottom), 207, 3) << std::hex << bottom;
    EXPECT_NEAR(GetBValue(bottom), 222, 3) << std::hex << bottom;
    d.Close();
}

// Another window taking over is no lost focus: the focused button keeps its look, and gets the
// focus back when the dialog is active again.
TEST(SettingsDialog, FocusedButtonKeepsItsFocusAcrossDeactivationAndLosesItOnlyToAnotherControl) {
    OpenDialog d(L"dialog_focus");
    ASSERT_NE(d.hDialog, nullptr);
    HWND hSet = d.Button(kSetX, kSetY);
    ASSERT_NE(hSet, nullptr);
    // Pressed on Cmd_Set and released away from it: focus, no click.
    d.MoveTo(kSetX + 38, kSetY + 12);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    d.MoveTo(kBackgroundX, kBackgroundY);
    MouseButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(vtest::WaitUntil([&] { return d.Focus() == hSet; }, vtest::kPromptMs));
    ASSERT_TRUE(d.Shows(kSetX + 38, kSetY + 2, kSelectedRow2)) << std::hex << d.PixelAt(kSetX + 38, kSetY + 2);

    // Another program's window comes to the front, away from the dialog.
    HWND hOther = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 120, 60,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hOther, nullptr);
    SetForegroundWindow(hOther);
    ASSERT_TRUE(vtest::WaitUntil(
        [&] {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            return GetForegroundWindow() == hOther;
        },
        3000));
    Sleep(300);
    EXPECT_EQ(d.PixelAt(kSetX + 38, kSetY + 2), kSelectedRow2) << "deactivation ran the lost-focus step";
    DestroyWindow(hOther);

    SetForegroundWindow(d.hDialog);
    EXPECT_TRUE(vtest::WaitUntil([&] { return GetForegroundWindow() == d.hDialog; }, vtest::kPromptMs));
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.Focus() == hSet; }, vtest::kPromptMs)) << "the focus did not come back";
    // Getting the focus back repaints the face (Selected again): wait for that paint to finish.
    EXPECT_TRUE(d.Shows(kSetX + 38, kSetY + 2, kSelectedRow2)) << std::hex << d.PixelAt(kSetX + 38, kSetY + 2);

    // Moving on to another control of the dialog is a lost focus.
    vtest::PressKey(VK_TAB);
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.Focus() != hSet && d.Focus() != nullptr; }, vtest::kPromptMs));
    EXPECT_TRUE(d.Shows(kSetX + 38, kSetY + 2, kNormalRow2)) << std::hex << d.PixelAt(kSetX + 38, kSetY + 2);
    d.Close();
    EXPECT_FALSE(vtest::FileExistsW(d.Ini())) << "the press dragged off stored nothing";
}

// The file dialog, driven as a user does: the file button opens it, a typed name is taken.
HWND WaitForFileDialog(DWORD nProcessId) {
    const std::wstring sTitle = vtest::Widen("ﾌｧｲﾙを開く");
    HWND hFound = nullptr;
    vtest::WaitUntil(
        [&] {
            for (HWND h : vtest::TopLevelWindowsOf(nProcessId)) {
                wchar_t szTitle[64] = {};
                GetWindowTextW(h, szTitle, 63);
                if (sTitle == szTitle && IsWindowVisible(h)) hFound = h;
            }
            return hFound != nullptr;
        },
        10000);
    return hFound;
}

void TakeFile(HWND hFileDialog, const std::wstring& sName) {
    // The file name box: the dialog's one visible edit control (inside the file name combo box).
    HWND hEdit = nullptr;
    EnumChildWindows(
        hFileDialog,
        [](HWND h, LPARAM p) -> BOOL {
            wchar_t szClass[16] = {};
            GetClassNameW(h, szClass, 15);
            if (_wcsicmp(szClass, L"Edit") != 0 || !IsWindowVisible(h)) return TRUE;
            *reinterpret_cast<HWND*>(p) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&hEdit));
    ASSERT_NE(hEdit, nullptr);
    SendMessageW(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sName.c_str()));
    PostMessageW(hFileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(SettingsDialog, FileDialogTakesAFileForTheLabelTheFileAndTheFolder) {
    const std::wstring sFirst = L"C:\\vantorel-tests\\dialog_music\\first", sSecond = L"C:\\vantorel-tests\\dialog_music\\second";
    CreateDirectoryW(L"C:\\vantorel-tests\\dialog_music", nullptr);
    CreateDirectoryW(sFirst.c_str(), nullptr);
    CreateDirectoryW(sSecond.c_str(), nullptr);
    WriteSomeBytes(sFirst + L"\\a.mp3");
    WriteSomeBytes(sSecond + L"\\Song B.mp3");
    OpenDialog d(L"dialog_file", [&](const std::wstring& sFolder) { WriteSettings(sFolder, 2, Narrow(sFirst) + "\\a.mp3"); });
    ASSERT_NE(d.hDialog, nullptr);
    HWND hFile = d.Button(kFileX, kFileY);
    ASSERT_NE(hFile, nullptr);
    // The label's area before: the path of the settings file's a.mp3.
    auto labelPixels = [&] {
        std::vector<COLORREF> a;
        for (int y = kFileY; y < kFileY + 14; y += 2)
            for (int x = 12 + 72; x < 12 + 72 + 300; x += 3) a.push_back(d.PixelAt(x, y));
        return a;
    };
    const std::vector<COLORREF> aBefore = labelPixels();

    d.ClickAt(kFileX + 20, kFileY + 10);
    HWND hFileDialog = WaitForFileDialog(d.saver.Id());
    ASSERT_NE(hFileDialog, nullptr) << "no file dialog";
    vtest::MoveMouse(5, 5);  // the pointer leaves the file button while the file dialog is open
    TakeFile(hFileDialog, sSecond + L"\\Song B.mp3");
    ASSERT_TRUE(vtest::WaitUntil([&] { return !IsWindow(hFileDialog); }, vtest::kPromptMs));
    // Back in the dialog the file button has the focus and shows it, the pointer being elsewhere.
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.Focus() == hFile; }, vtest::kPromptMs));
    EXPECT_TRUE(d.Shows(kFileX + 20, kFileY + 2, kSelectedRow2)) << std::hex << d.PixelAt(kFileX + 20, kFileY + 2);
    EXPECT_TRUE(vtest::WaitUntil([&] { return labelPixels() != aBefore; }, vtest::kPromptMs)) << "the label still shows a.mp3";

    // The next file dialog opens in the chosen file's folder: a bare name is taken from there.
    d.ClickAt(kFileX + 20, kFileY + 10);
    hFileDialog = WaitForFileDialog(d.saver.Id());
    ASSERT_NE(hFileDialog, nullptr);
    TakeFile(hFileDialog, L"Third.mp3");
    ASSERT_TRUE(vtest::WaitUntil([&] { return !IsWindow(hFileDialog); }, vtest::kPromptMs));
    // A click before the dialog is enabled again and has its focus back would be lost: on a busy
    // machine that comes well after the file dialog has gone.
    ASSERT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.hDialog) && d.Focus() == hFile; }, vtest::kPromptMs))
        << "the dialog did not get the keyboard back";

    ASSERT_TRUE(vtest::ClickSettingsDialogButton(d.hDialog, kSetX, kSetY, vtest::kPromptMs));
    ASSERT_TRUE(d.saver.WaitForExit(2 * vtest::kPromptMs));
    const auto aIni = vtest::ReadWholeFile(d.Ini());
    EXPECT_NE(Find(aIni, "BGM\xCC\xA7\xB2\xD9=" + Narrow(sSecond) + "\\Third.mp3"), std::string::npos)
        << std::string(aIni.begin(), aIni.end());
}

// lbl_URL: a pointing hand over it, and the page opened by a left click only. The test's Wine
// prefix opens http addresses with a command that writes the address it was given to a file.
class LinkOpens : public testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(L"C:\\vantorel-tests", nullptr);
        vtest::RemoveFileIfPresent(sOpened);
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
        wchar_t szOld[1024] = {};
        DWORD nSize = sizeof szOld;
        bHadOld = RegQueryValueExW(hKey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(szOld), &nSize) ==
                  ERROR_SUCCESS;
        sOld = szOld;
        const std::wstring sCommand = L"C:\\windows\\system32\\cmd.exe /c echo %1> " + sOpened;
        RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(sCommand.c_str()),
                       static_cast<DWORD>((sCommand.size() + 1) * sizeof(wchar_t)));
    }
    void TearDown() override {
        if (bHadOld)
            RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(sOld.c_str()),
                           static_cast<DWORD>((sOld.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(hKey, nullptr);
        RegCloseKey(hKey);
    }
    static constexpr const wchar_t* kKey = L"Software\\Classes\\http\\shell\\open\\command";
    const std::wstring sOpened = L"C:\\vantorel-tests\\link-opened.txt";
    HKEY hKey = nullptr;
    bool bHadOld = false;
    std::wstring sOld;
};

HCURSOR CursorShown() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

TEST_F(LinkOpens, OnALeftClickOnlyAndShowsAPointingHandOverTheLink) {
    // The cursor resource in Vantorel.scr: 32 x 32, monochrome, hot spot (12, 10).
    {
        const std::wstring sScr = vtest::BuildBinDir() + L"\\Vantorel.scr";
        HMODULE hScr = LoadLibraryExW(sScr.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(hScr, nullptr);
        HCURSOR hLink = static_cast<HCURSOR>(LoadImageW(hScr, MAKEINTRESOURCEW(130), IMAGE_CURSOR, 0, 0, 0));
        ASSERT_NE(hLink, nullptr) << "no cursor resource 130";
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(hLink, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 12u);
        EXPECT_EQ(info.yHotspot, 10u);
        EXPECT_EQ(info.hbmColor, nullptr) << "monochrome: the mask holds both halves";
        BITMAP mask = {};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, 32);
        EXPECT_EQ(mask.bmHeight, 64);
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DestroyCursor(hLink);
        FreeLibrary(hScr);
    }
    OpenDialog d(L"dialog_link");
    ASSERT_NE(d.hDialog, nullptr);

    d.MoveTo(kBackgroundX, kBackgroundY);
    Sleep(300);
    const HCURSOR hArrow = CursorShown();
    d.MoveTo(kLinkX, kLinkY);
    EXPECT_TRUE(vtest::WaitUntil([&] { return CursorShown() != hArrow; }, vtest::kPromptMs)) << "no cursor of its own";
    const HCURSOR hHand = CursorShown();
    d.MoveTo(kLinkX + 4, kLinkY);
    Sleep(200);
    EXPECT_EQ(CursorShown(), hHand);
    d.MoveTo(kBackgroundX, kBackgroundY);
    EXPECT_TRUE(vtest::WaitUntil([&] { return CursorShown() == hArrow; }, vtest::kPromptMs));

    // A right click, a middle click, and a left press dragged off the link open nothing.
    d.RightClickAt(kLinkX, kLinkY);
    d.MoveTo(kLinkX, kLinkY);
    MouseButton(MOUSEEVENTF_MIDDLEDOWN);
    MouseButton(MOUSEEVENTF_MIDDLEUP);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    d.MoveTo(kBackgroundX, kBackgroundY);
    MouseButton(MOUSEEVENTF_LEFTUP);
    Sleep(1500);
    EXPECT_FALSE(vtest::FileExistsW(sOpened)) << "opened without a left click on the link";

    d.ClickAt(kLinkX, kLinkY);
    ASSERT_TRUE(vtest::WaitUntil([&] { return vtest::FileExistsW(sOpened) && !vtest::ReadWholeFile(sOpened).empty(); },
                                 10000))
        << "the left click opened nothing";
    Sleep(200);
    const auto aOpened = vtest::ReadWholeFile(sOpened);
    EXPECT_EQ(std::string(aOpened.begin(), aOpened.end()).rfind("http://www.s-vell.jp/", 0), 0u)
        << std::string(aOpened.begin(), aOpened.end());
    d.Close();
}

}  // namespace
