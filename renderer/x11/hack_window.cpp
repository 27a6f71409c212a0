#include "renderer/x11/hack_window.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/dpms.h>
#include <X11/keysym.h>
#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct CHackWindow::Impl {
    Display* pDisplay = nullptr;
    Window nWindow = 0;
    Colormap nColormap = 0;
    GLXContext pContext = nullptr;
    Atom nDeleteWindow = 0;
    bool bDoubleBuffer = true;
    bool bGone = false;
    int nDpms = -1;  // -1 not asked yet; 0 no DPMS (or a monitor it cannot manage); 1 DPMS
};

namespace {

// X errors arrive in a callback without a user pointer: the one window being watched, and what the
// server said about it, are file-level state.
Window nWatchedWindow = 0;
bool bWatchedWindowGone = false;
bool bErrorSeen = false;
int nOtherErrors = 0;
void (*pfnConnectionLost)() = nullptr;

int OnXError(Display* pDisplay, XErrorEvent* pError) {
    bErrorSeen = true;
    // A window destroyed by someone else answers every later request about it with BadWindow or
    // BadDrawable (GLX's own BadDrawable among them, all naming the window): the run ends quietly.
    if (nWatchedWindow != 0 && pError->resourceid == nWatchedWindow) {
        bWatchedWindowGone = true;
        return 0;
    }
    if (nOtherErrors++ < 5) {
        char szText[256] = "";
        XGetErrorText(pDisplay, pError->error_code, szText, sizeof szText);
        std::fprintf(stderr, "vantorel: X error: %s (request %d.%d, resource 0x%lx)\n", szText,
                     pError->request_code, pError->minor_code, pError->resourceid);
    }
    return 0;
}

int OnXIOError(Display*) {
    std::fprintf(stderr, "vantorel: lost the connection to the display\n");
    if (pfnConnectionLost) pfnConnectionLost();
    std::_Exit(1);
}

// A request about a window that may not exist: true when the server answered without an error.
template <typename F>
bool Checked(Display* pDisplay, F fRequest) {
    XSync(pDisplay, False);
    bErrorSeen = false;
    fRequest();
    XSync(pDisplay, False);
    const bool bOk = !bErrorSeen;
    bErrorSeen = false;
    return bOk;
}

}  // namespace

void CHackWindow::SetConnectionLostHandler(void (*pfn)()) { pfnConnectionLost = pfn; }

bool CHackWindow::Open(const SaverOptions& cOptions, std::string& sError) {
    Close();
    pImpl = new Impl;
    Impl& x = *pImpl;
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
    x.pDisplay = XOpenDisplay(cOptions.sDisplay.empty() ? nullptr : cOptions.sDisplay.c_str());
    if (!x.pDisplay) {
        const char* pszName = cOptions.sDisplay.empty() ? std::getenv("DISPLAY") : cOptions.sDisplay.c_str();
        sError = std::string("cannot open display '") + (pszName ? pszName : "") + "'";
        return false;
    }
    Display* d = x.pDisplay;
    const int nScreen = DefaultScreen(d);
    XVisualInfo* pVisual = nullptr;
    bOwnWindow = cOptions.eTarget == HackTarget::OwnWindow;

    if (bOwnWindow) {
        int aDouble[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1,
                         GLX_DEPTH_SIZE, 16, None};
        int aSingle[] = {GLX_RGBA, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16, None};
        pVisual = glXChooseVisual(d, nScreen, aDouble);
        if (!pVisual) pVisual = glXChooseVisual(d, nScreen, aSingle);
        if (!pVisual) {
            sError = "the display offers no OpenGL visual (is GLX there?)";
            return false;
        }
        nWidth = 1024;
        nHeight = 768;
        const Window nRoot = RootWindow(d, nScreen);
        x.nColormap = XCreateColormap(d, nRoot, pVisual->visual, AllocNone);
        XSetWindowAttributes swa {};
        swa.colormap = x.nColormap;
        swa.background_pixel = BlackPixel(d, nScreen);
        swa.border_pixel = 0;
        swa.event_mask = KeyPressMask | StructureNotifyMask;
        x.nWindow = XCreateWindow(d, nRoot, 0, 0, nWidth, nHeight, 0, pVisual->depth, InputOutput, pVisual->visual,
                                  CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &swa);
        XStoreName(d, x.nWindow, "Vantorel");
        const char szTitle[] = "Vantorel";
        XChangeProperty(d, x.nWindow, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(szTitle), sizeof szTitle - 1);
        XClassHint cClass {const_cast<char*>("vantorel"), const_cast<char*>("Vantorel")};
        XSetClassHint(d, x.nWindow, &cClass);
        x.nDeleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(d, x.nWindow, &x.nDeleteWindow, 1);
        XMapRaised(d, x.nWindow);
    } else {
        Window nTarget = 0;
        if (cOptions.eTarget == HackTarget::WindowId) {
            nTarget = cOptions.nWindowId;
        } else if (const char* pszEnv = std::getenv("XSCREENSAVER_WINDOW"); pszEnv && *pszEnv) {
            unsigned long nId = 0;
            if (!ParseWindowId(pszEnv, nId)) {
                sError = std::string("XSCREENSAVER_WINDOW names no window: '") + pszEnv + "'";
                return false;
            }
            nTarget = nId;
        } else {
            nTarget = RootWindow(d, nScreen);
        }
        XWindowAttributes wa {};
        // From here on the window's destruction by its owner ends the run instead of an X error.
        nWatchedWindow = nTarget;
        const bool bExists = Checked(d, [&] {
            XGetWindowAttributes(d, nTarget, &wa);
            XSelectInput(d, nTarget, StructureNotifyMask);
        });
        if (!bExists || bWatchedWindowGone) {
            char szId[32];
            std::snprintf(szId, sizeof szId, "0x%lx", static_cast<unsigned long>(nTarget));
            sError = std::string("there is no window ") + szId;
            x.bGone = true;
            return false;
        }
        x.nWindow = nTarget;
        nWidth = wa.width;
        nHeight = wa.height;
        // A window's visual is fixed when it is made: the context must be made for that one.
        XVisualInfo vTemplate {};
        vTemplate.visualid = XVisualIDFromVisual(wa.visual);
        int nCount = 0;
        pVisual = XGetVisualInfo(d, VisualIDMask, &vTemplate, &nCount);
        int nUseGl = 0, nDouble = 0;
        if (!pVisual || glXGetConfig(d, pVisual, GLX_USE_GL, &nUseGl) != 0 || !nUseGl) {
            if (pVisual) XFree(pVisual);
            sError = "the window's visual cannot show OpenGL";
            return false;
        }
        glXGetConfig(d, pVisual, GLX_DOUBLEBUFFER, &nDouble);
        x.bDoubleBuffer = nDouble != 0;
    }
    if (bOwnWindow) nWatchedWindow = x.nWindow;

    x.pContext = glXCreateContext(d, pVisual, nullptr, True);
    XFree(pVisual);
    if (!x.pContext) {
        sError = "cannot make an OpenGL context";
        return false;
    }
    if (!glXMakeCurrent(d, x.nWindow, x.pContext) || bWatchedWindowGone) {
        sError = "cannot draw with OpenGL on the window";
        return false;
    }
    return true;
}

void CHackWindow::Close() {
    if (!pImpl) return;
    Impl& x = *pImpl;
    if (x.pDisplay) {
        Display* d = x.pDisplay;
        if (x.pContext) {
            if (nFontLists) glDeleteLists(nFontLists, 96);
            nFontLists = 0;
            glXMakeCurrent(d, None, nullptr);
            glXDestroyContext(d, x.pContext);
        }
        if (bOwnWindow && x.nWindow && !x.bGone && !bWatchedWindowGone) XDestroyWindow(d, x.nWindow);
        if (x.nColormap) XFreeColormap(d, x.nColormap);
        XSync(d, False);
        nWatchedWindow = 0;
        XCloseDisplay(d);
    }
    delete pImpl;
    pImpl = nullptr;
}

void CHackWindow::Wait(uint64_t nUs, const sigset_t* pSignalMask) {
    Display* d = pImpl->pDisplay;
    if (XEventsQueued(d, QueuedAfterFlush) > 0) nUs = 0;
    pollfd p {ConnectionNumber(d), POLLIN, 0};
    timespec ts {static_cast<time_t>(nUs / 1000000u), static_cast<long>(nUs % 1000000u) * 1000};
    ppoll(&p, 1, &ts, pSignalMask);
}

void CHackWindow::PumpEvents(CHackRun& cRun) {
    Impl& x = *pImpl;
    Display* d = x.pDisplay;
    while (XPending(d) > 0) {
        XEvent ev;
        XNextEvent(d, &ev);
        switch (ev.type) {
        case KeyPress: {
            const KeySym nKey = XLookupKeysym(&ev.xkey, 0);
            cRun.OnKey(nKey == XK_Escape ? HackKey::Escape : nKey == XK_q ? HackKey::Q : HackKey::Other);
            break;
        }
        case ClientMessage:
            if (ev.xclient.format == 32 && static_cast<Atom>(ev.xclient.data.l[0]) == x.nDeleteWindow)
                cRun.OnCloseRequest();
            break;
        case ConfigureNotify:
            if (ev.xconfigure.window == x.nWindow) {
                nWidth = ev.xconfigure.width;
                nHeight = ev.xconfigure.height;
                cRun.OnSize(nWidth, nHeight);
            }
            break;
        case DestroyNotify:
            if (ev.xdestroywindow.window == x.nWindow) {
                x.bGone = true;
                cRun.OnWindowDestroyed();
            }
            break;
        default:
            break;
        }
    }
    if (bWatchedWindowGone) {
        x.bGone = true;
        cRun.OnWindowDestroyed();
    }
}

DisplayPowerReport CHackWindow::QueryPower() {
    Impl& x = *pImpl;
    Display* d = x.pDisplay;
    DisplayPowerReport r;
    if (x.nDpms < 0) {
        int nEvent = 0, nError = 0;
        x.nDpms = DPMSQueryExtension(d, &nEvent, &nError) && DPMSCapable(d) ? 1 : 0;
    }
    if (x.nDpms == 0) return r;
    CARD16 nLevel = DPMSModeOn;
    BOOL bEnabled = False;
    if (!DPMSInfo(d, &nLevel, &bEnabled)) return r;
    r.bCapable = true;
    r.bEnabled = bEnabled != False;
    r.eLevel = nLevel == DPMSModeOn        ? MonitorPower::On
               : nLevel == DPMSModeStandby ? MonitorPower::Standby
               : nLevel == DPMSModeSuspend ? MonitorPower::Suspend
               : nLevel == DPMSModeOff     ? MonitorPower::Off
                                           : MonitorPower::Unknown;
    return r;
}

bool CHackWindow::PrepareFrameRateText() {
    Display* d = pImpl->pDisplay;
    XFontStruct* pFont = XLoadQueryFont(d, "fixed");
    if (!pFont) return false;
    nFontLists = glGenLists(96);
    if (nFontLists) glXUseXFont(pFont->fid, 32, 96, static_cast<int>(nFontLists));
    nFontAscent = pFont->ascent;
    nFontAdvance = pFont->max_bounds.width;
    XFreeFont(d, pFont);
    return nFontLists != 0;
}

void CHackWindow::DrawFrameRateText(const std::string& sText) {
    if (!nFontLists || sText.empty()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, nWidth, 0.0, nHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // Yellow, a colour the nebula never has at full strength, so it reads on any part of it.
    glColor3f(1.0f, 1.0f, 0.0f);
    glRasterPos2i(8, 8 + nFontAscent / 4);
    for (char c : sText) {
        // Mesa's glXUseXFont gives the blank glyph no advance: a space moves the raster position itself.
        if (c == ' ') glBitmap(0, 0, 0.0f, 0.0f, static_cast<GLfloat>(nFontAdvance), 0.0f, nullptr);
        else glCallList(nFontLists + static_cast<unsigned>((c > 32 && c < 127 ? c : '?') - 32));
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void CHackWindow::Present() {
    Impl& x = *pImpl;
    if (x.bDoubleBuffer) glXSwapBuffers(x.pDisplay, x.nWindow);
    else glFlush();
    XSync(x.pDisplay, False);
}
