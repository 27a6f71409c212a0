// Driver entry points looked up by name (wglGetProcAddress on Windows, eglGetProcAddress offscreen).
// Implemented once per platform and chosen at link time.
#pragma once

typedef void (*GlProc)();

// The driver's entry point of that name, or null when the driver does not offer it.
GlProc GetGlProcAddress(const char* pszName);

// The lookup the renderer resolves its entry points through (LoadEntryPoints, SetSwapInterval):
// GetGlProcAddress unless another is set. Returns the one it replaces; null restores the default.
// Lets a test stand in for a driver that offers an entry point the headless context lacks.
typedef GlProc (*GlProcLookup)(const char* pszName);
GlProcLookup SetGlProcLookup(GlProcLookup pfnLookup);
