// One output's picture: its wl_surface with the layer-shell role (or a fullscreen xdg-shell window),
// the EGL window surface the scene is drawn into at the output's size in physical pixels, and the
// frame callback that says when the compositor wants the next picture.
#pragma once
#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdint>
#include <string>

#include "renderer/frame_pacing.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

// What every view makes its surface with; owned by the display, shared by all views.
struct SSurfaceKit {
    wl_compositor* pCompositor = nullptr;
    zwlr_layer_shell_v1* pLayerShell = nullptr;  // null: fullscreen xdg-shell windows
    xdg_wm_base* pWmBase = nullptr;
    EGLDisplay eglDisplay = EGL_NO_DISPLAY;
    EGLConfig eglConfig = nullptr;
    bool bBackground = false;  // the background layer, no input
    bool bStill = false;       // a pinned moment: drawn once per size, no frame callbacks
    long nDelayUs = 0;         // -delay: the least time between two frames of one output
};

class COutputView {
public:
    COutputView(const SSurfaceKit& cKit, wl_output* pOutput, int nScale, int nModeWidth, int nModeHeight);
    ~COutputView();
    COutputView(const COutputView&) = delete;
    COutputView& operator=(const COutputView&) = delete;

    // Makes the surface and its role and commits it without a buffer, so the compositor configures it.
    bool Create(std::string& sError);

    // The output's scale or mode changed: the buffer follows at the next picture.
    void OutputChanged(int nScale, int nModeWidth, int nModeHeight);

    // The compositor closed the surface (layer surface closed, window close request): the view goes.
    bool Closed() const { return bClosed; }
    // Configured, and either the first picture for this size or a frame callback came since the last.
    bool DrawDue() const { return eglSurface != EGL_NO_SURFACE && bDrawDue && !bClosed; }
    EGLSurface Surface() const { return eglSurface; }
    int BufferWidth() const { return nWidth * nScale; }
    int BufferHeight() const { return nHeight * nScale; }
    // Asks for the frame callback that will make the next picture due; call before the swap that
    // commits this one.
    void PictureDrawn();
    // The swap showed the picture.
    void PictureShown() {
        nLostInRow = 0;
        bEverShown = true;
    }
    // This surface has shown a picture at least once.
    bool EverShown() const { return bEverShown; }
    // The swap failed: nothing was committed, so no frame callback will come for it. The picture is
    // due again after a short wait; after several in a row the view is broken.
    void PictureLost(uint64_t nNowUs);
    // How long before a lost picture may be drawn again (0: now).
    uint64_t RetryWaitUs(uint64_t nNowUs) const { return nNowUs < nRetryAtUs ? nRetryAtUs - nNowUs : 0; }
    // Pictures failed so often in a row that only a new surface may help.
    bool Broken() const { return nLostInRow >= kLostBeforeBroken; }

    // This output's own -delay and -fps: outputs of different refresh rates keep their own pace.
    CFramePacer& Pacer() { return cPacer; }
    CFrameRateMeter& Meter() { return cMeter; }

    // For the tests: the context is never made current on this surface, as a driver that lost it.
    void RefuseCurrent() { bRefusesCurrent = true; }
    bool RefusesCurrent() const { return bRefusesCurrent; }

    // True the first time it is asked: the swap interval belongs to the surface and is set once.
    bool TakeFirstCurrent() {
        const bool bFirst = !bMadeCurrent;
        bMadeCurrent = true;
        return bFirst;
    }

private:
    static const zwlr_layer_surface_v1_listener kLayerListener;
    static const xdg_surface_listener kXdgSurfaceListener;
    static const xdg_toplevel_listener kToplevelListener;
    static const wl_callback_listener kFrameListener;
    static constexpr int kLostBeforeBroken = 3;
    static constexpr uint64_t kRetryAfterUs = 100000;

    void Configure(int nNewWidth, int nNewHeight);

    SSurfaceKit cKit;
    wl_output* pOutput;
    int nScale;
    int nModeWidth, nModeHeight;

    wl_surface* pSurface = nullptr;
    zwlr_layer_surface_v1* pLayer = nullptr;
    xdg_surface* pXdgSurface = nullptr;
    xdg_toplevel* pToplevel = nullptr;
    wl_egl_window* pEglWindow = nullptr;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    wl_callback* pFrame = nullptr;

    int nWidth = 0, nHeight = 0;           // surface size, logical
    int nPendingWidth = 0, nPendingHeight = 0;  // a window's size until its configure is acked
    bool bDrawDue = false;
    bool bClosed = false;
    bool bMadeCurrent = false;
    int nLostInRow = 0;
    bool bEverShown = false;
    bool bRefusesCurrent = false;
    uint64_t nRetryAtUs = 0;
    CFramePacer cPacer;
    CFrameRateMeter cMeter;
};
