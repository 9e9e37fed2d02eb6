// The window class, display mode, window, pixel format, WGL context and buffer swap on
// Win32: each layer call is the Win32 or WGL call of the same name.
#include <cstdio>
#include <cstring>

#include "platform/win32/win32_internal.h"

#include <mmsystem.h>  // timeBeginPeriod; needs windows.h first

namespace {

WindowProc registeredProc = nullptr;
// The scheduler's tick at 1 ms while the window exists, so that the frame pacer's waits
// end when asked, not up to 15.6 ms later.
bool timerPeriodHeld = false;

// Every message of the show's window goes to the procedure the shell registered, as
// Win32 would call it directly; what the shell leaves alone it hands to DefWindowProcA.
LRESULT CALLBACK ForwardingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!registeredProc) return DefWindowProcA(window, message, wParam, lParam);
  return registeredProc(Handle<WindowHandle>(window), message, wParam, lParam);
}

}  // namespace

namespace win32_platform {

PIXELFORMATDESCRIPTOR ToPixelFormatDescriptor(const PixelFormatDescriptor& pfd) {
  PIXELFORMATDESCRIPTOR record;
  std::memset(&record, 0, sizeof record);
  record.nSize = pfd.nSize;
  record.nVersion = pfd.nVersion;
  record.dwFlags = pfd.dwFlags;
  record.iPixelType = pfd.iPixelType;
  record.cColorBits = pfd.cColorBits;
  record.cDepthBits = pfd.cDepthBits;
  record.cStencilBits = pfd.cStencilBits;
  record.cAuxBuffers = pfd.cAuxBuffers;
  record.iLayerType = pfd.iLayerType;
  return record;
}

DEVMODEA FullscreenMode(int width, int height, int bits) {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return mode;
}

WNDCLASSA WindowClass(const char* className) {
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = ForwardingWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = nullptr;
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = className;
  return windowClass;
}

WindowProc RegisteredProc() {
  return registeredProc;
}

}  // namespace win32_platform

bool PlatformRegisterClass(const char* className, WindowProc proc) {
  if (!className || !proc) return false;
  const WNDCLASSA windowClass = win32_platform::WindowClass(className);
  registeredProc = proc;
  if (RegisterClassA(&windowClass)) return true;
  // The class outlives a teardown; registering it again reuses it with the new procedure.
  if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
  registeredProc = nullptr;
  return false;
}

bool PlatformChangeDisplayMode(int width, int height, int bits) {
  DEVMODEA mode = win32_platform::FullscreenMode(width, height, bits);
  return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

void PlatformRestoreDisplayMode() {
  ChangeDisplaySettingsA(nullptr, 0);
}

WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style,
                                  int width, int height) {
  HWND window = CreateWindowExA(0, className, title, style, 0, 0, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window) win32_platform::SetGamepadWindow(window);
  if (window && !timerPeriodHeld) timerPeriodHeld = timeBeginPeriod(1) == TIMERR_NOERROR;
  return Handle<WindowHandle>(window);
}

void PlatformShowWindow(WindowHandle window) {
  ShowWindow(Handle<HWND>(window), SW_SHOW);
  SetForegroundWindow(Handle<HWND>(window));
  SetFocus(Handle<HWND>(window));
}

bool PlatformDestroyWindow(WindowHandle window) {
  win32_platform::SetGamepadWindow(nullptr);
  if (timerPeriodHeld) timeEndPeriod(1);
  timerPeriodHeld = false;
  return DestroyWindow(Handle<HWND>(window)) != 0;
}

DeviceContext PlatformGetDC(WindowHandle window) {
  // GetDC(NULL) is the whole screen: never what the show means by its window's context.
  if (!window) return nullptr;
  return Handle<DeviceContext>(GetDC(Handle<HWND>(window)));
}

bool PlatformReleaseDC(WindowHandle window, DeviceContext dc) {
  return ReleaseDC(Handle<HWND>(window), Handle<HDC>(dc)) == 1;
}

int PlatformChoosePixelFormat(DeviceContext dc, const PixelFormatDescriptor* pfd) {
  if (!pfd) return 0;
  const PIXELFORMATDESCRIPTOR record = win32_platform::ToPixelFormatDescriptor(*pfd);
  return ChoosePixelFormat(Handle<HDC>(dc), &record);
}

bool PlatformSetPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor* pfd) {
  if (!pfd) return false;
  const PIXELFORMATDESCRIPTOR record = win32_platform::ToPixelFormatDescriptor(*pfd);
  return SetPixelFormat(Handle<HDC>(dc), format, &record) != 0;
}

bool PlatformSwapBuffers(DeviceContext dc) {
  win32_platform::GamepadFrameShown();
  return SwapBuffers(Handle<HDC>(dc)) != 0;
}

RenderingContext PlatformCreateContext(DeviceContext dc) {
  return Handle<RenderingContext>(wglCreateContext(Handle<HDC>(dc)));
}

bool PlatformMakeCurrent(DeviceContext dc, RenderingContext context) {
  return wglMakeCurrent(Handle<HDC>(dc), Handle<HGLRC>(context)) != 0;
}

bool PlatformDeleteContext(RenderingContext context) {
  return wglDeleteContext(Handle<HGLRC>(context)) != 0;
}

void* PlatformGetProcAddress(const char* name) {
  // wglGetProcAddress knows only what goes beyond GL 1.1 (and some drivers answer 1, 2, 3
  // or -1 for "none"); opengl32.dll exports the 1.1 functions themselves.
  PROC proc = wglGetProcAddress(name);
  const intptr_t value = reinterpret_cast<intptr_t>(proc);
  if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
    HMODULE library = GetModuleHandleA("opengl32.dll");
    proc = library ? GetProcAddress(library, name) : nullptr;
  }
  return reinterpret_cast<void*>(proc);
}
