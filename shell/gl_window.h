// The window and its OpenGL context, the window procedure that keeps the key table and
// the active flag, the projection for each size, and the teardown.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern WindowHandle windowHandle;
extern DeviceContext deviceContext;
extern RenderingContext renderingContext;
extern uint8_t fullscreen;  // 1 while the display mode is changed (initially 1)
extern uint8_t active;      // 1 while the window is not minimised (initially 1)
extern uint8_t keys[256];   // one flag per virtual-key code, 1 while the key is down
// One flag per virtual-key code, set when the key goes down and cleared by the next frame
// pass: a tap whose press and release both arrive between two passes still counts once.
extern uint8_t keysTapped[256];

// Window, context and all start-up loading; false after a failure that has been shown
// and torn down.
bool CreateMainWindow(const char* title, int width, int height, int bits, uint8_t fullscreenFlag);
// Tears down whatever exists, in order: music, cursor, display mode, context, DC, window.
void DestroyMainWindow();
intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Viewport and 45-degree perspective for a client area of width x height.
void ResizeView(int width, int height);
// A black frame swapped to the window: what the window shows while the display's refresh
// is timed, before the show's first frame.
void SwapBlankFrame();
// The window's state back at its start values: no window or contexts, fullscreen and
// active flags set, no key down, the pixel format still to be completed. Touches no
// platform object.
void ResetWindowState();
