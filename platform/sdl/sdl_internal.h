// Shared state of the SDL2 backend: the one window, its device and rendering contexts,
// and the message queue the window-procedure messages are handed out from. Only the
// files of platform/sdl include this.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <string>

#include "platform/held_keys.h"
#include "platform/platform.h"

// The GL framebuffer a window is made with: what a pixel format descriptor asks for.
struct SdlGlAttributes {
  int red = 5, green = 6, blue = 5;  // minimum bits per channel
  int depth = 16;
  bool doubleBuffer = true;
  bool operator==(const SdlGlAttributes& other) const {
    return red == other.red && green == other.green && blue == other.blue && depth == other.depth &&
           doubleBuffer == other.doubleBuffer;
  }
};

// The descriptor's colour depth: up to 16 bits gives 5/6/5, more gives 8/8/8. Depth and
// double buffering as asked.
SdlGlAttributes SdlAttributesFor(const PixelFormatDescriptor& pfd);

struct PlatformDeviceContext {
  PlatformWindow* window;
};

struct PlatformWindow {
  SDL_Window* sdl = nullptr;
  std::string title;
  uint32_t style = 0;
  int width = 0, height = 0;  // the requested outer size
  uint32_t sdlFlags = 0;      // what the SDL window was created with
  bool fullscreen = false;    // a popup at the changed display mode
  SdlGlAttributes made;       // the GL attributes the SDL window was created with
  int pixelFormat = 0;        // 0 until PlatformSetPixelFormat
  PlatformDeviceContext dc{this};
};

struct PlatformRenderingContext {
  SDL_GLContext gl = nullptr;
  PlatformWindow* window = nullptr;
};

namespace sdl_platform {

struct State {
  WindowProc proc = nullptr;
  PlatformWindow* window = nullptr;  // the one window the show makes
  bool modeChanged = false;          // an exact display mode was chosen for fullscreen
  int display = 0;
  SDL_DisplayMode mode{};     // the chosen fullscreen mode
  std::deque<Message> queue;  // translated messages not yet handed out
  int cursorCount = 0;        // Win32 display count: visible while >= 0
  bool keyDown[256] = {};     // keys whose press went out as WM_KEYDOWN
};

State& Get();

// Windows virtual-key code for a key, 0 when the show has no code for it. The digit
// row, keypad and function keys go by scancode (layout independent); letters by the
// layout's keycode, falling back to the scancode on non-Latin layouts.
uint8_t VirtualKey(SDL_Scancode scancode, SDL_Keycode keycode);

// Appends the window-procedure messages an SDL event stands for (none, one or more) to
// the state's queue.
void TranslateEvent(const SDL_Event& event);

// Queues one window-procedure message for the show's window.
void QueueMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

// Gamepads (sdl_gamepad.cpp): SDL's GameController subsystem with the mappings beside the
// data folder; each pad's events become key messages. Closed with the window class.
void OpenGamepads();
void CloseGamepads();
void TranslatePadEvent(const SDL_Event& event);

// True when SDL runs on a driver without a screen that nobody asked for by name.
bool InvisibleVideoDriver(const char* driver, const char* requested);

// On X: ends the process at once when the display goes away (sdl_x11_guard.cpp).
void GuardDisplayConnection();
// On X: a watcher process that puts the desktop mode back if the show ends without doing
// so itself; started before the first mode switch, stopped once the mode is restored.
void StartModeWatcher();
void StopModeWatcher();

}  // namespace sdl_platform
