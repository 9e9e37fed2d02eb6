// The operating-system layer: what the show asks of the windowing system, the GL
// context, the user and the file system, in the shape of the Win32 calls it was
// designed around. Nothing above platform/ includes an operating-system header.
//
// A port implements exactly this list (the module player is in module_player.h):
//
//   window class     PlatformRegisterClass
//   display mode     PlatformChangeDisplayMode, PlatformRestoreDisplayMode
//   window           PlatformCreateWindow, PlatformShowWindow, PlatformDestroyWindow
//   device context   PlatformGetDC, PlatformReleaseDC, PlatformChoosePixelFormat,
//                    PlatformSetPixelFormat, PlatformSwapBuffers
//   GL context       PlatformCreateContext, PlatformMakeCurrent, PlatformDeleteContext,
//                    PlatformGetProcAddress
//   messages         PlatformPeekMessage, PlatformDispatchMessage, PlatformPostQuitMessage,
//                    PlatformDefWindowProc
//   pacing           PlatformClock, PlatformWaitMessage, PlatformSetSwapInterval
//   user             PlatformMessageBox, PlatformMessageBoxOpen, PlatformShowCursor
//   files            PlatformResolvePath, PlatformOpenFile
//
// Backends: platform/sdl (SDL2, the Linux build), platform/win32 (the Windows build),
// platform/web (a browser page: canvas, WebGL through platform/gl11, DOM events),
// platform/headless (no windows, boxes on the terminal: offline capture) and
// tests/support/fake_platform (scripted, for unit tests). Each system's entry point
// (main, WinMain, the page's calls) is the shell's, above this layer: a backend knows
// nothing of the show.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct PlatformWindow;
struct PlatformDeviceContext;
struct PlatformRenderingContext;
using WindowHandle = PlatformWindow*;
using DeviceContext = PlatformDeviceContext*;
using RenderingContext = PlatformRenderingContext*;

// Window messages, with the Win32 numbers the window procedure is written against.
constexpr uint32_t kWmSize = 0x0005;
constexpr uint32_t kWmActivate = 0x0006;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmQuit = 0x0012;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint32_t kWmSysKeyUp = 0x0105;
constexpr uint32_t kWmSysCommand = 0x0112;
// Mouse messages: lParam holds x in its low and y in its high 16 bits (signed, client
// pixels from the top left; screen pixels for the wheel); wParam's low word the buttons
// held (kMkLButton). The wheel's high word of wParam is the signed turn, kWheelDelta a
// notch, positive away from the user. The show passes them to PlatformDefWindowProc.
constexpr uint32_t kWmMouseMove = 0x0200;
constexpr uint32_t kWmLButtonDown = 0x0201;
constexpr uint32_t kWmLButtonUp = 0x0202;
constexpr uint32_t kWmMouseWheel = 0x020A;
// A file dropped on the window (WM_DROPFILES); its path is PlatformDroppedFile's.
constexpr uint32_t kWmDropFiles = 0x0233;
constexpr uintptr_t kMkLButton = 0x0001;
constexpr int kWheelDelta = 120;

// WM_ACTIVATE: the low word of wParam; the high word is the minimised state.
constexpr uint32_t kWaInactive = 0;
constexpr uint32_t kWaActive = 1;

// WM_SYSCOMMAND commands the show swallows.
constexpr uintptr_t kScScreenSave = 0xF140;
constexpr uintptr_t kScMonitorPower = 0xF170;

// Windows virtual-key codes (the index of `keys`).
constexpr uint8_t kVkBack = 0x08;
constexpr uint8_t kVkTab = 0x09;
constexpr uint8_t kVkReturn = 0x0D;
constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkControl = 0x11;
constexpr uint8_t kVkMenu = 0x12;  // Alt
constexpr uint8_t kVkEscape = 0x1B;
constexpr uint8_t kVkSpace = 0x20;
constexpr uint8_t kVkPrior = 0x21;  // Page Up
constexpr uint8_t kVkNext = 0x22;   // Page Down
constexpr uint8_t kVkEnd = 0x23;
constexpr uint8_t kVkHome = 0x24;
constexpr uint8_t kVkLeft = 0x25;
constexpr uint8_t kVkUp = 0x26;
constexpr uint8_t kVkRight = 0x27;
constexpr uint8_t kVkDown = 0x28;
constexpr uint8_t kVkInsert = 0x2D;
constexpr uint8_t kVkDelete = 0x2E;
constexpr uint8_t kVk0 = 0x30;  // '0'..'9' are 0x30..0x39, 'A'..'Z' are 0x41..0x5A
constexpr uint8_t kVk1 = 0x31;
constexpr uint8_t kVk2 = 0x32;
constexpr uint8_t kVk3 = 0x33;
constexpr uint8_t kVkNumpad0 = 0x60;  // ..0x69
constexpr uint8_t kVkMultiply = 0x6A;
constexpr uint8_t kVkAdd = 0x6B;
constexpr uint8_t kVkSubtract = 0x6D;
constexpr uint8_t kVkDecimal = 0x6E;
constexpr uint8_t kVkDivide = 0x6F;
constexpr uint8_t kVkF1 = 0x70;  // ..F12 = 0x7B

// Window styles (CreateWindowExA).
constexpr uint32_t kWsPopup = 0x80000000u;
constexpr uint32_t kWsOverlappedWindow = 0x00CF0000u;
constexpr uint32_t kWsClipSiblings = 0x04000000u;
constexpr uint32_t kWsClipChildren = 0x02000000u;

// Message boxes (MessageBoxA): buttons, icons and answers.
constexpr uint32_t kMbOk = 0x00;
constexpr uint32_t kMbYesNo = 0x04;
constexpr uint32_t kMbIconStop = 0x10;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// One queued window message, as PeekMessageA hands it out.
struct Message {
  WindowHandle window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// The fields of a PIXELFORMATDESCRIPTOR the show sets; every other field is 0.
constexpr uint32_t kPfdDrawToWindow = 0x04;
constexpr uint32_t kPfdSupportOpenGL = 0x20;
constexpr uint32_t kPfdDoubleBuffer = 0x01;
constexpr uint8_t kPfdTypeRgba = 0;
constexpr uint8_t kPfdMainPlane = 0;
struct PixelFormatDescriptor {
  uint16_t nSize = 40;
  uint16_t nVersion = 1;
  uint32_t dwFlags = 0;
  uint8_t iPixelType = kPfdTypeRgba;
  uint8_t cColorBits = 0;
  uint8_t cDepthBits = 0;
  uint8_t cStencilBits = 0;
  uint8_t cAuxBuffers = 0;
  uint8_t iLayerType = kPfdMainPlane;
};

// Registers the one window class; `proc` receives every dispatched message.
// False when the windowing system cannot be used at all (no display).
bool PlatformRegisterClass(const char* className, WindowProc proc);

// Switches the display to a mode of exactly width x height (bits as near as the display
// offers). False when no such mode exists: the caller then asks about windowed mode.
bool PlatformChangeDisplayMode(int width, int height, int bits);
// Back to the desktop mode stored before the first change.
void PlatformRestoreDisplayMode();

// Creates the window (outer size, at 0, 0), hidden until PlatformShowWindow.
WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style,
                                  int width, int height);
// ShowWindow(SW_SHOW), SetForegroundWindow, SetFocus.
void PlatformShowWindow(WindowHandle window);
bool PlatformDestroyWindow(WindowHandle window);

DeviceContext PlatformGetDC(WindowHandle window);
bool PlatformReleaseDC(WindowHandle window, DeviceContext dc);
// Returns a pixel format index, 0 when nothing fits.
int PlatformChoosePixelFormat(DeviceContext dc, const PixelFormatDescriptor* pfd);
bool PlatformSetPixelFormat(DeviceContext dc, int format, const PixelFormatDescriptor* pfd);
bool PlatformSwapBuffers(DeviceContext dc);

RenderingContext PlatformCreateContext(DeviceContext dc);
// Null dc and context release the current context.
bool PlatformMakeCurrent(DeviceContext dc, RenderingContext context);
bool PlatformDeleteContext(RenderingContext context);
// wglGetProcAddress: a GL function of the current context beyond what the system's GL
// library exports by name (buffer objects and the like); null where the context has none.
void* PlatformGetProcAddress(const char* name);

// Takes one pending message off the queue (PM_REMOVE); false when none is pending.
// Key messages arrive already translated: WM_KEYDOWN/UP with virtual-key codes, and
// keys pressed with Alt held as WM_SYSKEYDOWN/UP; the mouse as the messages above.
bool PlatformPeekMessage(Message* message);
// The path (UTF-8) of the file of the last kWmDropFiles message; "" before any. The SDL
// backend takes drops; the Win32 one sends none.
const char* PlatformDroppedFile();
// Hands the message to the window procedure of its window (Translate + Dispatch).
intptr_t PlatformDispatchMessage(const Message* message);
// Queues WM_QUIT carrying `exitCode` as its wParam.
void PlatformPostQuitMessage(int exitCode);
intptr_t PlatformDefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam);

// A monotonic clock in microseconds (QueryPerformanceCounter), for pacing frames.
int64_t PlatformClock();
// PlatformWaitMessage's `until` for a wait that only a message ends.
constexpr int64_t kWaitForever = INT64_MAX;
// Sleeps until a message is pending or PlatformClock reaches `until`, whichever comes
// first (MsgWaitForMultipleObjects): a coarse wait that wakes on any message, then the
// last stretch waited out precisely, so a deadline is met to within a fraction of a
// millisecond without spinning. True when a message is pending.
bool PlatformWaitMessage(int64_t until);
// wglSwapIntervalEXT: each swap waits for the `interval`-th refresh after the previous
// one. False where the driver has no say in it (no vsync).
bool PlatformSetSwapInterval(DeviceContext dc, int interval);

// A modal box with no owner; `type` combines one kMb button set and one kMbIcon.
// Returns kIdOk, kIdYes or kIdNo. The text also goes to standard error; without a
// display it goes there only and counts as OK (No for a question).
int PlatformMessageBox(const char* text, const char* caption, uint32_t type);
// Whether a box is still waiting for its answer. Only a backend whose boxes cannot block
// (a page has one thread) ever says so; the shell draws no frame meanwhile.
bool PlatformMessageBoxOpen();
// The Win32 display count: the cursor shows while the count is >= 0. Returns the new count.
int PlatformShowCursor(bool show);

// The show names its files as on Windows ("Data\VorlErrors.txt"). This turns such a name
// into a path of the running system: '\' becomes the separator, and where a name does not
// exist exactly, each folder and file name is matched ignoring case ("Data" finds "data").
// The data folder is the working folder's, else the one beside the executable; an
// installed build reads it from where the package put it (platform/data_layout.h).
std::string PlatformResolvePath(const char* path);
// fopen of the resolved path. In an installed build, writes into the data folder go to
// the user's state folder ($XDG_STATE_HOME/lumivex), never the working folder.
FILE* PlatformOpenFile(const char* path, const char* mode);
