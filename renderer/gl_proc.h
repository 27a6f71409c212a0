// Driver entry points looked up by name (wglGetProcAddress on Windows, eglGetProcAddress offscreen).
// Implemented once per platform and chosen at link time.
#pragma once

typedef void (*GlProc)();

// The driver's entry point of that name, or null when the driver does not offer it.
GlProc GetGlProcAddress(const char* pszName);
