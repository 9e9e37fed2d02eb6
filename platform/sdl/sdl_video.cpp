// The window class, display mode, window, pixel format, GL context and buffer swap on
// SDL2. The show's window class is SDL's video subsystem; its one window is an SDL
// window with an OpenGL context.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/sdl/sdl_internal.h"

namespace sdl_platform {

State& Get() {
  static State state;
  return state;
}

bool InvisibleVideoDriver(const char* driver, const char* requested) {
  if (!driver) return true;
  const bool screenless =
      std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
  if (!screenless) return false;
  // SDL_VIDEODRIVER may name a list ("x11,offscreen"); asking for the driver anywhere in
  // it counts as asking for it.
  if (!requested) return true;
  std::string list(requested);
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    if (strcasecmp(list.substr(start, comma - start).c_str(), driver) == 0) return false;
    start = comma + 1;
  }
  return true;
}

}  // namespace sdl_platform

SdlGlAttributes SdlAttributesFor(const PixelFormatDescriptor& pfd) {
  SdlGlAttributes attributes;
  if (pfd.cColorBits > 16) attributes.red = attributes.green = attributes.blue = 8;
  attributes.depth = pfd.cDepthBits;
  attributes.doubleBuffer = (pfd.dwFlags & kPfdDoubleBuffer) != 0;
  return attributes;
}

namespace {

using sdl_platform::Get;

void QuitVideo() {
  sdl_platform::CloseGamepads();
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SetGlAttributes(const SdlGlAttributes& attributes) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, attributes.red);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, attributes.green);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, attributes.blue);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, attributes.depth);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, attributes.doubleBuffer ? 1 : 0);
  // The show draws in immediate mode with display lists: never a core profile.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

bool MakeSdlWindow(PlatformWindow* window) {
  SetGlAttributes(window->made);
  window->sdl = SDL_CreateWindow(window->title.c_str(), 0, 0, window->width, window->height,
                                 window->sdlFlags);
  if (!window->sdl) {
    std::fprintf(stderr, "lumivex: SDL_CreateWindow: %s\n", SDL_GetError());
    return false;
  }
  if (window->fullscreen) SDL_SetWindowDisplayMode(window->sdl, &Get().mode);
  return true;
}

bool OwnsDc(DeviceContext dc) {
  return dc && dc->window && dc->window == Get().window && dc->window->sdl;
}

}  // namespace

bool PlatformRegisterClass(const char*, WindowProc proc) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    // The show has no other way to end a fullscreen run cleanly on a signal than the
    // quit SDL turns it into; and it decides itself what closing its window means.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "lumivex: no video: %s\n", SDL_GetError());
      return false;
    }
    // Without DISPLAY, SDL falls back to a driver that shows nothing; a show nobody can
    // see must not run unless that driver was asked for.
    if (sdl_platform::InvisibleVideoDriver(SDL_GetCurrentVideoDriver(),
                                           std::getenv("SDL_VIDEODRIVER"))) {
      std::fprintf(stderr, "lumivex: no display (SDL video driver \"%s\")\n",
                   SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
      QuitVideo();
      return false;
    }
    std::atexit(QuitVideo);  // restores the desktop mode even after an abnormal end
    sdl_platform::GuardDisplayConnection();
    sdl_platform::OpenGamepads();  // a pad steers the show as well as the keyboard
  }
  SDL_DisableScreenSaver();
  SDL_ShowCursor(Get().cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  Get().proc = proc;
  return true;
}

bool PlatformChangeDisplayMode(int width, int height, int bits) {
  sdl_platform::State& state = Get();
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  // SDL's closest-mode search silently settles for a larger mode; only a mode of exactly
  // this size will do. Among those, the depth nearest to the one asked for.
  const int display = 0;
  const int modes = SDL_GetNumDisplayModes(display);
  bool found = false;
  SDL_DisplayMode best{};
  for (int i = 0; i < modes; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
    if (mode.w != width || mode.h != height) continue;
    const int depth = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    const int bestDepth = static_cast<int>(SDL_BITSPERPIXEL(best.format));
    if (!found || std::abs(depth - bits) < std::abs(bestDepth - bits)) best = mode;
    found = true;
  }
  if (!found) return false;
  // Before anything switches: whatever ends the show from here on, the mode comes back.
  sdl_platform::StartModeWatcher();
  state.display = display;
  state.mode = best;
  state.modeChanged = true;
  // SDL switches the mode with the fullscreen window; if that window already exists,
  // switch it now.
  if (state.window && state.window->sdl) {
    state.window->fullscreen = true;
    SDL_SetWindowDisplayMode(state.window->sdl, &best);
    SDL_SetWindowFullscreen(state.window->sdl, SDL_WINDOW_FULLSCREEN);
  }
  return true;
}

void PlatformRestoreDisplayMode() {
  sdl_platform::State& state = Get();
  // Leaving fullscreen gives the display back its desktop mode.
  if (state.window && state.window->sdl && state.window->fullscreen) {
    SDL_SetWindowFullscreen(state.window->sdl, 0);
    state.window->fullscreen = false;
  }
  state.modeChanged = false;
  sdl_platform::StopModeWatcher();
}

WindowHandle PlatformCreateWindow(const char*, const char* title, uint32_t style, int width,
                                  int height) {
  sdl_platform::State& state = Get();
  if (!SDL_WasInit(SDL_INIT_VIDEO) || state.window || width <= 0 || height <= 0) {
    return nullptr;
  }
  auto* window = new PlatformWindow;
  window->title = title ? title : "";
  window->style = style;
  window->width = width;
  window->height = height;
  window->sdlFlags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (style & kWsPopup) {
    window->fullscreen = state.modeChanged;
    window->sdlFlags |= state.modeChanged ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_BORDERLESS;
  } else {
    window->sdlFlags |= SDL_WINDOW_RESIZABLE;
  }
  if (!MakeSdlWindow(window)) {
    delete window;
    return nullptr;
  }
  state.window = window;
  return window;
}

void PlatformShowWindow(WindowHandle window) {
  if (!window || !window->sdl) return;
  SDL_ShowWindow(window->sdl);  // returns once the window is mapped
  SDL_RaiseWindow(window->sdl);
  SDL_SetWindowInputFocus(window->sdl);  // keys go to the show even without a window manager
  if (window->fullscreen) {
    // The mode switch happens when a fullscreen window is shown. Make sure it landed on
    // the exact size; otherwise run in a window of that size rather than stretched.
    SDL_DisplayMode now{};
    const int display = SDL_GetWindowDisplayIndex(window->sdl);
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &now) != 0 || now.w != window->width ||
        now.h != window->height) {
      std::fprintf(stderr, "lumivex: the display did not switch to %dx%d; running windowed\n",
                   window->width, window->height);
      SDL_SetWindowFullscreen(window->sdl, 0);
      SDL_SetWindowSize(window->sdl, window->width, window->height);
      window->fullscreen = false;
    }
  } else if (!(window->style & kWsPopup)) {
    // The size given is the outer size: where a window manager adds borders, the client
    // area is that much smaller.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window->sdl, &top, &left, &bottom, &right) == 0 &&
        (top || left || bottom || right)) {
      const int w = window->width - left - right, h = window->height - top - bottom;
      if (w > 0 && h > 0) SDL_SetWindowSize(window->sdl, w, h);
    }
  }
}

bool PlatformDestroyWindow(WindowHandle window) {
  sdl_platform::State& state = Get();
  if (!window || window != state.window) return false;
  if (window->sdl) SDL_DestroyWindow(window->sdl);
  delete window;
  state.window = nullptr;
  return true;
}

DeviceContext PlatformGetDC(WindowHandle window) {
  if (!window || window != Get().window || !window->sdl) return nullptr;
  return &window->dc;
}

bool PlatformReleaseDC(WindowHandle window, DeviceContext dc) {
  return window && dc && dc->window == window && window == Get().window;
}

int PlatformChoosePixelFormat(DeviceContext dc, const PixelFormatDescriptor* pfd) {
  if (!OwnsDc(dc) || !pfd) return 0;
  const uint32_t needed = kPfdDrawToWindow | kPfdSupportOpenGL;
  if ((pfd->dwFlags & needed) != needed || pfd->iPixelType != kPfdTypeRgba) return 0;
  return 1;  // one format: the attributes of the descriptor
}

bool PlatformSetPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor* pfd) {
  if (!OwnsDc(dc) || !pfd || format != 1) return false;
  PlatformWindow* window = dc->window;
  if (window->pixelFormat != 0) return window->pixelFormat == format;  // set once, as on Win32
  const SdlGlAttributes wanted = SdlAttributesFor(*pfd);
  if (!(wanted == window->made)) {
    // SDL fixes the framebuffer when it makes the window; the window is still hidden and
    // has no context, so make it again with the attributes asked for.
    SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
    window->made = wanted;
    if (!MakeSdlWindow(window)) return false;
  }
  window->pixelFormat = format;
  return true;
}

bool PlatformSwapBuffers(DeviceContext dc) {
  if (!OwnsDc(dc)) return false;
  SDL_GL_SwapWindow(dc->window->sdl);
  return true;
}

RenderingContext PlatformCreateContext(DeviceContext dc) {
  if (!OwnsDc(dc) || dc->window->pixelFormat == 0) return nullptr;
  SDL_GLContext gl = SDL_GL_CreateContext(dc->window->sdl);
  if (!gl) {
    std::fprintf(stderr, "lumivex: SDL_GL_CreateContext: %s\n", SDL_GetError());
    return nullptr;
  }
  // SDL makes a new context current; wglCreateContext does not.
  SDL_GL_MakeCurrent(dc->window->sdl, nullptr);
  auto* context = new PlatformRenderingContext;
  context->gl = gl;
  context->window = dc->window;
  return context;
}

bool PlatformMakeCurrent(DeviceContext dc, RenderingContext context) {
  if (!dc && !context) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
  if (!OwnsDc(dc) || !context || context->window != dc->window) return false;
  if (SDL_GL_MakeCurrent(dc->window->sdl, context->gl) != 0) {
    std::fprintf(stderr, "lumivex: SDL_GL_MakeCurrent: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

bool PlatformDeleteContext(RenderingContext context) {
  if (!context) return false;
  if (SDL_GL_GetCurrentContext() == context->gl) SDL_GL_MakeCurrent(nullptr, nullptr);
  SDL_GL_DeleteContext(context->gl);
  delete context;
  return true;
}

void* PlatformGetProcAddress(const char* name) {
  return SDL_GL_GetProcAddress(name);
}
