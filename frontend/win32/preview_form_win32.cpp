#include "frontend/win32/preview_form_win32.h"

#include "assets/resource.h"
#include "frontend/text_cp932.h"
#include "frontend/win32/win32_text.h"

namespace Nerlo_B {
namespace {

constexpr wchar_t kFormClass[] = L"Nerlo_R";
constexpr wchar_t kImageClass[] = L"Nerlo_R.Img_Prev";
constexpr UINT_PTR kWatchTimerId = 1;

// Tests build several forms in one process: a class that is already there is the same class.
bool RegisterOnce(const WNDCLASSEXW& windowClass) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) return true;
    return ::RegisterClassExW(&windowClass) != 0;
}

template <typename T>
T* InstanceOf(HWND hWnd, UINT nMessage, LPARAM lParam) {
    if (nMessage == WM_NCCREATE) {
        const auto* pCreate = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    return reinterpret_cast<T*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

HWND HwndOf(WindowHandle h) { return reinterpret_cast<HWND>(h); }

int LogicalPixels(int nIndex) {
    CScreenDc screen;
    const int nDpi = ::GetDeviceCaps(screen.Get(), nIndex);
    return nDpi > 0 ? nDpi : 96;
}

}  // namespace

CPreviewFormWin32::CPreviewFormWin32(HINSTANCE hInstanceIn, HMODULE hPictures, std::int32_t& ApiResult)
    : hInstance(hInstanceIn),
      still(static_cast<HBITMAP>(::LoadImageW(hPictures, MAKEINTRESOURCEW(IDB_PREVIEW), IMAGE_BITMAP, 0, 0,
                                              LR_CREATEDIBSECTION))),
      form(*this, ApiResult) {}

CPreviewFormWin32::~CPreviewFormWin32() {
    if (hForm != nullptr) ::DestroyWindow(hForm);
}

LRESULT CALLBACK CPreviewFormWin32::FormProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    CPreviewFormWin32* pSelf = InstanceOf<CPreviewFormWin32>(hWnd, nMessage, lParam);
    if (pSelf != nullptr) {
        switch (nMessage) {
            case WM_TIMER:
                if (wParam == kWatchTimerId) pSelf->form.ParentWatch_Timer();
                return 0;
            // The host's close request, or anyone's: the form unloads.
            case WM_CLOSE:
                pSelf->form.Unload();
                return 0;
            // Also when the host destroyed the parent and us with it: no window of ours is left.
            case WM_DESTROY:
                ::KillTimer(hWnd, kWatchTimerId);
                pSelf->hForm = nullptr;
                pSelf->hImage = nullptr;
                ::PostQuitMessage(0);
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

LRESULT CALLBACK CPreviewFormWin32::ImageProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    const CPreviewFormWin32* pSelf = InstanceOf<CPreviewFormWin32>(hWnd, nMessage, lParam);
    if (pSelf != nullptr) {
        switch (nMessage) {
            case WM_ERASEBKGND:
                return 1;  // PaintImage covers every pixel
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC hdc = ::BeginPaint(hWnd, &paint);
                pSelf->PaintImage(hdc);
                ::EndPaint(hWnd, &paint);
                return 0;
            }
            case WM_PRINTCLIENT:
                pSelf->PaintImage(reinterpret_cast<HDC>(wParam));
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

// The still at its own size from the top-left corner, never scaled; black wherever the control is
// larger.
void CPreviewFormWin32::PaintImage(HDC hdc) const {
    RECT client;
    ::GetClientRect(hImage, &client);
    ::FillRect(hdc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    BITMAP info{};
    if (still.Get() == nullptr || !::GetObjectW(still.Get(), sizeof info, &info)) return;
    HDC hMemory = ::CreateCompatibleDC(hdc);
    HGDIOBJ hOld = ::SelectObject(hMemory, still.Get());
    ::BitBlt(hdc, 0, 0, info.bmWidth, info.bmHeight, hMemory, 0, 0, SRCCOPY);
    ::SelectObject(hMemory, hOld);
    ::DeleteDC(hMemory);
}

bool CPreviewFormWin32::GetWindowRect(WindowHandle hWnd, WindowRect& rect) {
    RECT rc;
    if (!::GetWindowRect(HwndOf(hWnd), &rc)) return false;
    rect = {rc.left, rc.top, rc.right, rc.bottom};
    return true;
}

std::int32_t CPreviewFormWin32::GetWindowLongA(WindowHandle hWnd, int nIndex) {
    return ::GetWindowLongA(HwndOf(hWnd), nIndex);
}

std::int32_t CPreviewFormWin32::SetWindowLongA(WindowHandle hWnd, int nIndex, std::int32_t nNewLong) {
    return ::SetWindowLongA(HwndOf(hWnd), nIndex, nNewLong);
}

WindowHandle CPreviewFormWin32::SetParent(WindowHandle hWndChild, WindowHandle hWndNewParent) {
    return reinterpret_cast<WindowHandle>(::SetParent(HwndOf(hWndChild), HwndOf(hWndNewParent)));
}

std::int32_t CPreviewFormWin32::PostMessageA(WindowHandle hWnd, std::uint32_t nMessage, std::uintptr_t wParam,
                                             std::intptr_t lParam) {
    return ::PostMessageA(HwndOf(hWnd), nMessage, wParam, lParam);
}

bool CPreviewFormWin32::IsWindow(WindowHandle hWnd) { return ::IsWindow(HwndOf(hWnd)) != FALSE; }

// Whole twips per pixel, as the form run-time counts them.
int CPreviewFormWin32::TwipsPerPixelX() { return 1440 / LogicalPixels(LOGPIXELSX); }
int CPreviewFormWin32::TwipsPerPixelY() { return 1440 / LogicalPixels(LOGPIXELSY); }

WindowHandle CPreviewFormWin32::LoadForm() {
    WNDCLASSEXW formClass{};
    formClass.cbSize = sizeof formClass;
    formClass.lpfnWndProc = FormProc;
    formClass.hInstance = hInstance;
    formClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    formClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    formClass.lpszClassName = kFormClass;
    WNDCLASSEXW imageClass = formClass;
    imageClass.lpfnWndProc = ImageProc;
    imageClass.hbrBackground = nullptr;
    imageClass.lpszClassName = kImageClass;
    if (!RegisterOnce(formClass) || !RegisterOnce(imageClass)) return 0;

    // A popup, because an overlapped window would get a caption bar; no border, not yet shown.
    hForm = ::CreateWindowExW(0, kFormClass, WideOf(Utf8ToUtf16(kPreviewFormCaption)).c_str(),
                              WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr, nullptr, hInstance, this);
    if (hForm == nullptr) return 0;
    // Then the borderless form's own style: not a popup, since a popup's parent reads as its owner,
    // and the host would never see the form as its child.
    ::SetWindowLongW(hForm, GWL_STYLE, WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    // Its design-time size is the still's; MoveImage gives it the parent's.
    hImage = ::CreateWindowExW(0, kImageClass, L"Img_Prev", WS_CHILD | WS_VISIBLE, 0, 0, 152, 112, hForm, nullptr,
                               hInstance, this);
    return reinterpret_cast<WindowHandle>(hForm);
}

// The form's coordinates are twips of its parent's client area.
void CPreviewFormWin32::MoveForm(std::int16_t nLeft, std::int16_t nTop, std::int16_t nWidth, std::int16_t nHeight) {
    const int nX = TwipsPerPixelX(), nY = TwipsPerPixelY();
    ::MoveWindow(hForm, nLeft / nX, nTop / nY, nWidth / nX, nHeight / nY, TRUE);
}

void CPreviewFormWin32::MoveImage(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight) {
    ::MoveWindow(hImage, nLeft, nTop, nWidth, nHeight, TRUE);
}

void CPreviewFormWin32::ShowForm() { ::ShowWindow(hForm, SW_SHOW); }

void CPreviewFormWin32::SetWatchTimer(std::uint32_t nElapseMs) { ::SetTimer(hForm, kWatchTimerId, nElapseMs, nullptr); }

void CPreviewFormWin32::UnloadForm() {
    if (hForm != nullptr) ::DestroyWindow(hForm);
}

}  // namespace Nerlo_B
