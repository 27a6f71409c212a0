// The preview form's window: caption "Preview Window", black, borderless, with the child Img_Prev
// that draws the still unscaled from its top-left corner. It is the Nerlo_R port over the real
// system calls and forwards the timer and every close to the form.
#pragma once
#include <windows.h>

#include <cstdint>

#include "frontend/preview_form.h"
#include "frontend/win32/win32_handles.h"

namespace Nerlo_B {

class CPreviewFormWin32 final : private CPreviewPort {
public:
    // hPictures is the module that carries the still (Vantorel.scr itself, or a test's copy of it
    // loaded as data); ApiResult is the process-wide one.
    CPreviewFormWin32(HINSTANCE hInstance, HMODULE hPictures, std::int32_t& ApiResult);
    ~CPreviewFormWin32() override;
    CPreviewFormWin32(const CPreviewFormWin32&) = delete;
    CPreviewFormWin32& operator=(const CPreviewFormWin32&) = delete;

    // Nerlo_R::Build; false when its window could not be made.
    bool Build(std::int32_t nParentHandle) { return form.Build(nParentHandle); }
    HWND Window() const { return hForm; }

private:
    static LRESULT CALLBACK FormProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ImageProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    void PaintImage(HDC hdc) const;

    bool GetWindowRect(WindowHandle hWnd, WindowRect& rect) override;
    std::int32_t GetWindowLongA(WindowHandle hWnd, int nIndex) override;
    std::int32_t SetWindowLongA(WindowHandle hWnd, int nIndex, std::int32_t nNewLong) override;
    WindowHandle SetParent(WindowHandle hWndChild, WindowHandle hWndNewParent) override;
    std::int32_t PostMessageA(WindowHandle hWnd, std::uint32_t nMessage, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    bool IsWindow(WindowHandle hWnd) override;
    int TwipsPerPixelX() override;
    int TwipsPerPixelY() override;
    WindowHandle LoadForm() override;
    void MoveForm(std::int16_t nLeft, std::int16_t nTop, std::int16_t nWidth, std::int16_t nHeight) override;
    void MoveImage(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight) override;
    void ShowForm() override;
    void SetWatchTimer(std::uint32_t nElapseMs) override;
    void UnloadForm() override;

    HINSTANCE hInstance;
    CGdiBitmap still;
    Nerlo_R form;
    HWND hForm = nullptr;
    HWND hImage = nullptr;
};

}  // namespace Nerlo_B
