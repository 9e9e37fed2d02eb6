// Shared pieces of the Win32 backend: the handle conversions between the layer's opaque
// types and Win32's own, and the records the show's descriptors become. Only the files
// of platform/win32 (and their tests) include this.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/held_keys.h"
#include "platform/platform.h"

// The layer's handles are Win32's handles, each way: nothing is wrapped, only the type
// changes (Handle<HWND>(window), Handle<WindowHandle>(hwnd)).
template <typename To, typename From>
inline To Handle(From handle) {
  return reinterpret_cast<To>(handle);
}

namespace win32_platform {

// The full PIXELFORMATDESCRIPTOR for the show's descriptor: the fields it sets, every
// other field 0.
PIXELFORMATDESCRIPTOR ToPixelFormatDescriptor(const PixelFormatDescriptor& pfd);

// The DEVMODE of a fullscreen change: zeros, its size, width, height and depth, and the
// fields naming those three (no refresh rate).
DEVMODEA FullscreenMode(int width, int height, int bits);

// The WNDCLASSA of the show's window class, its messages going to the window procedure
// the layer forwards to.
WNDCLASSA WindowClass(const char* className);

// The window procedure the layer registered through PlatformRegisterClass, null before.
WindowProc RegisteredProc();

// Gamepads through XInput (win32_gamepad.cpp). Their keys go to `window` (null: none,
// and what was held is forgotten); sampled at most once between two frames shown.
void SetGamepadWindow(HWND window);
void SampleGamepads();
void GamepadFrameShown();

}  // namespace win32_platform
