// The system calls that the preview form Nerlo_R makes, as a port of its own: the Win32 build
// forwards each to the call it is named after, the tests record them. The form's own run-time
// (load, move, show, unload, its timer) is here too, because that is where the window is made.
#pragma once

#include <cstdint>

#include "frontend/frontend_port.h"

namespace Nerlo_B {

// A window rectangle in screen pixels, as RECT.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

inline constexpr int GWL_STYLE_INDEX = -16;               // GWL_STYLE
inline constexpr std::int32_t WS_CHILD_STYLE = 0x40000000;  // WS_CHILD
inline constexpr std::uint32_t WM_CLOSE_MESSAGE = 0x0010;   // WM_CLOSE

class CPreviewPort {
public:
    virtual ~CPreviewPort() = default;

    // As the system calls: a window that does not exist leaves rect as it was and returns false.
    virtual bool GetWindowRect(WindowHandle hWnd, WindowRect& rect) = 0;
    virtual std::int32_t GetWindowLongA(WindowHandle hWnd, int nIndex) = 0;
    virtual std::int32_t SetWindowLongA(WindowHandle hWnd, int nIndex, std::int32_t nNewLong) = 0;
    virtual WindowHandle SetParent(WindowHandle hWndChild, WindowHandle hWndNewParent) = 0;
    virtual std::int32_t PostMessageA(WindowHandle hWnd, std::uint32_t nMessage, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    virtual bool IsWindow(WindowHandle hWnd) = 0;

    // The screen's twips per pixel (15 at 96 dots per inch).
    virtual int TwipsPerPixelX() = 0;
    virtual int TwipsPerPixelY() = 0;

    // Creates Nerlo_R's window and its Img_Prev, hidden; 0 when the window could not be made.
    virtual WindowHandle LoadForm() = 0;
    // The form's place in its parent, in twips.
    virtual void MoveForm(std::int16_t nLeft, std::int16_t nTop, std::int16_t nWidth, std::int16_t nHeight) = 0;
    // Img_Prev's place in the form, in pixels.
    virtual void MoveImage(std::int32_t nLeft, std::int32_t nTop, std::int32_t nWidth, std::int32_t nHeight) = 0;
    virtual void ShowForm() = 0;
    // Arms the form's one timer, which calls Nerlo_R::ParentWatch_Timer.
    virtual void SetWatchTimer(std::uint32_t nElapseMs) = 0;
    // Destroys the form's window; the message loop then ends and so does the process.
    virtual void UnloadForm() = 0;
};

}  // namespace Nerlo_B
