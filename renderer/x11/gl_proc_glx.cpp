// Entry-point lookup in the native hack: GLX's, for the context the hack made on its window.
#include <GL/glx.h>

#include <cstring>

#include "renderer/gl_proc.h"

GlProc GetGlProcAddress(const char* pszName) {
    // Only GL names: the renderer's Windows swap-interval name has no meaning here, and GLX hands out a
    // dispatch stub for any name at all.
    if (!pszName || std::strncmp(pszName, "gl", 2) != 0 || pszName[2] == 'X') return nullptr;
    return reinterpret_cast<GlProc>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(pszName)));
}
