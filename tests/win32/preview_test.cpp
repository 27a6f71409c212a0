// Vantorel.scr /p under Wine: the preview form inside a host window of another process, its lifetime,
// and what it draws. A child window of another process is not drawn into the host's pixels here, so
// the cross-process tests look at the window tree, and the pixels are read from the very same form
// built inside a host of this process.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "frontend/win32/preview_form_win32.h"
#include "support/win32_test_support.h"

namespace {

constexpr wchar_t kPreviewCaption[] = L"Preview Window";
constexpr char kShowFormTitle[] = "Nerlo_Main";
constexpr char kRendererTitle[] = "Nerlo_VC";
constexpr int kStillWidth = 152, kStillHeight = 112;

// Handles this thread's messages while it waits: the hosts are windows of this thread.
bool PumpUntil(const std::function<bool()>& fnCondition, DWORD nTimeoutMs) {
    return vtest::WaitUntil(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) continue;  // a form of ours that went away
                DispatchMessageW(&message);
            }
            return fnCondition();
        },
        nTimeoutMs);
}

void PumpFor(DWORD nMs) {
    PumpUntil([] { return false; }, nMs);
}

LRESULT CALLBACK HostProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

// The window of the Display Properties dialog that shows the little monitor: a borderless window
// of a known size, grey so that anything left undrawn stands out.
class CHost {
public:
    CHost(int x, int y, int nWidth, int nHeight, const wchar_t* pszTitle = L"PreviewHost") {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = L"VantorelPreviewHost";
        RegisterClassW(&windowClass);
        h = CreateWindowExW(0, windowClass.lpszClassName, pszTitle, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                            nWidth, nHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
        PumpFor(100);
    }
    ~CHost() { Destroy(); }
    CHost(const CHost&) = delete;
    CHost& operator=(const CHost&) = delete;
    HWND Get() const { return h; }
    void Destroy() {
        if (h) DestroyWindow(h);
        h = nullptr;
    }
    // As Windows passes it to a screensaver: decimal.
    std::wstring PreviewArguments() const {
        return L"/p " + std::to_wstring(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)));
    }

private:
    HWND h = nullptr;
};

// The child windows of the host that belong to the process.
std::vector<HWND> ChildrenOf(HWND hHost, DWORD nProcessId) {
    std::pair<DWORD, std::vector<HWND>> search{nProcessId, {}};
    EnumChildWindows(
        hHost,
        [](HWND hChild, LPARAM l) -> BOOL {
            auto* p = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(l);
            if (vtest::WindowProcessId(hChild) == p->first && GetAncestor(hChild, GA_PARENT) != nullptr) {
                p->second.push_back(hChild);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The preview form of the process inside the host, once it is there and visible; null otherwise.
HWND WaitForPreview(const CHost& host, const vtest::CProcess& saver, DWORD nTimeoutMs) {
    HWND hPreview = nullptr;
    PumpUntil(
        [&] {
            for (HWND hChild : ChildrenOf(host.Get(), saver.Id())) {
                if (GetAncestor(hChild, GA_PARENT) == host.Get() && IsWindowVisible(hChild)) hPreview = hChild;
            }
            return hPreview != nullptr;
        },
        nTimeoutMs);
    return hPreview;
}

std::wstring TextOf(HWND hWnd) {
    wchar_t sz[256] = {};
    GetWindowTextW(hWnd, sz, 256);
    return sz;
}

bool HasVisibleTopLevelWindow(DWORD nProcessId) {
    for (HWND h : vtest::TopLevelWindowsOf(nProcessId)) {
        if (IsWindowVisible(h)) return true;
    }
    return false;
}

// What C:\s_vell holds: names and last write times.
std::set<std::pair<std::wstring, ULONGLONG>> TextureFolderContents() {
    std::set<std::pair<std::wstring, ULONGLONG>> a;
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(L"C:\\s_vell\\*", &data);
    if (hFind == INVALID_HANDLE_VALUE) return a;
    do {
        const ULONGLONG nTime = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                data.ftLastWriteTime.dwLowDateTime;
        a.insert({data.cFileName, nTime});
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return a;
}

// ---- the preview of another process in our host ------------------------------------------------

struct HostCase {
    const char* pszName;
    int nWidth, nHeight;
};

void PrintTo(const HostCase& c, std::ostream* os) { *os << c.pszName; }

class PreviewInHost : public testing::TestWithParam<HostCase> {};

TEST_P(PreviewInHost, IsAChildCoveringTheHostAndEndsWithIt) {
    const HostCase& c = GetParam();
    const auto aFolderBefore = TextureFolderContents();
    // No renderer beside it: a preview does not look for one.
    const std::wstring sFolder = vtest::MakeProgramFolder(L"preview_host", {L"Vantorel.scr"});
    CHost host(100, 80, c.nWidth, c.nHeight);
    ASSERT_NE(host.Get(), nullptr);
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", host.PreviewArguments(), sFolder));

    HWND hPreview = WaitForPreview(host, saver, 10000);
    ASSERT_NE(hPreview, nullptr) << "no visible child window of Vantorel.scr in the host";
    EXPECT_EQ(TextOf(hPreview), kPreviewCaption);
    const LONG nStyle = GetWindowLongW(hPreview, GWL_STYLE);
    EXPECT_TRUE(nStyle & WS_CHILD);
    EXPECT_FALSE(nStyle & (WS_CAPTION | WS_THICKFRAME | WS_BORDER)) << std::hex << nStyle;
    EXPECT_EQ(GetParent(hPreview), host.Get());
    RECT hostRect, previewRect;
    GetWindowRect(host.Get(), &hostRect);
    GetWindowRect(hPreview, &previewRect);
    EXPECT_EQ(previewRect.left, hostRect.left);
    EXPECT_EQ(previewRect.top, hostRect.top);
    EXPECT_EQ(previewRect.right - previewRect.left, c.nWidth);
    EXPECT_EQ(previewRect.bottom - previewRect.top, c.nHeight);

    // The preview stays, alone: no show form, no renderer, no window of its own on the desktop.
    PumpFor(1000);
    EXPECT_TRUE(saver.IsRunning());
    EXPECT_EQ(vtest::FindTopLevel(kShowFormTitle), nullptr);
    EXPECT_EQ(vtest::FindTopLevel(kRendererTitle), nullptr);
    EXPECT_FALSE(HasVisibleTopLevelWindow(saver.Id()));
    EXPECT_EQ(TextureFolderContents(), aFolderBefore) << "the preview wrote into C:\\s_vell";

    // The host ends the preview by destroying its window, without a close request.
    host.Destroy();
    EXPECT_TRUE(saver.WaitForExit(vtest::kPromptMs)) << "the preview outlived its host";
    EXPECT_EQ(saver.ExitCode(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Hosts, PreviewInHost, testing::Values(
    HostCase{"monitor_152x112", kStillWidth, kStillHeight}, HostCase{"larger_400x300", 400, 300}));

TEST(PreviewLifetime, EndsWhenItsWindowIsAskedToClose) {
    const std::wstring sFolder = vtest::MakeProgramFolder(L"preview_close", {L"Vantorel.scr"});
    CHost host(100, 80, kStillWidth, kStillHeight);
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", host.PreviewArguments(), sFolder));
    HWND hPreview = WaitForPreview(host, saver, 10000);
    ASSERT_NE(hPreview, nullptr);
    PostMessageW(hPreview, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !saver.IsRunning(); }, 2000));
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_FALSE(IsWindow(hPreview));
    EXPECT_TRUE(IsWindow(host.Get())) << "closing the preview must leave the host alone";
}

TEST(PreviewLifetime, ASecondRequestRunsASecondPreviewBesideTheFirst) {
    const std::wstring sFolder = vtest::MakeProgramFolder(L"preview_two", {L"Vantorel.scr"});
    CHost first(100, 80, kStillWidth, kStillHeight);
    CHost second(300, 80, kStillWidth, kStillHeight);
    vtest::CProcess saverFirst, saverSecond;
    ASSERT_TRUE(saverFirst.Start(sFolder + L"\\Vantorel.scr", first.PreviewArguments(), sFolder));
    ASSERT_NE(WaitForPreview(first, saverFirst, 10000), nullptr);
    ASSERT_TRUE(saverSecond.Start(sFolder + L"\\Vantorel.scr", second.PreviewArguments(), sFolder));
    ASSERT_NE(WaitForPreview(second, saverSecond, 10000), nullptr);
    EXPECT_NE(saverFirst.Id(), saverSecond.Id());

    PumpFor(1000);
    EXPECT_TRUE(saverFirst.IsRunning());
    EXPECT_TRUE(saverSecond.IsRunning());
    // Each lives exactly as long as its own host.
    first.Destroy();
    EXPECT_TRUE(PumpUntil([&] { return !saverFirst.IsRunning(); }, 2000));
    EXPECT_TRUE(saverSecond.IsRunning());
    second.Destroy();
    EXPECT_TRUE(PumpUntil([&] { return !saverSecond.IsRunning(); }, 2000));
}

struct EndsAtOnceCase {
    const char* pszName;
    const wchar_t* pszMarkerTitle;  // a top-level window that exists meanwhile, or null
    bool bHandleOfHost;             // else the handle names no window
};

void PrintTo(const EndsAtOnceCase& c, std::ostream* os) { *os << c.pszName; }

class PreviewEnds : public testing::TestWithParam<EndsAtOnceCase> {};

TEST_P(PreviewEnds, SoonWithoutAPreviewInTheHost) {
    const EndsAtOnceCase& c = GetParam();
    const std::wstring sFolder = vtest::MakeProgramFolder(L"preview_ends", {L"Vantorel.scr"});
    CHost host(100, 80, kStillWidth, kStillHeight);
    std::unique_ptr<CHost> pMarker;
    if (c.pszMarkerTitle) pMarker = std::make_unique<CHost>(600, 500, 40, 40, c.pszMarkerTitle);
    vtest::CProcess saver;
    ASSERT_TRUE(saver.Start(sFolder + L"\\Vantorel.scr", c.bHandleOfHost ? host.PreviewArguments() : L"/p abc",
                            sFolder));
    EXPECT_TRUE(PumpUntil([&] { return !saver.IsRunning(); }, 3000)) << "the preview process did not end";
    EXPECT_TRUE(ChildrenOf(host.Get(), saver.Id()).empty());
    EXPECT_TRUE(IsWindow(host.Get()));
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewEnds, testing::Values(
    // An open settings dialog wins over a preview request.
    EndsAtOnceCase{"settings_dialog_open", L"<Vantorel>", true},
    // With no parent the form would be nowhere to be seen, and nothing would ever close it.
    EndsAtOnceCase{"handle_naming_no_window", nullptr, false}));

// ---- what the form draws, built in a host of this process ---------------------------------------

// The still as Vantorel.scr carries it, top row first, as 0x00RRGGBB.
std::vector<std::uint32_t> StillOf(HMODULE hPictures) {
    HBITMAP hStill = static_cast<HBITMAP>(LoadImageW(hPictures, MAKEINTRESOURCEW(110), IMAGE_BITMAP, 0, 0,
                                                     LR_CREATEDIBSECTION));
    std::vector<std::uint32_t> a(kStillWidth * kStillHeight);
    if (hStill == nullptr) return {};
    BITMAPINFO info = vtest::TopDown32(kStillWidth, kStillHeight);
    HDC hScreen = GetDC(nullptr);
    const int nLines = GetDIBits(hScreen, hStill, 0, kStillHeight, a.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hScreen);
    DeleteObject(hStill);
    if (nLines != kStillHeight) return {};
    for (auto& n : a) n &= 0xFFFFFF;
    return a;
}

class PreviewPicture : public testing::TestWithParam<HostCase> {};

TEST_P(PreviewPicture, IsTheStillAtTheTopLeftUnscaledOnBlack) {
    const HostCase& c = GetParam();
    const std::wstring sFolder = vtest::MakeProgramFolder(L"preview_picture", {L"Vantorel.scr"});
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> pPictures(
        LoadLibraryExW((sFolder + L"\\Vantorel.scr").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), &FreeLibrary);
    const HMODULE hPictures = pPictures.get();
    ASSERT_NE(hPictures, nullptr);
    const std::vector<std::uint32_t> aStill = StillOf(hPictures);
    ASSERT_EQ(aStill.size(), static_cast<std::size_t>(kStillWidth * kStillHeight)) << "no 152 x 112 still";

    CHost host(100, 80, c.nWidth, c.nHeight);
    std::int32_t ApiResult = 0;
    {
        Nerlo_B::CPreviewFormWin32 form(GetModuleHandleW(nullptr), hPictures, ApiResult);
        ASSERT_TRUE(form.Build(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(host.Get()))));
        ASSERT_EQ(GetParent(form.Window()), host.Get());
        RedrawWindow(host.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(300);

        const std::vector<std::uint32_t> aHost = vtest::PixelsOf(host.Get(), c.nWidth, c.nHeight);
        int nWrongStill = 0, nWrongBlack = 0;
        for (int y = 0; y < c.nHeight; ++y) {
            for (int x = 0; x < c.nWidth; ++x) {
                const std::uint32_t nPixel = aHost[static_cast<std::size_t>(y) * c.nWidth + x];
                if (x < kStillWidth && y < kStillHeight) {
                    if (nPixel != aStill[static_cast<std::size_t>(y) * kStillWidth + x] && nWrongStill++ < 3) {
                        ADD_FAILURE() << "still pixel " << x << "," << y << " is " << std::hex << nPixel;
                    }
                } else if (nPixel != 0 && nWrongBlack++ < 3) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " outside the still is " << std::hex << nPixel;
                }
            }
        }
        EXPECT_EQ(nWrongStill, 0);
        EXPECT_EQ(nWrongBlack, 0);
    }
    PumpFor(50);
}

INSTANTIATE_TEST_SUITE_P(Hosts, PreviewPicture, testing::Values(
    HostCase{"monitor_152x112", kStillWidth, kStillHeight}, HostCase{"larger_400x300", 400, 300}));

}  // namespace
