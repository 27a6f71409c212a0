// EGL surfaceless context for the frame renderer and the GL tests.
#include "renderer/offscreen/egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>

#include "renderer/gl.h"

namespace {

// Framebuffer objects are not part of GL 1.1; they are looked up from the driver.
typedef void (*PfnGenFramebuffers)(GLsizei, GLuint*);
typedef void (*PfnBindFramebuffer)(GLenum, GLuint);
typedef void (*PfnGenRenderbuffers)(GLsizei, GLuint*);
typedef void (*PfnBindRenderbuffer)(GLenum, GLuint);
typedef void (*PfnRenderbufferStorage)(GLenum, GLenum, GLsizei, GLsizei);
typedef void (*PfnFramebufferRenderbuffer)(GLenum, GLenum, GLenum, GLuint);
typedef GLenum (*PfnCheckFramebufferStatus)(GLenum);
typedef void (*PfnDeleteFramebuffers)(GLsizei, const GLuint*);
typedef void (*PfnDeleteRenderbuffers)(GLsizei, const GLuint*);

const GLenum kFramebuffer = 0x8D40;
const GLenum kRenderbuffer = 0x8D41;
const GLenum kColorAttachment0 = 0x8CE0;
const GLenum kDepthAttachment = 0x8D00;
const GLenum kFramebufferComplete = 0x8CD5;
const GLenum kRgba8 = 0x8058;
const GLenum kDepth16 = 0x81A5;

template <typename T>
T Lookup(const char* pszName) {
    return reinterpret_cast<T>(eglGetProcAddress(pszName));
}

}  // namespace

CEglContext::~CEglContext() { Close(); }

bool CEglContext::Open(int nW, int nH) {
    Close();
    if (nW <= 0 || nH <= 0) {
        sError = "the target size must be positive";
        return false;
    }
    auto pfnGetPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay display = EGL_NO_DISPLAY;
    if (pfnGetPlatformDisplay)
        display = pfnGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        sError = "EGL offers no surfaceless display (is Mesa's EGL installed?)";
        return false;
    }
    EGLint nMajor = 0, nMinor = 0;
    if (!eglInitialize(display, &nMajor, &nMinor)) {
        sError = "eglInitialize failed";
        return false;
    }
    pDisplay = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        sError = "EGL cannot bind desktop OpenGL";
        Close();
        return false;
    }
    const EGLint aConfigAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_NONE};
    EGLConfig config = nullptr;
    EGLint nConfigs = 0;
    if (!eglChooseConfig(display, aConfigAttribs, &config, 1, &nConfigs) || nConfigs == 0) {
        // Surfaceless contexts need no config where EGL_KHR_no_config_context is offered.
        config = EGL_NO_CONFIG_KHR;
    }
    const EGLint aContextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                      EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, aContextAttribs);
    if (context == EGL_NO_CONTEXT) {
        sError = "eglCreateContext failed for a compatibility profile";
        Close();
        return false;
    }
    pContext = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        sError = "eglMakeCurrent without a surface failed";
        Close();
        return false;
    }

    auto pfnGenFramebuffers = Lookup<PfnGenFramebuffers>("glGenFramebuffers");
    auto pfnBindFramebuffer = Lookup<PfnBindFramebuffer>("glBindFramebuffer");
    auto pfnGenRenderbuffers = Lookup<PfnGenRenderbuffers>("glGenRenderbuffers");
    auto pfnBindRenderbuffer = Lookup<PfnBindRenderbuffer>("glBindRenderbuffer");
    auto pfnRenderbufferStorage = Lookup<PfnRenderbufferStorage>("glRenderbufferStorage");
    auto pfnFramebufferRenderbuffer = Lookup<PfnFramebufferRenderbuffer>("glFramebufferRenderbuffer");
    auto pfnCheckFramebufferStatus = Lookup<PfnCheckFramebufferStatus>("glCheckFramebufferStatus");
    if (!pfnGenFramebuffers || !pfnBindFramebuffer || !pfnGenRenderbuffers || !pfnBindRenderbuffer ||
        !pfnRenderbufferStorage || !pfnFramebufferRenderbuffer || !pfnCheckFramebufferStatus) {
        sError = "the driver offers no framebuffer objects";
        Close();
        return false;
    }
    pfnGenFramebuffers(1, &nFramebuffer);
    pfnBindFramebuffer(kFramebuffer, nFramebuffer);
    pfnGenRenderbuffers(2, anRenderbuffers);
    pfnBindRenderbuffer(kRenderbuffer, anRenderbuffers[0]);
    pfnRenderbufferStorage(kRenderbuffer, kRgba8, nW, nH);
    pfnFramebufferRenderbuffer(kFramebuffer, kColorAttachment0, kRenderbuffer, anRenderbuffers[0]);
    pfnBindRenderbuffer(kRenderbuffer, anRenderbuffers[1]);
    pfnRenderbufferStorage(kRenderbuffer, kDepth16, nW, nH);
    pfnFramebufferRenderbuffer(kFramebuffer, kDepthAttachment, kRenderbuffer, anRenderbuffers[1]);
    if (pfnCheckFramebufferStatus(kFramebuffer) != kFramebufferComplete) {
        sError = "the offscreen framebuffer is incomplete";
        Close();
        return false;
    }
    nWidth = nW;
    nHeight = nH;
    glViewport(0, 0, nW, nH);
    return true;
}

void CEglContext::Close() {
    if (!pDisplay) return;
    if (pContext) {
        if (nFramebuffer) {
            if (auto pfn = Lookup<PfnDeleteFramebuffers>("glDeleteFramebuffers")) pfn(1, &nFramebuffer);
            if (auto pfn = Lookup<PfnDeleteRenderbuffers>("glDeleteRenderbuffers")) pfn(2, anRenderbuffers);
        }
        eglMakeCurrent(pDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(pDisplay, pContext);
    }
    eglTerminate(pDisplay);
    pDisplay = nullptr;
    pContext = nullptr;
    nFramebuffer = 0;
    anRenderbuffers[0] = anRenderbuffers[1] = 0;
    nWidth = nHeight = 0;
}

std::vector<uint8_t> CEglContext::ReadRgbTopDown() const {
    std::vector<uint8_t> aBottomUp(static_cast<size_t>(nWidth) * nHeight * 3);
    if (aBottomUp.empty()) return aBottomUp;
    GLint nPackAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &nPackAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, nWidth, nHeight, GL_RGB, GL_UNSIGNED_BYTE, aBottomUp.data());
    glPixelStorei(GL_PACK_ALIGNMENT, nPackAlignment);
    const size_t nRow = static_cast<size_t>(nWidth) * 3;
    std::vector<uint8_t> aTopDown(aBottomUp.size());
    for (int y = 0; y < nHeight; ++y)
        std::copy_n(&aBottomUp[static_cast<size_t>(nHeight - 1 - y) * nRow], nRow, &aTopDown[y * nRow]);
    return aTopDown;
}
