// Vantorel.scr /c for real under Wine: the settings dialog's window, the music kind captions, the
// store and cancel buttons with the file they leave, the instance check, and the button faces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/win32_test_support.h"

namespace {

constexpr char kDialogTitle[] = "<Vantorel>";

struct OpenDialog {
    std::wstring sFolder;
    vtest::CProcess saver;
    HWND hDialog = nullptr;

    explicit OpenDialog(const std::wstring& sName) {
        sFolder = vtest::MakeProgramFolder(sName, {L"Vantorel.scr", L"Vantorel.dll"});
        EXPECT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", L"/c", sFolder));
        vtest::WaitUntil([&] { return (hDialog = vtest::FindTopLevel(kDialogTitle)) != nullptr; }, 15000);
        if (hDialog) {
            // Past the zoom-in and the first paint.
            Sleep(700);
        }
    }
    std::wstring Ini() const { return sFolder + L"\\Vantorel.ini"; }
    POINT Screen(int x, int y) const {
        POINT pt{x, y};
        ClientToScreen(hDialog, &pt);
        return pt;
    }
    void ClickAt(int x, int y) const {
        const POINT pt = Screen(x, y);
        vtest::ClickMouse(pt.x, pt.y);
    }
    COLORREF PixelAt(int x, int y) const {
        const POINT pt = Screen(x, y);
        HDC hdc = GetDC(nullptr);
        const COLORREF c = GetPixel(hdc, pt.x, pt.y);
        ReleaseDC(nullptr, hdc);
        return c;
    }
    HWND Combo() const { return FindWindowExW(hDialog, nullptr, L"ComboBox", nullptr); }
};

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
        EXPECT_TRUE(second.WaitForExit(5000));
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
    EXPECT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) != FALSE; }, 3000));
    d.ClickAt(12 + 50, 16 + 96 + 6);  // "MP3、WAV"
    EXPECT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) == FALSE; }, 3000));
    PostMessageW(d.hDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(d.saver.WaitForExit(10000));
    EXPECT_FALSE(vtest::FileExistsW(d.Ini()));
}

TEST(SettingsDialog, StoreWritesTheThreeKeysInOrderAndEnds) {
    OpenDialog d(L"dialog_store");
    ASSERT_NE(d.hDialog, nullptr);
    d.ClickAt(12 + 50, 16 + 56 + 6);  // "音楽CD"
    ASSERT_TRUE(vtest::WaitUntil([&] { return IsWindowEnabled(d.Combo()) != FALSE; }, 3000));
    SetWindowTextW(d.Combo(), L"2.5");
    d.ClickAt(324 + 38, 200 + 12);  // Cmd_Set
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
    d.ClickAt(404 + 38, 200 + 12);  // Cmd_Can
    ASSERT_TRUE(d.saver.WaitForExit(10000));
    EXPECT_FALSE(vtest::FileExistsW(d.Ini()));
}

TEST(SettingsDialog, ButtonFaceTurnsOrangeUnderThePointerAndBackWhenItLeaves) {
    OpenDialog d(L"dialog_hover");
    ASSERT_NE(d.hDialog, nullptr);
    // Third frame row of Cmd_Can, in the middle of its top edge: #F3F3EE normal, #FFF0CF highlighted.
    const int x = 404 + 38, y = 200 + 2;
    vtest::MoveMouse(d.Screen(250, 120).x, d.Screen(250, 120).y);
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.PixelAt(x, y) == RGB(0xF3, 0xF3, 0xEE); }, 3000))
        << std::hex << d.PixelAt(x, y);
    vtest::MoveMouse(d.Screen(x, 200 + 12).x, d.Screen(x, 200 + 12).y);
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.PixelAt(x, y) == RGB(0xFF, 0xF0, 0xCF); }, 3000))
        << std::hex << d.PixelAt(x, y);
    vtest::MoveMouse(d.Screen(250, 120).x, d.Screen(250, 120).y);
    EXPECT_TRUE(vtest::WaitUntil([&] { return d.PixelAt(x, y) == RGB(0xF3, 0xF3, 0xEE); }, 3000))
        << "the poll did not see the pointer leave";
    PostMessageW(d.hDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(d.saver.WaitForExit(10000));
}

}  // namespace
