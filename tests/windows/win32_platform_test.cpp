// The Win32 backend of the platform layer under Wine: the records the show's descriptors
// become, the window class and its forwarding window procedure, the message pump, the
// quit message and the cursor count. Windows are real (Wine's X11 driver on Xvfb).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

namespace {

constexpr char kClass[] = "LumivexTestClass";

struct Seen {
  WindowHandle window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};
std::vector<Seen> seen;

// Records what the show's window procedure would get; the rest goes to the default.
intptr_t RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kWmKeyDown || message == kWmKeyUp || message == kWmClose || message == WM_APP ||
      message == WM_CHAR) {
    seen.push_back({window, message, wParam, lParam});
    if (message == kWmClose) PlatformPostQuitMessage(0);
    return 0;
  }
  return PlatformDefWindowProc(window, message, wParam, lParam);
}

int calls = 0;
intptr_t CountingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_APP) ++calls;
  return PlatformDefWindowProc(window, message, wParam, lParam);
}

// Takes every pending message off the queue, dispatching all but the quit; returns them.
std::vector<Message> Pump() {
  std::vector<Message> taken;
  Message message;
  while (PlatformPeekMessage(&message)) {
    taken.push_back(message);
    if (message.message != kWmQuit) PlatformDispatchMessage(&message);
  }
  return taken;
}

class Win32Window : public ::testing::Test {
 protected:
  void SetUp() override {
    seen.clear();
    ASSERT_TRUE(PlatformRegisterClass(kClass, RecordingProc));
    window_ = PlatformCreateWindow(kClass, "Lumivex test", kWsOverlappedWindow, 320, 240);
    ASSERT_NE(window_, nullptr) << "no window: is DISPLAY set?";
    Pump();  // creation's own messages
    seen.clear();
  }
  void TearDown() override {
    if (window_) {
      EXPECT_TRUE(PlatformDestroyWindow(window_));
    }
    Pump();
  }
  WindowHandle window_ = nullptr;
};

}  // namespace

TEST(Win32Records, PixelFormatDescriptorHasTheShowsFieldsAndZeroEverywhereElse) {
  PixelFormatDescriptor pfd;
  pfd.dwFlags = kPfdDrawToWindow | kPfdSupportOpenGL | kPfdDoubleBuffer;
  pfd.cColorBits = 16;
  pfd.cDepthBits = 16;
  const PIXELFORMATDESCRIPTOR record = win32_platform::ToPixelFormatDescriptor(pfd);

  EXPECT_EQ(sizeof record, 40u);
  EXPECT_EQ(record.nSize, 40);
  EXPECT_EQ(record.nVersion, 1);
  EXPECT_EQ(record.dwFlags,
            static_cast<DWORD>(PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER));
  EXPECT_EQ(record.iPixelType, PFD_TYPE_RGBA);
  EXPECT_EQ(record.cColorBits, 16);
  EXPECT_EQ(record.cDepthBits, 16);
  EXPECT_EQ(record.iLayerType, PFD_MAIN_PLANE);

  // Every field the show does not name is 0, byte for byte.
  PIXELFORMATDESCRIPTOR expected;
  std::memset(&expected, 0, sizeof expected);
  expected.nSize = 40;
  expected.nVersion = 1;
  expected.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  expected.cColorBits = 16;
  expected.cDepthBits = 16;
  EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);
}

TEST(Win32Records, FullscreenModeNamesSizeAndDepthButNoRefreshRate) {
  const DEVMODEA mode = win32_platform::FullscreenMode(800, 600, 16);
  EXPECT_EQ(mode.dmSize, sizeof(DEVMODEA));
  EXPECT_EQ(mode.dmPelsWidth, 800u);
  EXPECT_EQ(mode.dmPelsHeight, 600u);
  EXPECT_EQ(mode.dmBitsPerPel, 16u);
  EXPECT_EQ(mode.dmFields, static_cast<DWORD>(DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT));
  EXPECT_EQ(mode.dmDisplayFrequency, 0u);
  EXPECT_EQ(mode.dmDisplayFlags, 0u);
  EXPECT_EQ(mode.dmDriverExtra, 0);
}

TEST(Win32Records, WindowClassIsTheShowsOwnDcClassWithStockIconAndCursor) {
  const WNDCLASSA windowClass = win32_platform::WindowClass("OpenGL");
  EXPECT_EQ(windowClass.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_OWNDC));
  EXPECT_NE(windowClass.lpfnWndProc, nullptr);
  EXPECT_EQ(windowClass.cbClsExtra, 0);
  EXPECT_EQ(windowClass.cbWndExtra, 0);
  EXPECT_EQ(windowClass.hInstance, GetModuleHandleA(nullptr));
  EXPECT_EQ(windowClass.hIcon, LoadIconA(nullptr, IDI_WINLOGO));
  EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(windowClass.hbrBackground, nullptr);
  EXPECT_EQ(windowClass.lpszMenuName, nullptr);
  EXPECT_STREQ(windowClass.lpszClassName, "OpenGL");
}

TEST(Win32Class, RegisteringAgainKeepsTheClassAndTakesTheNewProcedure) {
  ASSERT_TRUE(PlatformRegisterClass("LumivexTwice", CountingProc));
  EXPECT_TRUE(PlatformRegisterClass("LumivexTwice", CountingProc));
  EXPECT_EQ(win32_platform::RegisteredProc(), &CountingProc);
  WindowHandle window = PlatformCreateWindow("LumivexTwice", "twice", kWsPopup, 64, 64);
  ASSERT_NE(window, nullptr);
  calls = 0;
  SendMessageA(Handle<HWND>(window), WM_APP, 0, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(PlatformDestroyWindow(window));
  EXPECT_FALSE(PlatformDestroyWindow(window)) << "a window is destroyed once";
  Pump();
}

TEST(Win32Class, NoClassNoWindow) {
  EXPECT_FALSE(PlatformRegisterClass(nullptr, RecordingProc));
  EXPECT_EQ(PlatformCreateWindow("NoSuchClass", "none", kWsPopup, 64, 64), nullptr);
  EXPECT_EQ(PlatformGetDC(nullptr), nullptr) << "never the screen's context";
}

TEST_F(Win32Window, SentMessagesReachTheShowsProcedureWithTheirParameters) {
  SendMessageA(Handle<HWND>(window_), WM_KEYDOWN, VK_RIGHT, 0x014D0001);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].window, window_);
  EXPECT_EQ(seen[0].message, kWmKeyDown);
  EXPECT_EQ(seen[0].wParam, kVkRight);
  EXPECT_EQ(seen[0].lParam, 0x014D0001);
}

// Wine's XInput (no pad here: a real or virtual one cannot reach it on this machine) is
// loaded and asked each frame, empty slots every 60 frames: nothing may come of it.
TEST_F(Win32Window, XInputWithoutAPadPostsNoKeys) {
  for (int frame = 0; frame < 150; ++frame) {
    Pump();
    PlatformSwapBuffers(nullptr);  // a frame shown: the pads are asked again
  }
  EXPECT_TRUE(seen.empty()) << seen.size() << " messages, the first " << seen[0].message;
  EXPECT_NE(GetModuleHandleA("xinput1_4.dll"), nullptr) << "XInput was never loaded";
}

TEST_F(Win32Window, MessagesComeOffTheQueueOneAtATimeAndAreTranslatedOnDispatch) {
  PostMessageA(Handle<HWND>(window_), WM_KEYDOWN, 'A', 0x001E0001);
  PostMessageA(Handle<HWND>(window_), WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001u));

  Message first;
  ASSERT_TRUE(PlatformPeekMessage(&first));
  EXPECT_EQ(first.window, window_);
  EXPECT_EQ(first.message, kWmKeyDown);
  EXPECT_EQ(first.wParam, static_cast<uintptr_t>('A'));
  EXPECT_TRUE(seen.empty()) << "peeking does not dispatch";
  PlatformDispatchMessage(&first);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, kWmKeyDown);

  // TranslateMessage turned the key press into a character message, posted behind the
  // key release that was already queued.
  Pump();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].message, kWmKeyUp);
  EXPECT_EQ(seen[2].message, static_cast<uint32_t>(WM_CHAR));
  EXPECT_EQ(seen[2].wParam, static_cast<uintptr_t>('a'));
}

TEST_F(Win32Window, CloseBecomesAQuitWithCodeZeroAndNoWindow) {
  PostMessageA(Handle<HWND>(window_), WM_CLOSE, 0, 0);
  PlatformPostQuitMessage(7);  // queued first: posted quits wait for the queue to empty
  const std::vector<Message> taken = Pump();
  std::vector<Message> quits;
  for (const Message& m : taken) {
    if (m.message == kWmQuit) quits.push_back(m);
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, kWmClose);
  // Win32 keeps one quit: the last code posted.
  ASSERT_EQ(quits.size(), 1u);
  EXPECT_EQ(quits[0].window, nullptr);
  EXPECT_EQ(quits[0].wParam, 0u);
  EXPECT_EQ(PlatformDispatchMessage(&quits[0]), 0) << "a quit has no window to go to";
}

TEST_F(Win32Window, WhatTheShowLeavesAloneIsTheDefaultProceduresWork) {
  // WM_SETTEXT and WM_GETTEXT are DefWindowProcA's: they only work through the layer's
  // default procedure.
  ASSERT_TRUE(SetWindowTextA(Handle<HWND>(window_), "Lumivex by Tarnel"));
  char title[64] = {};
  EXPECT_EQ(GetWindowTextA(Handle<HWND>(window_), title, sizeof title), 17);
  EXPECT_STREQ(title, "Lumivex by Tarnel");
  EXPECT_EQ(PlatformDefWindowProc(window_, WM_GETTEXTLENGTH, 0, 0), 17);
}

TEST_F(Win32Window, WindowIsHiddenUntilShownAndHasTheOuterSizeAsked) {
  EXPECT_FALSE(IsWindowVisible(Handle<HWND>(window_)));
  RECT outer;
  ASSERT_TRUE(GetWindowRect(Handle<HWND>(window_), &outer));
  EXPECT_EQ(outer.right - outer.left, 320);
  EXPECT_EQ(outer.bottom - outer.top, 240);
  RECT client;
  ASSERT_TRUE(GetClientRect(Handle<HWND>(window_), &client));
  EXPECT_LT(client.bottom, 240) << "the frame and title come off the client area";
  PlatformShowWindow(window_);
  EXPECT_TRUE(IsWindowVisible(Handle<HWND>(window_)));
}

TEST_F(Win32Window, DeviceContextIsTheWindowsOwnAndIsReleased) {
  DeviceContext dc = PlatformGetDC(window_);
  ASSERT_NE(dc, nullptr);
  // CS_OWNDC: the window keeps one context, the same on every call.
  EXPECT_EQ(PlatformGetDC(window_), dc);
  EXPECT_TRUE(PlatformReleaseDC(window_, dc));
}

TEST(Win32User, CursorCountPairsHidesWithShows) {
  const int start = PlatformShowCursor(true) - 1;
  EXPECT_EQ(PlatformShowCursor(false), start);
  EXPECT_EQ(PlatformShowCursor(false), start - 1);
  EXPECT_EQ(PlatformShowCursor(false), start - 2);
  EXPECT_EQ(PlatformShowCursor(true), start - 1);
  EXPECT_EQ(PlatformShowCursor(true), start);
}

// The layer's numbers are the ones Win32 itself uses.
TEST(Win32Records, LayerConstantsAreWin32s) {
  EXPECT_EQ(kWmSize, static_cast<uint32_t>(WM_SIZE));
  EXPECT_EQ(kWmActivate, static_cast<uint32_t>(WM_ACTIVATE));
  EXPECT_EQ(kWmClose, static_cast<uint32_t>(WM_CLOSE));
  EXPECT_EQ(kWmQuit, static_cast<uint32_t>(WM_QUIT));
  EXPECT_EQ(kWmKeyDown, static_cast<uint32_t>(WM_KEYDOWN));
  EXPECT_EQ(kWmKeyUp, static_cast<uint32_t>(WM_KEYUP));
  EXPECT_EQ(kWmSysKeyDown, static_cast<uint32_t>(WM_SYSKEYDOWN));
  EXPECT_EQ(kWmSysKeyUp, static_cast<uint32_t>(WM_SYSKEYUP));
  EXPECT_EQ(kWmSysCommand, static_cast<uint32_t>(WM_SYSCOMMAND));
  EXPECT_EQ(kScScreenSave, static_cast<uintptr_t>(SC_SCREENSAVE));
  EXPECT_EQ(kScMonitorPower, static_cast<uintptr_t>(SC_MONITORPOWER));
  EXPECT_EQ(kVkEscape, VK_ESCAPE);
  EXPECT_EQ(kVkLeft, VK_LEFT);
  EXPECT_EQ(kVkUp, VK_UP);
  EXPECT_EQ(kVkRight, VK_RIGHT);
  EXPECT_EQ(kVkDown, VK_DOWN);
  EXPECT_EQ(kVkMenu, VK_MENU);
  EXPECT_EQ(kVkF1, VK_F1);
  EXPECT_EQ(kWsPopup, static_cast<uint32_t>(WS_POPUP));
  EXPECT_EQ(kWsOverlappedWindow, static_cast<uint32_t>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(kWsClipSiblings, static_cast<uint32_t>(WS_CLIPSIBLINGS));
  EXPECT_EQ(kWsClipChildren, static_cast<uint32_t>(WS_CLIPCHILDREN));
  EXPECT_EQ(kMbOk, static_cast<uint32_t>(MB_OK));
  EXPECT_EQ(kMbYesNo, static_cast<uint32_t>(MB_YESNO));
  EXPECT_EQ(kMbIconStop, static_cast<uint32_t>(MB_ICONSTOP));
  EXPECT_EQ(kMbIconExclamation, static_cast<uint32_t>(MB_ICONEXCLAMATION));
  EXPECT_EQ(kMbIconInformation, static_cast<uint32_t>(MB_ICONINFORMATION));
  EXPECT_EQ(kIdOk, IDOK);
  EXPECT_EQ(kIdYes, IDYES);
  EXPECT_EQ(kIdNo, IDNO);
  EXPECT_EQ(kPfdDrawToWindow, static_cast<uint32_t>(PFD_DRAW_TO_WINDOW));
  EXPECT_EQ(kPfdSupportOpenGL, static_cast<uint32_t>(PFD_SUPPORT_OPENGL));
  EXPECT_EQ(kPfdDoubleBuffer, static_cast<uint32_t>(PFD_DOUBLEBUFFER));
}
