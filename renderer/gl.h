// The one place the renderer takes its OpenGL 1.1 and GLU declarations from.
// On Windows <GL/gl.h> needs WINGDIAPI and APIENTRY, which only <windows.h> defines; declaring the two
// markers here keeps the portable code free of the platform header.
#pragma once

#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#define VANTOREL_DEFINED_APIENTRY
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#define VANTOREL_DEFINED_WINGDIAPI
#endif
#if defined(_WIN32) && !defined(CALLBACK)
#define CALLBACK __stdcall
#define VANTOREL_DEFINED_CALLBACK
#endif

#include <GL/gl.h>
#include <GL/glu.h>

#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif
#ifndef GL_TEXTURE0_ARB
#define GL_TEXTURE0_ARB 0x84C0
#define GL_TEXTURE1_ARB 0x84C1
#endif
#ifndef GL_ACTIVE_TEXTURE_ARB
#define GL_ACTIVE_TEXTURE_ARB 0x84E0
#endif

#ifndef GLAPIENTRY
#define GLAPIENTRY APIENTRY
#endif
