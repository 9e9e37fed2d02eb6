// The window and its OpenGL context: creation with the fullscreen question, the window
// procedure, the projection for each size, and the teardown in a fixed order.
#include "shell/gl_window.h"

#include <cstring>

#include "platform/gl_api.h"
#include "resources/music_player.h"
#include "resources/startup.h"

WindowHandle windowHandle = nullptr;
DeviceContext deviceContext = nullptr;
RenderingContext renderingContext = nullptr;
uint8_t fullscreen = 1;
uint8_t active = 1;
uint8_t keys[256] = {};
uint8_t keysTapped[256] = {};

namespace {

constexpr char kClassName[] = "OpenGL";
constexpr char kErrorCaption[] = "ERROR";
constexpr char kShutdownCaption[] = "SHUTDOWN ERROR";

// Completed on the first creation with that call's colour depth.
PixelFormatDescriptor pixelFormat;
bool pixelFormatComplete = false;

// GL calls only make sense once the context is current: a size message that arrives
// while the window is being made must leave GL alone.
bool contextCurrent = false;

void ShowError(const char* text) {
  PlatformMessageBox(text, kErrorCaption, kMbOk | kMbIconExclamation);
}

// A failure once the window exists: tear down first, then tell the user.
bool FailAfterWindow(const char* text) {
  DestroyMainWindow();
  ShowError(text);
  return false;
}

void ShowShutdownError(const char* text) {
  PlatformMessageBox(text, kShutdownCaption, kMbOk | kMbIconInformation);
}

}  // namespace

bool CreateMainWindow(const char* title, int width, int height, int bits, uint8_t fullscreenFlag) {
  fullscreen = fullscreenFlag;

  if (!PlatformRegisterClass(kClassName, MainWindowProc)) {
    ShowError("Failed To Register The Window Class.");
    return false;
  }

  if (fullscreen && !PlatformChangeDisplayMode(width, height, bits)) {
    const int answer = PlatformMessageBox(
        "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
        "Mode Instead?",
        "Ruvo GL", kMbYesNo | kMbIconExclamation);
    if (answer != kIdYes) {
      PlatformMessageBox("Program Will Now Close.", kErrorCaption, kMbOk | kMbIconStop);
      return false;
    }
    fullscreen = 0;
  }

  uint32_t style;
  if (fullscreen) {
    style = kWsPopup;
    PlatformShowCursor(false);
  } else {
    style = kWsOverlappedWindow;
  }
  style |= kWsClipSiblings | kWsClipChildren;

  windowHandle = PlatformCreateWindow(kClassName, title, style, width, height);
  if (!windowHandle) return FailAfterWindow("Window Creation Error.");

  if (!pixelFormatComplete) {
    pixelFormat.nSize = 40;
    pixelFormat.nVersion = 1;
    pixelFormat.dwFlags = kPfdDrawToWindow | kPfdSupportOpenGL | kPfdDoubleBuffer;
    pixelFormat.iPixelType = kPfdTypeRgba;
    pixelFormat.cColorBits = static_cast<uint8_t>(bits);
    pixelFormat.cDepthBits = 16;
    pixelFormat.cStencilBits = 0;
    pixelFormat.cAuxBuffers = 0;
    pixelFormat.iLayerType = kPfdMainPlane;
    pixelFormatComplete = true;
  }

  deviceContext = PlatformGetDC(windowHandle);
  if (!deviceContext) return FailAfterWindow("Can't Create A GL Device Context.");

  const int format = PlatformChoosePixelFormat(deviceContext, &pixelFormat);
  if (format == 0) return FailAfterWindow("Can't Find A Suitable PixelFormat.");
  if (!PlatformSetPixelFormat(deviceContext, format, &pixelFormat)) {
    return FailAfterWindow("Can't Set The PixelFormat.");
  }

  renderingContext = PlatformCreateContext(deviceContext);
  if (!renderingContext) return FailAfterWindow("Can't Create A GL Rendering Context.");
  if (!PlatformMakeCurrent(deviceContext, renderingContext)) {
    return FailAfterWindow("Can't Activate The GL Rendering Context.");
  }
  contextCurrent = true;

  PlatformShowWindow(windowHandle);
  ResizeView(width, height);

  if (!InitRenderState()) return FailAfterWindow("Initialization Failed.");

  PlatformShowCursor(false);
  return true;
}

void DestroyMainWindow() {
  MusicShutdown();  // the player first: it must not outlive what it plays into
  PlatformShowCursor(true);

  if (fullscreen) {
    PlatformRestoreDisplayMode();
    PlatformShowCursor(true);
  }

  if (renderingContext) {
    if (!PlatformMakeCurrent(nullptr, nullptr)) ShowShutdownError("Release Of DC And RC Failed.");
    contextCurrent = false;
    if (!PlatformDeleteContext(renderingContext)) {
      ShowShutdownError("Release Rendering Context Failed.");
    }
    renderingContext = nullptr;
  }

  if (deviceContext) {
    if (!PlatformReleaseDC(windowHandle, deviceContext)) {
      ShowShutdownError("Release Device Context Failed.");
    }
    deviceContext = nullptr;
  }

  if (windowHandle) {
    if (!PlatformDestroyWindow(windowHandle)) ShowShutdownError("Could Not Release hWnd.");
    windowHandle = nullptr;
  }
  // The window class stays registered.
}

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case kWmActivate:
      // The high word is the minimised state; losing focus alone keeps the show running.
      active = ((wParam >> 16) & 0xFFFFu) == 0 ? 1 : 0;
      return 0;
    case kWmSysCommand:
      // The whole wParam is compared, low bits included.
      if (wParam == kScScreenSave || wParam == kScMonitorPower) return 0;
      break;
    case kWmClose:
      PlatformPostQuitMessage(0);
      return 0;
    case kWmKeyDown:
      if (wParam < sizeof keys) {  // a code past the table is ignored
        keys[wParam] = 1;
        keysTapped[wParam] = 1;
      }
      return 0;
    case kWmKeyUp:
      if (wParam < sizeof keys) keys[wParam] = 0;
      return 0;
    case kWmSize: {
      const uint32_t size = static_cast<uint32_t>(lParam);
      if (contextCurrent) ResizeView(size & 0xFFFFu, size >> 16);
      return 0;
    }
    default:
      break;
  }
  return PlatformDefWindowProc(window, message, wParam, lParam);
}

void ResetWindowState() {
  windowHandle = nullptr;
  deviceContext = nullptr;
  renderingContext = nullptr;
  fullscreen = 1;
  active = 1;
  std::memset(keys, 0, sizeof keys);
  std::memset(keysTapped, 0, sizeof keysTapped);
  pixelFormat = PixelFormatDescriptor();
  pixelFormatComplete = false;
  contextCurrent = false;
}

void SwapBlankFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);  // the start-up's clear colour: black
  PlatformSwapBuffers(deviceContext);
}

void ResizeView(int width, int height) {
  if (height == 0) height = 1;  // no division by zero in the aspect
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // The near plane is the single-precision 0.1 widened to double.
  gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height),
                 static_cast<double>(0.1f), 1000000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
