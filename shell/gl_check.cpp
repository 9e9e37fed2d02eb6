// The per-frame GL error check: on in debug builds, a no-op in release builds.
#include "shell/gl_check.h"

#if !defined(NDEBUG) || defined(LUMIVEX_GL_CHECK)

#include <cstdio>

#include "platform/gl_api.h"

namespace {
unsigned long errorTotal = 0;
// GL keeps one flag per kind of error, so a frame can raise at most a handful; the bound
// only guards against a lost context that answers every query with an error.
constexpr int kMaxErrorsPerCheck = 16;

const char* ErrorName(GLenum error) {
  switch (error) {
    case GL_INVALID_ENUM:
      return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
      return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
      return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
      return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
      return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
      return "GL_OUT_OF_MEMORY";
    default:
      return "unknown";
  }
}
}  // namespace

int GLCheckFrame(const char* where) {
  int found = 0;
  GLenum error;
  while (found < kMaxErrorsPerCheck && (error = glGetError()) != GL_NO_ERROR) {
    std::fprintf(stderr, "lumivex: GL error 0x%04x (%s) in %s\n", static_cast<unsigned>(error),
                 ErrorName(error), where ? where : "a frame");
    ++found;
  }
  errorTotal += static_cast<unsigned long>(found);
  return found;
}

unsigned long GLErrorTotal() {
  return errorTotal;
}

#else

int GLCheckFrame(const char*) {
  return 0;
}

unsigned long GLErrorTotal() {
  return 0;
}

#endif
