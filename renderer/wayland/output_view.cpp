#include "renderer/wayland/output_view.h"

namespace {

// Buffer scales came with wl_surface version 3; an older compositor shows every output at scale 1.
bool TakesBufferScale(wl_surface* pSurface) {
    return wl_proxy_get_version(reinterpret_cast<wl_proxy*>(pSurface)) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION;
}

// Compositors match window rules and layer rules on these.
const char kNamespace[] = "vantorel";
const char kAppId[] = "vantorel";
const char kTitle[] = "Vantorel";

}  // namespace

const zwlr_layer_surface_v1_listener COutputView::kLayerListener = {
    // configure
    [](void* pData, zwlr_layer_surface_v1* pLayer, uint32_t nSerial, uint32_t nW, uint32_t nH) {
        auto* p = static_cast<COutputView*>(pData);
        zwlr_layer_surface_v1_ack_configure(pLayer, nSerial);
        p->Configure(static_cast<int>(nW), static_cast<int>(nH));
    },
    // closed
    [](void* pData, zwlr_layer_surface_v1*) { static_cast<COutputView*>(pData)->bClosed = true; },
};

const xdg_surface_listener COutputView::kXdgSurfaceListener = {
    // configure: the toplevel's size came before it; acting on it now is what the serial promises
    [](void* pData, xdg_surface* pXdg, uint32_t nSerial) {
        auto* p = static_cast<COutputView*>(pData);
        xdg_surface_ack_configure(pXdg, nSerial);
        p->Configure(p->nPendingWidth, p->nPendingHeight);
    },
};

const xdg_toplevel_listener COutputView::kToplevelListener = {
    // configure
    [](void* pData, xdg_toplevel*, int32_t nW, int32_t nH, wl_array*) {
        auto* p = static_cast<COutputView*>(pData);
        p->nPendingWidth = nW;
        p->nPendingHeight = nH;
    },
    // close
    [](void* pData, xdg_toplevel*) { static_cast<COutputView*>(pData)->bClosed = true; },
    // configure_bounds, wm_capabilities: a fullscreen window has no use for them
    [](void*, xdg_toplevel*, int32_t, int32_t) {},
    [](void*, xdg_toplevel*, wl_array*) {},
};

const wl_callback_listener COutputView::kFrameListener = {
    // done: the compositor shows this output and wants the next picture
    [](void* pData, wl_callback* pCallback, uint32_t) {
        auto* p = static_cast<COutputView*>(pData);
        wl_callback_destroy(pCallback);
        p->pFrame = nullptr;
        p->bDrawDue = true;
    },
};

COutputView::COutputView(const SSurfaceKit& cKit, wl_output* pOutput, int nScale, int nModeWidth, int nModeHeight)
    : cKit(cKit),
      pOutput(pOutput),
      nScale(nScale < 1 ? 1 : nScale),
      nModeWidth(nModeWidth),
      nModeHeight(nModeHeight),
      cPacer(cKit.nDelayUs) {}

COutputView::~COutputView() {
    if (pFrame) wl_callback_destroy(pFrame);
    if (eglSurface != EGL_NO_SURFACE) {
        // The context may still be current on this surface: let go of it before the surface goes.
        if (eglGetCurrentSurface(EGL_DRAW) == eglSurface)
            eglMakeCurrent(cKit.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, eglGetCurrentContext());
        eglDestroySurface(cKit.eglDisplay, eglSurface);
    }
    if (pEglWindow) wl_egl_window_destroy(pEglWindow);
    if (pLayer) zwlr_layer_surface_v1_destroy(pLayer);
    if (pToplevel) xdg_toplevel_destroy(pToplevel);
    if (pXdgSurface) xdg_surface_destroy(pXdgSurface);
    if (pSurface) wl_surface_destroy(pSurface);
}

bool COutputView::Create(std::string& sError) {
    pSurface = wl_compositor_create_surface(cKit.pCompositor);
    if (!pSurface) {
        sError = "the compositor made no surface";
        return false;
    }
    if (TakesBufferScale(pSurface)) wl_surface_set_buffer_scale(pSurface, nScale);
    else nScale = 1;
    if (cKit.bBackground) {
        // A background takes no input: clicks and keys stay with the desktop.
        wl_region* pEmpty = wl_compositor_create_region(cKit.pCompositor);
        wl_surface_set_input_region(pSurface, pEmpty);
        wl_region_destroy(pEmpty);
    }
    if (cKit.pLayerShell) {
        pLayer = zwlr_layer_shell_v1_get_layer_surface(
            cKit.pLayerShell, pSurface, pOutput,
            cKit.bBackground ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, kNamespace);
        zwlr_layer_surface_v1_add_listener(pLayer, &kLayerListener, this);
        zwlr_layer_surface_v1_set_anchor(pLayer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_size(pLayer, 0, 0);
        // Over panels and docks too: nobody's exclusive zone keeps the saver out.
        zwlr_layer_surface_v1_set_exclusive_zone(pLayer, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            pLayer, cKit.bBackground ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE
                                     : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
        pXdgSurface = xdg_wm_base_get_xdg_surface(cKit.pWmBase, pSurface);
        xdg_surface_add_listener(pXdgSurface, &kXdgSurfaceListener, this);
        pToplevel = xdg_surface_get_toplevel(pXdgSurface);
        xdg_toplevel_add_listener(pToplevel, &kToplevelListener, this);
        xdg_toplevel_set_title(pToplevel, kTitle);
        xdg_toplevel_set_app_id(pToplevel, kAppId);
        xdg_toplevel_set_fullscreen(pToplevel, pOutput);
    }
    wl_surface_commit(pSurface);
    return true;
}

void COutputView::Configure(int nNewWidth, int nNewHeight) {
    // A size of zero leaves it to us: the whole output.
    if (nNewWidth <= 0) nNewWidth = nModeWidth > 0 ? nModeWidth / nScale : 640;
    if (nNewHeight <= 0) nNewHeight = nModeHeight > 0 ? nModeHeight / nScale : 480;
    const bool bNewSize = nNewWidth != nWidth || nNewHeight != nHeight;
    nWidth = nNewWidth;
    nHeight = nNewHeight;
    if (!pEglWindow) {
        pEglWindow = wl_egl_window_create(pSurface, BufferWidth(), BufferHeight());
        if (pEglWindow)
            eglSurface = eglCreateWindowSurface(cKit.eglDisplay, cKit.eglConfig,
                                                reinterpret_cast<EGLNativeWindowType>(pEglWindow), nullptr);
        if (eglSurface == EGL_NO_SURFACE) {
            // Nothing can be shown here; the compositor keeps an empty surface unmapped.
            bClosed = true;
            return;
        }
        bDrawDue = true;  // the first picture needs no callback
    } else if (bNewSize) {
        wl_egl_window_resize(pEglWindow, BufferWidth(), BufferHeight(), 0, 0);
        // A still has no callback coming; a moving scene takes the new size with its next frame.
        if (cKit.bStill || !pFrame) bDrawDue = true;
    }
}

void COutputView::OutputChanged(int nNewScale, int nNewModeWidth, int nNewModeHeight) {
    nModeWidth = nNewModeWidth;
    nModeHeight = nNewModeHeight;
    if (nNewScale < 1 || !TakesBufferScale(pSurface)) nNewScale = 1;
    if (nNewScale == nScale) return;
    nScale = nNewScale;
    wl_surface_set_buffer_scale(pSurface, nScale);
    if (pEglWindow) {
        wl_egl_window_resize(pEglWindow, BufferWidth(), BufferHeight(), 0, 0);
        if (cKit.bStill || !pFrame) bDrawDue = true;
    }
}

void COutputView::PictureDrawn() {
    bDrawDue = false;
    if (cKit.bStill) return;
    pFrame = wl_surface_frame(pSurface);
    wl_callback_add_listener(pFrame, &kFrameListener, this);
}

void COutputView::PictureLost(uint64_t nNowUs) {
    // The frame request went out with no commit after it: its callback would only come with some
    // later picture. Forget it, and draw again a little later without waiting for one.
    if (pFrame) {
        wl_callback_destroy(pFrame);
        pFrame = nullptr;
    }
    ++nLostInRow;
    nRetryAtUs = nNowUs + kRetryAfterUs;
    bDrawDue = true;
}
