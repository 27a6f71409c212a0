// Driver entry points the renderer resolves by name at start: ARB multitexture and the swap interval.
#include "renderer/gl.h"
#include "renderer/gl_proc.h"
#include "renderer/glass_object.h"

const char* const MultitextureEntryNames[MULTITEXTURE_ENTRY_COUNT] = {
    "glActiveTextureARB",     "glClientActiveTextureARB",
    "glMultiTexCoord1dARB",   "glMultiTexCoord1dvARB",     "glMultiTexCoord1fARB",   "glMultiTexCoord1fvARB",
    "glMultiTexCoord1iARB",   "glMultiTexCoord1ivARB",     "glMultiTexCoord1sARB",   "glMultiTexCoord1svARB",
    "glMultiTexCoord2dARB",   "glMultiTexCoord2dvARB",     "glMultiTexCoord2fARB",   "glMultiTexCoord2fvARB",
    "glMultiTexCoord2iARB",   "glMultiTexCoord2ivARB",     "glMultiTexCoord2sARB",   "glMultiTexCoord2svARB",
    "glMultiTexCoord3dARB",   "glMultiTexCoord3dvARB",     "glMultiTexCoord3fARB",   "glMultiTexCoord3fvARB",
    "glMultiTexCoord3iARB",   "glMultiTexCoord3ivARB",     "glMultiTexCoord3sARB",   "glMultiTexCoord3svARB",
    "glMultiTexCoord4dARB",   "glMultiTexCoord4dvARB",     "glMultiTexCoord4fARB",   "glMultiTexCoord4fvARB",
    "glMultiTexCoord4iARB",   "glMultiTexCoord4ivARB",     "glMultiTexCoord4sARB",   "glMultiTexCoord4svARB",
};

void (*MultitextureEntryPoints[MULTITEXTURE_ENTRY_COUNT])() = {};

namespace {
GlProcLookup pfnGlProcLookup = GetGlProcAddress;
}  // namespace

GlProcLookup SetGlProcLookup(GlProcLookup pfnLookup) {
    const GlProcLookup pfnOld = pfnGlProcLookup;
    pfnGlProcLookup = pfnLookup ? pfnLookup : GetGlProcAddress;
    return pfnOld;
}

void LoadEntryPoints() {
    for (int i = 0; i < MULTITEXTURE_ENTRY_COUNT; ++i)
        MultitextureEntryPoints[i] = pfnGlProcLookup(MultitextureEntryNames[i]);
}

void SetSwapInterval(int nInterval) {
    // Looked up on every call: the answer belongs to the context current at that moment.
    typedef int(APIENTRY * PfnSwapInterval)(int);
    if (GlProc pfn = pfnGlProcLookup("wglSwapIntervalEXT"))
        reinterpret_cast<PfnSwapInterval>(pfn)(nInterval & 0xFF);
}
