// Entry-point lookup offscreen: EGL's, which covers every GL name of the current context.
#include <EGL/egl.h>

#include <cstring>

#include "renderer/gl_proc.h"

GlProc GetGlProcAddress(const char* pszName) {
    // Window-system entry points (wgl...) do not exist here; EGL may still hand out a dispatch stub
    // for an unknown name, so refuse them outright.
    if (!pszName || std::strncmp(pszName, "gl", 2) != 0 || pszName[2] == 'X') return nullptr;
    return reinterpret_cast<GlProc>(eglGetProcAddress(pszName));
}
