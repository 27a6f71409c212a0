// Entry-point lookup on the page: the two ARB multitexture entries the scene draws with come from the
// page's own GL layer; there is no driver to ask for anything else.
#include <cstring>

#include "renderer/gl_proc.h"
#include "renderer/web/gl_layer.h"

GlProc GetGlProcAddress(const char* pszName) {
    if (!pszName) return nullptr;
    if (std::strcmp(pszName, "glActiveTextureARB") == 0) return reinterpret_cast<GlProc>(LayerActiveTextureArb);
    if (std::strcmp(pszName, "glMultiTexCoord2fvARB") == 0) return reinterpret_cast<GlProc>(LayerMultiTexCoord2fvArb);
    return nullptr;
}
