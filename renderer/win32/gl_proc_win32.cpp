// Entry-point lookup on Windows: wglGetProcAddress, with the failure values some drivers return.
#include <windows.h>

#include <cstdint>

#include "renderer/gl_proc.h"

GlProc GetGlProcAddress(const char* pszName) {
    PROC p = wglGetProcAddress(pszName);
    const intptr_t n = reinterpret_cast<intptr_t>(p);
    if (n == 0 || n == 1 || n == 2 || n == 3 || n == -1) return nullptr;
    return reinterpret_cast<GlProc>(p);
}
