// OpenGL 1.1 and GLU, for every file that draws. On Windows gl.h expects a few macros
// from windows.h; they are defined here instead, so drawing code stays free of it.
// Built with LUMIVEX_GL_LAYER, the GL calls go to platform/gl11, GL 1.1 on ES 2.
#pragma once

#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#define LUMIVEX_DEFINED_APIENTRY
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#define LUMIVEX_DEFINED_WINGDIAPI
#endif
#if defined(_WIN32) && !defined(CALLBACK)
#define CALLBACK __stdcall
#define LUMIVEX_DEFINED_CALLBACK
#endif

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef LUMIVEX_DEFINED_APIENTRY
#undef APIENTRY
#undef LUMIVEX_DEFINED_APIENTRY
#endif
#ifdef LUMIVEX_DEFINED_WINGDIAPI
#undef WINGDIAPI
#undef LUMIVEX_DEFINED_WINGDIAPI
#endif
#ifdef LUMIVEX_DEFINED_CALLBACK
#undef CALLBACK
#undef LUMIVEX_DEFINED_CALLBACK
#endif

#ifdef LUMIVEX_GL_LAYER
#include "platform/gl11/gl11_names.h"
#endif
