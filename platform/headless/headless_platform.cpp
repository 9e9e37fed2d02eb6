// The platform layer for offline runs (the capture program): no windowing system at
// all. Windows cannot be made, no message ever arrives, and message boxes go to the
// terminal only, answered at once (OK, or No for a question), so a run never blocks on a
// user. Files and the module player are the real ones (paths.cpp, openmpt/).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/headless/headless_gl.h"
#include "platform/platform.h"

namespace {
int cursorCount = 0;  // the Win32 display count, kept so hide/show pairs still balance
}  // namespace

bool PlatformRegisterClass(const char*, WindowProc) {
  return false;
}

bool PlatformChangeDisplayMode(int, int, int) {
  return false;
}
void PlatformRestoreDisplayMode() {}

WindowHandle PlatformCreateWindow(const char*, const char*, uint32_t, int, int) {
  return nullptr;
}
void PlatformShowWindow(WindowHandle) {}
bool PlatformDestroyWindow(WindowHandle) {
  return true;
}

DeviceContext PlatformGetDC(WindowHandle) {
  return nullptr;
}
bool PlatformReleaseDC(WindowHandle, DeviceContext) {
  return true;
}
int PlatformChoosePixelFormat(DeviceContext, const PixelFormatDescriptor*) {
  return 0;
}
bool PlatformSetPixelFormat(DeviceContext, int, const PixelFormatDescriptor*) {
  return false;
}
bool PlatformSwapBuffers(DeviceContext) {
  return true;
}

RenderingContext PlatformCreateContext(DeviceContext) {
  return nullptr;
}
bool PlatformMakeCurrent(DeviceContext, RenderingContext) {
  return true;
}
bool PlatformDeleteContext(RenderingContext) {
  return true;
}
void* PlatformGetProcAddress(const char* name) {
  return HeadlessGL::ProcAddress(name);
}

bool PlatformPeekMessage(Message*) {
  return false;
}
intptr_t PlatformDispatchMessage(const Message*) {
  return 0;
}
void PlatformPostQuitMessage(int) {}
intptr_t PlatformDefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
  return 0;
}

int64_t PlatformClock() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
// No message ever comes: a wait is a sleep, and one for a message only never ends here.
bool PlatformWaitMessage(int64_t until) {
  if (until == kWaitForever) return false;
  const int64_t left = until - PlatformClock();
  if (left > 0) std::this_thread::sleep_for(std::chrono::microseconds(left));
  return false;
}
bool PlatformSetSwapInterval(DeviceContext, int) {
  return false;
}

int PlatformMessageBox(const char* text, const char* caption, uint32_t type) {
  if (!text) text = "";
  if (!caption) caption = "";
  // The same line the SDL backend writes beside its box.
  const size_t length = std::strlen(text);
  std::fprintf(stderr, "%s: %s%s", caption, text, length && text[length - 1] == '\n' ? "" : "\n");
  std::fflush(stderr);
  return (type & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
}

// Boxes here are lines on the terminal, answered at once.
bool PlatformMessageBoxOpen() {
  return false;
}

int PlatformShowCursor(bool show) {
  cursorCount += show ? 1 : -1;
  return cursorCount;
}
