// The windows on every monitor but the primary for as long as the scene runs: the scene at each
// monitor's own size, drawn with the renderer's one GL context, or a black cover where a monitor shares
// pixels with the primary or its scene could not be set up. No title, no taskbar button, no cursor,
// never active. They belong to the renderer's thread, so they go with it.
#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "renderer/monitor_layout.h"
#include "renderer/scene_view.h"

class CMonitorViews {
public:
    CMonitorViews() = default;
    ~CMonitorViews() { Close(); }
    CMonitorViews(const CMonitorViews&) = delete;
    CMonitorViews& operator=(const CMonitorViews&) = delete;

    // Black windows on the monitors as the system reports them now: call it once the display mode is set.
    void Open(HINSTANCE hInstance);
    // From now on the scene windows draw with hContext, in the pixel format of hMainDC (one context
    // serves every window of that format, so the pictures are loaded once).
    void StartScenes(HDC hMainDC, HGLRC hContext);
    // Monitors came, went or changed: windows for the new layout. A window whose piece is unchanged stays
    // (and keeps its scene); the new ones come before the rest go. Nothing once closed (or never opened).
    void Follow();
    // Draws this turn's frame on every scene window, then makes the context current on the main window
    // again with its viewport (nMainWidth x nMainHeight). A window whose drawing fails turns black.
    void Draw(int nMainWidth, int nMainHeight);
    // Destroys the windows and unregisters their class; the context stays with the main window.
    void Close();

private:
    struct SDestroyWindow {
        void operator()(HWND hWnd) const { DestroyWindow(hWnd); }
    };
    using CWindow = std::unique_ptr<std::remove_pointer_t<HWND>, SDestroyWindow>;

    struct SView {
        CWindow cWindow;
        HDC hDC = nullptr;  // the window's own DC (CS_OWNDC)
        SMonitorPiece piece;  // what the layout put here
        bool bScene = false;  // its scene is set up and drawn each turn
        bool bRefused = false;  // the test hook: this monitor's scene set-up fails
        CSceneView cScene{0, 0};
    };

    CWindow MakeWindow(const SScreenRect& rc);
    bool StartScene(SView& view);
    // The view shows black from now on: a fresh cover, since a window that held GL frames keeps them.
    void TurnBlack(SView& view);
    // The context back on the main window, where the loop draws.
    void ReturnContext();

    HINSTANCE hClassInstance = nullptr;
    HDC hMainDC = nullptr;
    HGLRC hContext = nullptr;
    std::vector<SView> aViews;
};

LRESULT CALLBACK MonitorViewProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
