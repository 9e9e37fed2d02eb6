// Headless ES 2 through EGL's surfaceless platform.
#include "tests/gl11/gles_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>

#include <algorithm>

GlesContext::GlesContext(int width, int height) : width_(width), height_(height) {
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) {
    error_ = "eglGetPlatformDisplayEXT is missing";
    return;
  }
  EGLDisplay display =
      getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
    error_ = "no surfaceless EGL display";
    return;
  }
  display_ = display;
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT,
                                     EGL_NONE};
  EGLConfig config;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1) {
    error_ = "no EGL config for ES 2";
    return;
  }
  eglBindAPI(EGL_OPENGL_ES_API);
  const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    error_ = "eglCreateContext (ES 2) failed";
    return;
  }
  context_ = context;
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
    error_ = "eglMakeCurrent failed";
    return;
  }
  // A texture as the colour buffer: RGBA8 renderbuffers are an extension in ES 2.
  glGenTextures(1, &colour_);
  glBindTexture(GL_TEXTURE_2D, colour_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error_ = "framebuffer incomplete";
    return;
  }
  glViewport(0, 0, width, height);
  ok_ = true;
}

GlesContext::~GlesContext() {
  if (!display_) return;
  if (context_) {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteTextures(1, &colour_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
  }
  eglTerminate(display_);
}

void GlesContext::MakeCurrent() {
  if (!display_ || !context_) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

std::vector<uint8_t> GlesContext::ReadFrameTopDown() const {
  // ES 2 reads RGBA for certain; the alpha is dropped here.
  std::vector<uint8_t> rgba(static_cast<size_t>(width_) * height_ * 4);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  std::vector<uint8_t> rgb(static_cast<size_t>(width_) * height_ * 3);
  for (int row = 0; row < height_; ++row) {
    // glReadPixels returns the bottom row first.
    const uint8_t* from = rgba.data() + static_cast<size_t>(height_ - 1 - row) * width_ * 4;
    uint8_t* to = rgb.data() + static_cast<size_t>(row) * width_ * 3;
    for (int x = 0; x < width_; ++x) std::copy_n(from + 4 * x, 3, to + 3 * x);
  }
  return rgb;
}

void GlesContext::ReadPixel(int x, int y, uint8_t rgba[4]) const {
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
