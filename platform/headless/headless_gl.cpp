// Headless GL through EGL's surfaceless platform: no X server, no GPU.
#include "platform/headless/headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>

#include "platform/gl_api.h"

namespace {

// Framebuffer objects are core since GL 3.0 but absent from gl.h's 1.1 prototypes.
using GenFn = void (*)(GLsizei, GLuint*);
using BindFn = void (*)(GLenum, GLuint);
using StorageFn = void (*)(GLenum, GLenum, GLsizei, GLsizei);
using AttachFn = void (*)(GLenum, GLenum, GLenum, GLuint);
using StatusFn = GLenum (*)(GLenum);
using DeleteFn = void (*)(GLsizei, const GLuint*);
using AttachTextureFn = void (*)(GLenum, GLenum, GLenum, GLuint, GLint);

constexpr GLenum kFramebuffer = 0x8D40;
constexpr GLenum kRenderbuffer = 0x8D41;
constexpr GLenum kColourAttachment0 = 0x8CE0;
constexpr GLenum kDepthAttachment = 0x8D00;
constexpr GLenum kFramebufferComplete = 0x8CD5;
constexpr GLenum kRgba8 = 0x8058;
constexpr GLenum kTexture2D = 0x0DE1;
constexpr GLenum kDepthComponent16 = 0x81A5;

template <typename Fn>
Fn Load(const char* name) {
  return reinterpret_cast<Fn>(eglGetProcAddress(name));
}

}  // namespace

void* HeadlessGL::ProcAddress(const char* name) {
  return reinterpret_cast<void*>(eglGetProcAddress(name));
}

HeadlessGL::HeadlessGL(int width, int height, Api api) : width_(width), height_(height), api_(api) {
  const bool gles = api == Api::kGles2;
  auto getPlatformDisplay = Load<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
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
  // The default config asks for window surfaces, which a surfaceless display has none of.
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE,
                                     gles ? EGL_OPENGL_ES2_BIT : EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1) {
    error_ = gles ? "no EGL config for ES 2" : "no EGL config for desktop GL";
    return;
  }
  eglBindAPI(gles ? EGL_OPENGL_ES_API : EGL_OPENGL_API);
  // A compatibility context: the show draws in immediate mode with display lists.
  const EGLint desktopAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  const EGLint gles2Attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  EGLContext context =
      eglCreateContext(display, config, EGL_NO_CONTEXT, gles ? gles2Attributes : desktopAttributes);
  if (context == EGL_NO_CONTEXT) {
    error_ = gles ? "eglCreateContext (ES 2) failed" : "eglCreateContext failed";
    return;
  }
  context_ = context;
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
    error_ = "eglMakeCurrent failed";
    return;
  }
  auto genFramebuffers = Load<GenFn>("glGenFramebuffers");
  auto bindFramebuffer = Load<BindFn>("glBindFramebuffer");
  auto genRenderbuffers = Load<GenFn>("glGenRenderbuffers");
  auto bindRenderbuffer = Load<BindFn>("glBindRenderbuffer");
  auto renderbufferStorage = Load<StorageFn>("glRenderbufferStorage");
  auto framebufferRenderbuffer = Load<AttachFn>("glFramebufferRenderbuffer");
  auto framebufferTexture = Load<AttachTextureFn>("glFramebufferTexture2D");
  auto checkStatus = Load<StatusFn>("glCheckFramebufferStatus");
  if (!genFramebuffers || !bindFramebuffer || !genRenderbuffers || !bindRenderbuffer ||
      !renderbufferStorage || !framebufferRenderbuffer || !framebufferTexture || !checkStatus) {
    error_ = "framebuffer objects are not available";
    return;
  }
  genFramebuffers(1, &framebuffer_);
  bindFramebuffer(kFramebuffer, framebuffer_);
  if (gles) {
    // A texture as the colour buffer: RGBA8 renderbuffers are an extension in ES 2.
    glGenTextures(1, &colourTexture_);
    glBindTexture(kTexture2D, colourTexture_);
    glTexImage2D(kTexture2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(kTexture2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(kTexture2D, 0);
    framebufferTexture(kFramebuffer, kColourAttachment0, kTexture2D, colourTexture_, 0);
  } else {
    genRenderbuffers(1, &colour_);
    bindRenderbuffer(kRenderbuffer, colour_);
    renderbufferStorage(kRenderbuffer, kRgba8, width, height);
    framebufferRenderbuffer(kFramebuffer, kColourAttachment0, kRenderbuffer, colour_);
  }
  genRenderbuffers(1, &depth_);
  bindRenderbuffer(kRenderbuffer, depth_);
  renderbufferStorage(kRenderbuffer, kDepthComponent16, width, height);
  framebufferRenderbuffer(kFramebuffer, kDepthAttachment, kRenderbuffer, depth_);
  if (checkStatus(kFramebuffer) != kFramebufferComplete) {
    error_ = "framebuffer incomplete";
    return;
  }
  if (!gles) {  // ES 2 has one colour attachment and no buffer choice
    glDrawBuffer(kColourAttachment0);
    glReadBuffer(kColourAttachment0);
  }
  glViewport(0, 0, width, height);
  ok_ = true;
}

HeadlessGL::~HeadlessGL() {
  if (!display_) return;
  if (context_) {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
    auto deleteFramebuffers = Load<DeleteFn>("glDeleteFramebuffers");
    auto deleteRenderbuffers = Load<DeleteFn>("glDeleteRenderbuffers");
    if (deleteFramebuffers && framebuffer_) deleteFramebuffers(1, &framebuffer_);
    if (deleteRenderbuffers) {
      if (colour_) deleteRenderbuffers(1, &colour_);
      if (depth_) deleteRenderbuffers(1, &depth_);
    }
    if (colourTexture_) glDeleteTextures(1, &colourTexture_);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
  }
  eglTerminate(display_);
}

void HeadlessGL::MakeCurrent() {
  if (!display_ || !context_) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
  auto bindFramebuffer = Load<BindFn>("glBindFramebuffer");
  if (bindFramebuffer) bindFramebuffer(kFramebuffer, framebuffer_);
}

HeadlessGL::Pixel HeadlessGL::ReadPixel(int x, int y) const {
  Pixel pixel{};
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
  return pixel;
}

std::vector<uint8_t> HeadlessGL::ReadFrameTopDown() const {
  const size_t stride = static_cast<size_t>(width_) * 3;
  std::vector<uint8_t> topDown(stride * height_);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (api_ == Api::kGles2) {
    // ES 2 reads RGBA for certain; the alpha is dropped here.
    std::vector<uint8_t> rgba(static_cast<size_t>(width_) * height_ * 4);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int row = 0; row < height_; ++row) {
      // glReadPixels returns the bottom row first; image files want the top row first.
      const uint8_t* from = rgba.data() + static_cast<size_t>(height_ - 1 - row) * width_ * 4;
      uint8_t* to = topDown.data() + stride * row;
      for (int x = 0; x < width_; ++x) std::copy_n(from + 4 * x, 3, to + 3 * x);
    }
    return topDown;
  }
  std::vector<uint8_t> bottomUp(stride * height_);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  // glReadPixels returns the bottom row first; image files want the top row first.
  for (int row = 0; row < height_; ++row) {
    std::copy_n(bottomUp.begin() + stride * (height_ - 1 - row), stride,
                topDown.begin() + stride * row);
  }
  return topDown;
}
