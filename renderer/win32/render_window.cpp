// The fullscreen window: display mode switch, window class and window, pixel format, WGL context,
// and a teardown that gives the display back before the window (and with it "Nerlo_VC") goes.
#include "renderer/win32/render_window.h"

#include <cstddef>
#include <cstring>

#include "renderer/render_state.h"
#include "renderer/scene.h"
#include "common/win32/startup_timing.h"
#include "renderer/win32/monitor_views.h"

bool bActive = true;
CKeyTable cKeyTable;
CDisplayPower cDisplayPower;
HINSTANCE hRenderInstance = nullptr;
HWND hRenderWnd = nullptr;
HDC hRenderDC = nullptr;
HGLRC hRenderRC = nullptr;

CMonitorViews cMonitorViews;

namespace {

const char kRegisteredClass[] = "OpenGL";
// Class names match without regard to case: this names the class registered above.
const char kCreatedClass[] = "OpenGl";

// One static descriptor; its colour depth is filled in when a window is opened.
PIXELFORMATDESCRIPTOR pfdRender = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    0,  // colour bits: the display depth
    0, 0, 0, 0, 0, 0,
    0, 0,
    0, 0, 0, 0, 0,
    16,  // depth bits
    0,
    0,
    PFD_MAIN_PLANE,
    0,
    0, 0, 0,
};

// The display-power settings asked for, and the registrations to give back at teardown (one stays
// null where the system does not know its setting).
HPOWERNOTIFY ahPowerNotify[2] = {};

GUID PowerSettingGuid(const unsigned char (&aBytes)[16]) {
    GUID guid;
    std::memcpy(&guid, aBytes, sizeof guid);
    return guid;
}

// The system sends the current state of each at once, then every change, to the window.
void RegisterDisplayPower(HWND hWnd) {
    const GUID aSettings[2] = {PowerSettingGuid(kConsoleDisplayStateId), PowerSettingGuid(kMonitorPowerOnId)};
    for (int i = 0; i < 2; ++i) {
        ahPowerNotify[i] = RegisterPowerSettingNotification(hWnd, &aSettings[i], DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

void UnregisterDisplayPower() {
    for (HPOWERNOTIFY& h : ahPowerNotify) {
        if (h) UnregisterPowerSettingNotification(h);
        h = nullptr;
    }
}

}  // namespace

DEVMODEA RenderDisplayMode(int nWidth, int nHeight, int nBits) {
    DEVMODEA dm;
    ZeroMemory(&dm, sizeof dm);
    // The record as Windows 95 and NT 4 knew it, without the panning fields the header's sizeof
    // (156) counts: every system takes it, and it asks for nothing beyond size and depth.
    dm.dmSize = kDisplayModeRecordSize;
    dm.dmPelsWidth = static_cast<DWORD>(nWidth);
    dm.dmPelsHeight = static_cast<DWORD>(nHeight);
    dm.dmBitsPerPel = static_cast<DWORD>(nBits);
    dm.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return dm;
}

bool OpenRenderWindow(const char* pszTitle, int nWidth, int nHeight, int nBits) {
    hRenderInstance = GetModuleHandleA(nullptr);

    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = RenderWindowProc;
    wc.hInstance = hRenderInstance;
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WINLOGO));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kRegisteredClass;
    if (!RegisterClassA(&wc)) return false;

    DEVMODEA dm = RenderDisplayMode(nWidth, nHeight, nBits);
    // No windowed fallback: a display that cannot show the scene full size ends the renderer.
    if (ChangeDisplaySettingsA(&dm, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return false;
    startup_timing::Mark("renderer", "display-mode");
    // The other monitors as they are after the switch (it can move them), black until their scenes start.
    cMonitorViews.Open(hRenderInstance);

    ShowCursor(FALSE);

    const DWORD dwExStyle = WS_EX_APPWINDOW;
    const DWORD dwStyle = WS_POPUP;
    RECT rc = {0, 0, nWidth, nHeight};
    AdjustWindowRectEx(&rc, dwStyle, FALSE, dwExStyle);

    hRenderWnd = CreateWindowExA(dwExStyle, kCreatedClass, pszTitle, dwStyle | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                 0, 0, rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                                 hRenderInstance, nullptr);
    if (!hRenderWnd) {
        CloseRenderWindow();
        return false;
    }
    RegisterDisplayPower(hRenderWnd);
    hRenderDC = GetDC(hRenderWnd);
    if (!hRenderDC) {
        CloseRenderWindow();
        return false;
    }
    pfdRender.cColorBits = static_cast<BYTE>(nBits);
    const int nFormat = ChoosePixelFormat(hRenderDC, &pfdRender);
    if (nFormat == 0 || !SetPixelFormat(hRenderDC, nFormat, &pfdRender)) {
        CloseRenderWindow();
        return false;
    }
    hRenderRC = wglCreateContext(hRenderDC);
    if (!hRenderRC || !wglMakeCurrent(hRenderDC, hRenderRC)) {
        CloseRenderWindow();
        return false;
    }
    startup_timing::Mark("renderer", "context");
    ShowWindow(hRenderWnd, SW_SHOW);
    SetForegroundWindow(hRenderWnd);
    SetFocus(hRenderWnd);
    ResizeViewport(nWidth, nHeight);
    startup_timing::Mark("renderer", "window-shown");
    // The renderer uploads all 512 frames of the two layers at start and only selects one per frame.
    SetSceneLayerForm(LayerForm::Precomputed);
    if (!InitRenderState()) {
        CloseRenderWindow();
        return false;
    }
    // The other monitors draw with this context once the pictures are in it.
    cMonitorViews.StartScenes(hRenderDC, hRenderRC);
    startup_timing::Mark("renderer", "scene-ready");
    return true;
}

void CloseRenderWindow() {
    // The other monitors' windows go while every monitor is still where it was during the run:
    // restoring the primary's mode can move the others, and windows left behind would hide pieces of
    // the desktop coming back while the monitors they were meant for showed it (and the display change
    // the restore sends finds nothing to follow). Until the window goes, the scene stays on the primary.
    cMonitorViews.Close();
    ChangeDisplaySettingsA(nullptr, 0);
    ShowCursor(TRUE);
    if (hRenderRC) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(hRenderRC);
        hRenderRC = nullptr;
    }
    if (hRenderDC) {
        ReleaseDC(hRenderWnd, hRenderDC);
        hRenderDC = nullptr;
    }
    UnregisterDisplayPower();
    if (hRenderWnd) {
        DestroyWindow(hRenderWnd);
        hRenderWnd = nullptr;
    }
    UnregisterClassA(kRegisteredClass, hRenderInstance);
}

LRESULT CALLBACK RenderWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_ACTIVATE:
        // Only minimising stops the drawing; losing the focus does not.
        bActive = HIWORD(wParam) == 0;
        return 0;
    case WM_SYSCOMMAND:
        // Neither the system's screensaver nor monitor power-down may start over the scene.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        cKeyTable.KeyDown(wParam);
        return 0;
    case WM_KEYUP:
        cKeyTable.KeyUp(wParam);
        return 0;
    case WM_DISPLAYCHANGE:
        // Monitors came, went or moved: the other monitors' windows follow.
        cMonitorViews.Follow();
        break;
    case WM_POWERBROADCAST:
        // A display-power change; a sent message ends the loop's wait, so a display back on draws at once.
        if (wParam == PBT_POWERSETTINGCHANGE && lParam) {
            const auto* pSetting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
            cDisplayPower.OnSetting(reinterpret_cast<const unsigned char*>(pSetting),
                                    offsetof(POWERBROADCAST_SETTING, Data) + pSetting->DataLength);
            return TRUE;
        }
        break;
    case WM_SIZE:
        ResizeViewport(LOWORD(lParam), HIWORD(lParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
