// What the current GL context offers beyond OpenGL 1.1, asked of the context itself: the
// Windows system library exports 1.1 only, whatever the driver behind it can do.
#pragma once

// Finds a GL function of the current context by name; null where it has none.
using GLProcLoader = void* (*)(const char* name);

// The context's GL_VERSION is at least major.minor.
bool GLVersionAtLeast(int major, int minor);
// `name` is one of the words of the context's GL_EXTENSIONS.
bool GLHasExtension(const char* name);
