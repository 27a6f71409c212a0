#include "renderer/wayland/saver_display.h"

#include <EGL/eglext.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "renderer/offscreen/monotonic_clock.h"

namespace {

template <typename T>
T* Bind(wl_registry* pRegistry, uint32_t nGlobal, const wl_interface* pInterface, uint32_t nOffered, uint32_t nWanted) {
    return static_cast<T*>(wl_registry_bind(pRegistry, nGlobal, pInterface, std::min(nOffered, nWanted)));
}

// Takes one of the seat's devices when the seat gains it, and lets go of it when the seat loses it.
template <typename T, typename L>
void FollowDevice(bool bHas, T*& pDevice, wl_seat* pSeat, T* (*pfnGet)(wl_seat*), const L* pListener, void* pData,
                  void (*pfnLetGo)(T*)) {
    if (bHas && !pDevice) {
        pDevice = pfnGet(pSeat);
        wl_proxy_add_listener(reinterpret_cast<wl_proxy*>(pDevice),
                              reinterpret_cast<void (**)(void)>(const_cast<L*>(pListener)), pData);
    } else if (!bHas && pDevice) {
        pfnLetGo(pDevice);
        pDevice = nullptr;
    }
}

}  // namespace

const wl_registry_listener CSaverDisplay::kRegistryListener = {
    // global
    [](void* pData, wl_registry* pRegistry, uint32_t nGlobal, const char* pszInterface, uint32_t nVersion) {
        auto* p = static_cast<CSaverDisplay*>(pData);
        const std::string sInterface = pszInterface;
        if (sInterface == wl_compositor_interface.name) {
            // Version 3 brings buffer scales; 4 is all a saver needs.
            p->cKit.pCompositor = Bind<wl_compositor>(pRegistry, nGlobal, &wl_compositor_interface, nVersion, 4);
        } else if (sInterface == wl_seat_interface.name && !p->pSeat) {
            p->pSeat = Bind<wl_seat>(pRegistry, nGlobal, &wl_seat_interface, nVersion, 5);
            wl_seat_add_listener(p->pSeat, &kSeatListener, p);
        } else if (sInterface == wl_output_interface.name) {
            p->AddOutput(nGlobal, nVersion);
        } else if (sInterface == zwlr_layer_shell_v1_interface.name && !p->cOptions.bNoLayerShell) {
            p->cKit.pLayerShell = Bind<zwlr_layer_shell_v1>(pRegistry, nGlobal, &zwlr_layer_shell_v1_interface, nVersion, 4);
        } else if (sInterface == xdg_wm_base_interface.name) {
            p->cKit.pWmBase = Bind<xdg_wm_base>(pRegistry, nGlobal, &xdg_wm_base_interface, nVersion, 2);
            xdg_wm_base_add_listener(p->cKit.pWmBase, &kWmBaseListener, p);
        }
    },
    // global_remove
    [](void* pData, wl_registry*, uint32_t nGlobal) { static_cast<CSaverDisplay*>(pData)->RemoveGlobal(nGlobal); },
};

const wl_output_listener CSaverDisplay::kOutputListener = {
    // geometry
    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
    // mode
    [](void* pData, wl_output*, uint32_t nFlags, int32_t nW, int32_t nH, int32_t) {
        auto* p = static_cast<SOutput*>(pData);
        if (nFlags & WL_OUTPUT_MODE_CURRENT) {
            p->nModeWidth = nW;
            p->nModeHeight = nH;
        }
    },
    // done: what came since the last done holds now
    [](void* pData, wl_output*) {
        auto* p = static_cast<SOutput*>(pData);
        p->nScale = p->nPendingScale;
        p->pOwner->OutputDescribed(*p);
    },
    // scale
    [](void* pData, wl_output*, int32_t nFactor) { static_cast<SOutput*>(pData)->nPendingScale = nFactor; },
    // name
    [](void* pData, wl_output*, const char* pszName) { static_cast<SOutput*>(pData)->sName = pszName; },
    // description
    [](void*, wl_output*, const char*) {},
};

const wl_seat_listener CSaverDisplay::kSeatListener = {
    // capabilities: keyboard, pointer and touch as the seat has them now
    [](void* pData, wl_seat* pSeat, uint32_t nCaps) {
        auto* p = static_cast<CSaverDisplay*>(pData);
        const bool bRelease = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(pSeat)) >= WL_KEYBOARD_RELEASE_SINCE_VERSION;
        FollowDevice(nCaps & WL_SEAT_CAPABILITY_KEYBOARD, p->pKeyboard, pSeat, wl_seat_get_keyboard, &kKeyboardListener, p,
                     bRelease ? wl_keyboard_release : wl_keyboard_destroy);
        FollowDevice(nCaps & WL_SEAT_CAPABILITY_POINTER, p->pPointer, pSeat, wl_seat_get_pointer, &kPointerListener, p,
                     bRelease ? wl_pointer_release : wl_pointer_destroy);
        FollowDevice(nCaps & WL_SEAT_CAPABILITY_TOUCH, p->pTouch, pSeat, wl_seat_get_touch, &kTouchListener, p,
                     bRelease ? wl_touch_release : wl_touch_destroy);
    },
    // name
    [](void*, wl_seat*, const char*) {},
};

const wl_keyboard_listener CSaverDisplay::kKeyboardListener = {
    // keymap: no key is told from another, so the map is not read
    [](void*, wl_keyboard*, uint32_t, int32_t nFd, uint32_t) { close(nFd); },
    // enter: keys already held when the saver appeared are not the user coming back
    [](void* pData, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {
        auto* p = static_cast<CSaverDisplay*>(pData);
        p->bKeyboardEntered = true;
        if (p->TracksKeyboard()) p->cRules.OnKeyboardEnter();
    },
    // leave: an overlay that holds the keyboard exclusively only loses it to something above it
    [](void* pData, wl_keyboard*, uint32_t, wl_surface*) {
        auto* p = static_cast<CSaverDisplay*>(pData);
        if (p->TracksKeyboard()) p->cRules.OnKeyboardLeave(MonotonicMicroseconds());
    },
    // key
    [](void* pData, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t nState) {
        if (nState == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<CSaverDisplay*>(pData)->cRules.OnKeyPress();
    },
    // modifiers
    [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {},
    // repeat_info
    [](void*, wl_keyboard*, int32_t, int32_t) {},
};

const wl_pointer_listener CSaverDisplay::kPointerListener = {
    // enter: no cursor over the scene
    [](void* pData, wl_pointer* pPointer, uint32_t nSerial, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        wl_pointer_set_cursor(pPointer, nSerial, nullptr, 0, 0);
        static_cast<CSaverDisplay*>(pData)->cRules.OnPointerEnter(wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    // leave
    [](void*, wl_pointer*, uint32_t, wl_surface*) {},
    // motion
    [](void* pData, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        static_cast<CSaverDisplay*>(pData)->cRules.OnPointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    // button
    [](void* pData, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t nState) {
        if (nState == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<CSaverDisplay*>(pData)->cRules.OnButtonPress();
    },
    // axis: a turned wheel is a hand on the mouse, as a button is
    [](void* pData, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {
        static_cast<CSaverDisplay*>(pData)->cRules.OnButtonPress();
    },
    // frame, axis_source, axis_stop, axis_discrete, axis_value120
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
};

const wl_touch_listener CSaverDisplay::kTouchListener = {
    // down: a tablet or a convertible without its keyboard has only this to wake with
    [](void* pData, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t) {
        static_cast<CSaverDisplay*>(pData)->cRules.OnTouchDown();
    },
    // up, motion, frame, cancel, shape, orientation
    [](void*, wl_touch*, uint32_t, uint32_t, int32_t) {},
    [](void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_touch*) {},
    [](void*, wl_touch*) {},
    [](void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_touch*, int32_t, wl_fixed_t) {},
};

const xdg_wm_base_listener CSaverDisplay::kWmBaseListener = {
    // ping: a window that does not answer is taken for hung
    [](void*, xdg_wm_base* pWmBase, uint32_t nSerial) { xdg_wm_base_pong(pWmBase, nSerial); },
};

const wl_callback_listener CSaverDisplay::kKeyboardCheckListener = {
    // done: the compositor has taken the first picture, and with it given the keyboard, if it is free
    [](void* pData, wl_callback* pCallback, uint32_t) {
        auto* p = static_cast<CSaverDisplay*>(pData);
        wl_callback_destroy(pCallback);
        p->pKeyboardCheck = nullptr;
        // Started while a locker holds the keyboard (the idle daemon's next period after the lock): the
        // saver would wait unseen behind the lock and be what unlocking shows. Gone instead, after the
        // grace a keyboard moving between surfaces has.
        if (!p->bKeyboardEntered && p->pKeyboard) p->cRules.OnKeyboardLeave(MonotonicMicroseconds());
    },
};

CSaverDisplay::CSaverDisplay(const SaverOptions& cOptions, CWakeRules& cRules) : cOptions(cOptions), cRules(cRules) {
    cKit.bBackground = cOptions.bBackground;
    cKit.bStill = cOptions.bPinned;
    cKit.nDelayUs = cOptions.nDelayUs;
    // For the tests: N pictures (N/M: N of every M, for ever) taken as not shown, as swaps the driver
    // refused; the first N surfaces made refuse the context, as surfaces the driver lost.
    if (const char* psz = std::getenv("VANTOREL_WAYLAND_FAIL_SWAPS")) {
        char* pszEnd = nullptr;
        nSwapsToFail = static_cast<int>(std::strtol(psz, &pszEnd, 10));
        if (*pszEnd == '/') nSwapCycle = std::max(static_cast<int>(std::strtol(pszEnd + 1, nullptr, 10)), 0);
        if (nSwapCycle > 0) nSwapsToFail = std::clamp(nSwapsToFail, 0, nSwapCycle - 1);
    }
    if (const char* psz = std::getenv("VANTOREL_WAYLAND_FAIL_MAKE_CURRENT")) nSurfacesRefusing = std::atoi(psz);
}

CSaverDisplay::~CSaverDisplay() {
    // Views first: their EGL surfaces and Wayland objects go before the context and the connection.
    for (auto& p : aOutputs) {
        p->pView.reset();
        p->pRetiring.reset();
        if (p->pOutput) {
            if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(p->pOutput)) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
                wl_output_release(p->pOutput);
            else wl_output_destroy(p->pOutput);
        }
    }
    aOutputs.clear();
    if (cKit.eglDisplay != EGL_NO_DISPLAY) {
        eglMakeCurrent(cKit.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (eglContext != EGL_NO_CONTEXT) eglDestroyContext(cKit.eglDisplay, eglContext);
        eglTerminate(cKit.eglDisplay);
        eglReleaseThread();
    }
    if (pKeyboardCheck) wl_callback_destroy(pKeyboardCheck);
    if (pKeyboard) wl_keyboard_destroy(pKeyboard);
    if (pPointer) wl_pointer_destroy(pPointer);
    if (pTouch) wl_touch_destroy(pTouch);
    if (pSeat) wl_seat_destroy(pSeat);
    if (cKit.pLayerShell) zwlr_layer_shell_v1_destroy(cKit.pLayerShell);
    if (cKit.pWmBase) xdg_wm_base_destroy(cKit.pWmBase);
    if (cKit.pCompositor) wl_compositor_destroy(cKit.pCompositor);
    if (pRegistry) wl_registry_destroy(pRegistry);
    if (pDisplay) {
        wl_display_flush(pDisplay);
        wl_display_disconnect(pDisplay);
    }
}

bool CSaverDisplay::Open(std::string& sError) {
    pDisplay = wl_display_connect(cOptions.sDisplay.empty() ? nullptr : cOptions.sDisplay.c_str());
    if (!pDisplay) {
        const char* pszName = cOptions.sDisplay.empty() ? std::getenv("WAYLAND_DISPLAY") : cOptions.sDisplay.c_str();
        sError = pszName && *pszName ? std::string("cannot reach the Wayland display '") + pszName + "'"
                                     : std::string("no Wayland display (WAYLAND_DISPLAY is not set)");
        return false;
    }
    pRegistry = wl_display_get_registry(pDisplay);
    wl_registry_add_listener(pRegistry, &kRegistryListener, this);
    // The first round trip announces the globals, the second what the outputs and the seat say.
    if (wl_display_roundtrip(pDisplay) < 0 || wl_display_roundtrip(pDisplay) < 0) {
        sError = "the Wayland display broke off while starting";
        return false;
    }
    if (!cKit.pCompositor) {
        sError = "the compositor offers no wl_compositor";
        return false;
    }
    if (!cKit.pLayerShell) {
        if (cOptions.bBackground) {
            sError = "this desktop offers no background layer (no layer-shell) for --background";
            return false;
        }
        if (!cKit.pWmBase) {
            sError = "this desktop offers neither layer-shell nor xdg-shell surfaces";
            return false;
        }
    }
    if (!OpenEgl(sError)) return false;
    bStarted = true;
    for (auto& p : aOutputs)
        if (p->bDescribed) MakeView(*p);
    bViewsMade = true;
    cRules.OnSurfaceCount(ViewCount());
    return wl_display_flush(pDisplay) >= 0 || errno == EAGAIN;
}

bool CSaverDisplay::OpenEgl(std::string& sError) {
    auto pfnGetPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (pfnGetPlatformDisplay) cKit.eglDisplay = pfnGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, pDisplay, nullptr);
    if (cKit.eglDisplay == EGL_NO_DISPLAY) cKit.eglDisplay = eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(pDisplay));
    EGLint nMajor = 0, nMinor = 0;
    if (cKit.eglDisplay == EGL_NO_DISPLAY || !eglInitialize(cKit.eglDisplay, &nMajor, &nMinor)) {
        sError = "EGL does not start on this Wayland display";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        sError = "EGL offers no desktop OpenGL here";
        return false;
    }
    const EGLint aAttributes[] = {
        EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_NONE,
    };
    EGLint nCount = 0;
    eglChooseConfig(cKit.eglDisplay, aAttributes, nullptr, 0, &nCount);
    std::vector<EGLConfig> aConfigs(static_cast<size_t>(std::max(nCount, 0)));
    if (nCount <= 0 || !eglChooseConfig(cKit.eglDisplay, aAttributes, aConfigs.data(), nCount, &nCount)) {
        sError = "EGL has no RGB window configuration with a depth buffer";
        return false;
    }
    // Eight bits a channel above all: EGL lists deeper colour first, and a compositor drawing with
    // pixman (Weston) shows no 10-bit buffer at all. No alpha: a saver's pixels are opaque whatever
    // the scene leaves in alpha. A depth of 16 bits, as the frame renderer draws, when there is one,
    // so the same moment is the same picture.
    int nBest = -1, nBestScore = -1;
    for (EGLint i = 0; i < nCount; ++i) {
        EGLint nRed = 0, nAlpha = 0, nDepth = 0;
        eglGetConfigAttrib(cKit.eglDisplay, aConfigs[i], EGL_RED_SIZE, &nRed);
        eglGetConfigAttrib(cKit.eglDisplay, aConfigs[i], EGL_ALPHA_SIZE, &nAlpha);
        eglGetConfigAttrib(cKit.eglDisplay, aConfigs[i], EGL_DEPTH_SIZE, &nDepth);
        const int nScore = (nRed == 8 ? 4 : 0) + (nAlpha == 0 ? 2 : 0) + (nDepth == 16 ? 1 : 0);
        if (nScore > nBestScore) {
            nBestScore = nScore;
            nBest = i;
        }
    }
    cKit.eglConfig = aConfigs[static_cast<size_t>(nBest)];
    // No version asked for: the driver's compatibility profile, where GL 1.x lives.
    eglContext = eglCreateContext(cKit.eglDisplay, cKit.eglConfig, EGL_NO_CONTEXT, nullptr);
    if (eglContext == EGL_NO_CONTEXT) {
        sError = "EGL made no OpenGL context";
        return false;
    }
    return true;
}

void CSaverDisplay::AddOutput(uint32_t nGlobal, uint32_t nVersion) {
    auto p = std::make_unique<SOutput>();
    p->pOwner = this;
    p->nGlobal = nGlobal;
    p->pOutput = Bind<wl_output>(pRegistry, nGlobal, &wl_output_interface, nVersion, 4);
    // Before version 2 an output sends no done: what it says at once is all it says.
    p->bDescribed = nVersion < WL_OUTPUT_DONE_SINCE_VERSION;
    wl_output_add_listener(p->pOutput, &kOutputListener, p.get());
    SOutput& cOutput = *p;
    aOutputs.push_back(std::move(p));
    if (cOutput.bDescribed && bStarted) MakeView(cOutput);
}

void CSaverDisplay::OutputDescribed(SOutput& cOutput) {
    if (!cOutput.bDescribed) {
        cOutput.bDescribed = true;
        // An output that came during the run gets its surface now; those there at the start get
        // theirs once EGL is up.
        if (bStarted) MakeView(cOutput);
    } else if (cOutput.pView) {
        cOutput.pView->OutputChanged(cOutput.nScale, cOutput.nModeWidth, cOutput.nModeHeight);
    }
}

void CSaverDisplay::MakeView(SOutput& cOutput) {
    cOutput.pView = std::make_unique<COutputView>(cKit, cOutput.pOutput, cOutput.nScale, cOutput.nModeWidth,
                                                  cOutput.nModeHeight);
    std::string sError;
    if (!cOutput.pView->Create(sError)) {
        std::fprintf(stderr, "vantorel-wayland: %s: %s\n", ViewName(*cOutput.pView).c_str(), sError.c_str());
        cOutput.pView.reset();
    } else if (nSurfacesRefusing > 0) {
        --nSurfacesRefusing;
        cOutput.pView->RefuseCurrent();
    }
    if (bViewsMade) cRules.OnSurfaceCount(ViewCount());
}

void CSaverDisplay::RemoveGlobal(uint32_t nGlobal) {
    for (auto it = aOutputs.begin(); it != aOutputs.end(); ++it) {
        if ((*it)->nGlobal != nGlobal) continue;
        // This output's surface goes; the others draw on undisturbed.
        (*it)->pView.reset();
        (*it)->pRetiring.reset();
        if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>((*it)->pOutput)) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release((*it)->pOutput);
        else wl_output_destroy((*it)->pOutput);
        aOutputs.erase(it);
        if (bViewsMade) cRules.OnSurfaceCount(ViewCount());
        return;
    }
}

void CSaverDisplay::DropClosedViews() {
    bool bDropped = false;
    for (auto& p : aOutputs) {
        if (p->pRetiring && p->pRetiring->Closed()) p->pRetiring.reset();
        if (p->pView && p->pView->Closed()) {
            p->pView.reset();
            bDropped = true;
        }
    }
    if (bDropped) cRules.OnSurfaceCount(ViewCount());
}

unsigned CSaverDisplay::ViewCount() const {
    unsigned n = 0;
    for (const auto& p : aOutputs) n += p->pView ? 1u : 0u;
    return n;
}

bool CSaverDisplay::Wait(int nTimeoutMs, int nWakeFd, bool& bWakeFd) {
    bWakeFd = false;
    while (wl_display_prepare_read(pDisplay) != 0) {
        if (wl_display_dispatch_pending(pDisplay) < 0) return false;
    }
    // A compositor slow to read leaves requests (a picture's commit, its frame request) in our buffer:
    // wait for room too, or the picture that would bring the next frame callback never leaves.
    bool bUnsent = false;
    if (wl_display_flush(pDisplay) < 0) {
        if (errno != EAGAIN) {
            wl_display_cancel_read(pDisplay);
            return false;
        }
        bUnsent = true;
    }
    const short nEvents = static_cast<short>(POLLIN | (bUnsent ? POLLOUT : 0));
    pollfd aFds[2] = {{wl_display_get_fd(pDisplay), nEvents, 0}, {nWakeFd, POLLIN, 0}};
    const int nReady = poll(aFds, nWakeFd >= 0 ? 2 : 1, nTimeoutMs);
    if (nReady < 0) {
        wl_display_cancel_read(pDisplay);
        return errno == EINTR;
    }
    if (aFds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
        if (wl_display_read_events(pDisplay) < 0) return false;
    } else {
        wl_display_cancel_read(pDisplay);
    }
    if (wl_display_dispatch_pending(pDisplay) < 0) return false;
    bWakeFd = nWakeFd >= 0 && (aFds[1].revents & POLLIN);
    DropClosedViews();
    RemakeBrokenViews();
    return true;
}

std::vector<COutputView*> CSaverDisplay::DueViews() {
    std::vector<COutputView*> a;
    for (auto& p : aOutputs)
        if (p->pView && p->pView->DrawDue()) a.push_back(p->pView.get());
    return a;
}

bool CSaverDisplay::MakeCurrent(COutputView& cView) {
    if (cView.RefusesCurrent() || !eglMakeCurrent(cKit.eglDisplay, cView.Surface(), cView.Surface(), eglContext)) {
        // Nothing can be drawn there now. Left due, the loop would ask again at once for ever; as a lost
        // picture it is tried again shortly, and its surface made again if that keeps failing.
        cView.PictureLost(MonotonicMicroseconds());
        return false;
    }
    // Never wait in the swap: frame callbacks pace each output, and a hidden output, whose callback
    // does not come, must not hold up the others.
    if (cView.TakeFirstCurrent()) eglSwapInterval(cKit.eglDisplay, 0);
    return true;
}

bool CSaverDisplay::Present(COutputView& cView) {
    cView.PictureDrawn();
    bool bShown;
    const unsigned long nSwap = nSwaps++;
    if (nSwapCycle > 0 ? static_cast<int>(nSwap % nSwapCycle) >= nSwapCycle - nSwapsToFail : nSwapsToFail > 0) {
        if (nSwapCycle == 0) --nSwapsToFail;
        bShown = false;
    } else {
        bShown = eglSwapBuffers(cKit.eglDisplay, cView.Surface()) == EGL_TRUE;
    }
    if (!bShown) {
        cView.PictureLost(MonotonicMicroseconds());
        return false;
    }
    const bool bFirst = !cView.EverShown();
    cView.PictureShown();
    if (!bKeyboardChecked) CheckKeyboardCame();
    if (bFirst) {
        // A surface made again has its first picture on the way: the one it replaces may go now. Its
        // destruction follows the new picture's commit, so the compositor never shows the desktop between.
        for (auto& p : aOutputs)
            if (p->pView.get() == &cView) p->pRetiring.reset();
    }
    return true;
}

void CSaverDisplay::RemakeBrokenViews() {
    for (auto& p : aOutputs) {
        if (!p->pView || !p->pView->Broken()) continue;
        // Its surface could not show a picture time after time: a new surface, EGL window and all, at
        // most kMaxRemakes times in the run. Past that, a surface that has shown pictures goes on being
        // tried; an output that never showed one is given up, and the others go on.
        if (p->nRemakes >= kMaxRemakes) {
            if (!p->pView->EverShown() && !p->pRetiring) {
                std::fprintf(stderr, "vantorel-wayland: %s: no picture can be shown there; leaving it\n",
                             ViewName(*p->pView).c_str());
                p->pView.reset();
                cRules.OnSurfaceCount(ViewCount());
            } else if (!p->bRemakesSpent) {
                p->bRemakesSpent = true;
                std::fprintf(stderr, "vantorel-wayland: %s: its surface was made again %d times; drawing on with this one\n",
                             ViewName(*p->pView).c_str(), kMaxRemakes);
                // A surface that never showed a picture only hides the one before it.
                if (!p->pView->EverShown()) std::swap(p->pView, p->pRetiring);
                p->pRetiring.reset();
            }
            continue;
        }
        ++p->nRemakes;
        std::fprintf(stderr, "vantorel-wayland: %s: the picture could not be shown; making its surface again\n",
                     ViewName(*p->pView).c_str());
        // The surface that last showed a picture stays until the new one has shown its first.
        if (p->pView->EverShown() || !p->pRetiring) p->pRetiring = std::move(p->pView);
        else p->pView.reset();
        MakeView(*p);
    }
}

void CSaverDisplay::CheckKeyboardCame() {
    bKeyboardChecked = true;
    // Only a saver on top that asks for the keyboard, on a seat that has one, is owed it.
    if (!TracksKeyboard() || !pKeyboard || bKeyboardEntered) return;
    pKeyboardCheck = wl_display_sync(pDisplay);
    wl_callback_add_listener(pKeyboardCheck, &kKeyboardCheckListener, this);
}

std::string CSaverDisplay::ViewName(const COutputView& cView) const {
    for (size_t i = 0; i < aOutputs.size(); ++i) {
        if (aOutputs[i]->pView.get() != &cView) continue;
        if (!aOutputs[i]->sName.empty()) return aOutputs[i]->sName;
        return "output " + std::to_string(i + 1);
    }
    return "an output";
}
