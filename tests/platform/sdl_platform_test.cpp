// The SDL2 backend on SDL's screenless drivers: key codes, event translation, the
// refusal of an invisible driver, window and GL context set-up, message boxes without a
// display, and the cursor count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/gl_api.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_internal.h"

namespace {

// Each test starts without SDL video and with no display at all.
class SdlPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
  }
  void TearDown() override {
    sdl_platform::State& state = sdl_platform::Get();
    if (state.window) PlatformDestroyWindow(state.window);
    state.queue.clear();
    for (bool& down : state.keyDown) down = false;
    state.modeChanged = false;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  // The offscreen driver, asked for by name: a real SDL window with an EGL context.
  void UseOffscreenDriver() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_TRUE(PlatformRegisterClass("OpenGL", Proc));
  }
  static intptr_t Proc(WindowHandle, uint32_t message, uintptr_t wParam, intptr_t) {
    dispatched.push_back({message, wParam});
    return 0;
  }
  static SDL_Event Key(uint32_t type, SDL_Scancode scancode, SDL_Keycode keycode, uint16_t mod = 0,
                       uint8_t repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = keycode;
    event.key.keysym.mod = mod;
    return event;
  }
  // Everything the pump hands out now.
  static std::vector<Message> Drain() {
    std::vector<Message> messages;
    Message message;
    while (PlatformPeekMessage(&message)) messages.push_back(message);
    return messages;
  }
  static std::vector<std::pair<uint32_t, uintptr_t>> dispatched;
};

std::vector<std::pair<uint32_t, uintptr_t>> SdlPlatformTest::dispatched;

TEST_F(SdlPlatformTest, VirtualKeysFollowWindowsCodes) {
  using sdl_platform::VirtualKey;
  // The digit row by position: an AZERTY "1" key sends '&' but is still VK 1.
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_1, SDLK_AMPERSAND), kVk1);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_3, SDLK_QUOTEDBL), kVk3);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_0, SDLK_0), kVk0);
  // Letters by the layout's key, and by position where the layout is not Latin.
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_Q, SDLK_a), 'A');
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_Z, SDLK_z), 'Z');
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_F, 0x430), 'F');  // Cyrillic layout
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_KP_0, SDLK_KP_0), kVkNumpad0);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_KP_9, SDLK_KP_9), kVkNumpad0 + 9);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE), kVkDivide);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), kVkReturn);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_F1, SDLK_F1), kVkF1);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_F12, SDLK_F12), kVkF1 + 11);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_LEFT, SDLK_LEFT), kVkLeft);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_RIGHT, SDLK_RIGHT), kVkRight);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_UP, SDLK_UP), kVkUp);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_DOWN, SDLK_DOWN), kVkDown);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), kVkEscape);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT), kVkShift);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_RCTRL, SDLK_RCTRL), kVkControl);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP), kVkPrior);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN), kVkNext);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_DELETE, SDLK_DELETE), kVkDelete);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), kVkBack);
  EXPECT_EQ(VirtualKey(SDL_SCANCODE_MUTE, SDLK_MUTE), 0);  // no code: dropped
}

TEST_F(SdlPlatformTest, KeyEventsBecomeKeyMessagesAndAltMakesThemSystemKeys) {
  using sdl_platform::TranslateEvent;
  TranslateEvent(Key(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT));
  TranslateEvent(Key(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT, 0, 1));  // repeat
  TranslateEvent(Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT));
  TranslateEvent(Key(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT));
  // Left went down as an ordinary key: it comes up as one although Alt is now held.
  TranslateEvent(Key(SDL_KEYUP, SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_LALT));
  TranslateEvent(Key(SDL_KEYUP, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT));
  TranslateEvent(Key(SDL_KEYDOWN, SDL_SCANCODE_MUTE, SDLK_MUTE));  // no code: nothing

  const std::vector<Message> messages = Drain();
  const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
      {kWmKeyDown, kVkLeft},      {kWmKeyDown, kVkLeft}, {kWmSysKeyDown, kVkMenu},
      {kWmSysKeyDown, kVkF1 + 3}, {kWmKeyUp, kVkLeft},   {kWmSysKeyUp, kVkF1 + 3}};
  ASSERT_EQ(messages.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(messages[i].message, expected[i].first) << i;
    EXPECT_EQ(messages[i].wParam, expected[i].second) << i;
  }
  // lParam: repeat count 1, the previous state on a repeat, the transition on release.
  EXPECT_EQ(messages[0].lParam & 0xFFFF, 1);
  EXPECT_EQ((messages[0].lParam >> 30) & 1, 0);
  EXPECT_EQ((messages[1].lParam >> 30) & 1, 1);
  EXPECT_EQ((static_cast<uint32_t>(messages[4].lParam) >> 31) & 1, 1u);
}

TEST_F(SdlPlatformTest, QuitsArePostedWithTheirCodeAndNeverDispatched) {
  PlatformPostQuitMessage(3);
  Message message;
  ASSERT_TRUE(PlatformPeekMessage(&message));
  EXPECT_EQ(message.message, kWmQuit);
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_FALSE(PlatformPeekMessage(&message));
  dispatched.clear();
  EXPECT_EQ(PlatformDispatchMessage(&message), 0);
  EXPECT_TRUE(dispatched.empty());
}

TEST_F(SdlPlatformTest, AScreenlessDriverCountsAsNoDisplayUnlessAskedFor) {
  using sdl_platform::InvisibleVideoDriver;
  EXPECT_TRUE(InvisibleVideoDriver("offscreen", nullptr));
  EXPECT_TRUE(InvisibleVideoDriver("dummy", "x11"));
  EXPECT_FALSE(InvisibleVideoDriver("offscreen", "OFFSCREEN"));
  EXPECT_FALSE(InvisibleVideoDriver("dummy", "x11,dummy"));
  EXPECT_FALSE(InvisibleVideoDriver("x11", nullptr));
  EXPECT_TRUE(InvisibleVideoDriver(nullptr, nullptr));

  // Without DISPLAY SDL settles for its offscreen driver on its own: refused.
  EXPECT_FALSE(PlatformRegisterClass("OpenGL", Proc));
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(SdlPlatformTest, MessageBoxesWithoutADisplayGoToStandardErrorAndAnswerSafely) {
  testing::internal::CaptureStderr();
  const int question =
      PlatformMessageBox("Use Windowed Mode Instead?", "Ruvo GL", kMbYesNo | kMbIconExclamation);
  const int notice = PlatformMessageBox("qen -> data\\mur.jpg   [0]\n", "Vorlen - ERROR", kMbOk);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(question, kIdNo);
  EXPECT_EQ(notice, kIdOk);
  EXPECT_EQ(err,
            "Ruvo GL: Use Windowed Mode Instead?\n"
            "Vorlen - ERROR: qen -> data\\mur.jpg   [0]\n");
}

TEST_F(SdlPlatformTest, TheCursorFollowsTheWindowsDisplayCount) {
  UseOffscreenDriver();
  const int start = sdl_platform::Get().cursorCount;
  EXPECT_EQ(PlatformShowCursor(false), start - 1);
  EXPECT_EQ(PlatformShowCursor(false), start - 2);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(PlatformShowCursor(true), start - 1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);  // still below zero
  EXPECT_EQ(PlatformShowCursor(true), start);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlPlatformTest, ModesOfAnotherSizeAreRefused) {
  UseOffscreenDriver();
  // The offscreen display offers no 800 x 600 mode.
  EXPECT_FALSE(PlatformChangeDisplayMode(800, 600, 16));
  EXPECT_FALSE(sdl_platform::Get().modeChanged);
}

TEST_F(SdlPlatformTest, AWindowGetsACompatibilityContextWithTheAskedFramebuffer) {
  UseOffscreenDriver();
  WindowHandle window = PlatformCreateWindow("OpenGL", "Lumivex by Tarnel",
                                             kWsOverlappedWindow | kWsClipSiblings, 800, 600);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(PlatformCreateWindow("OpenGL", "second", kWsOverlappedWindow, 800, 600), nullptr);
  DeviceContext dc = PlatformGetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(PlatformCreateContext(dc), nullptr);  // no pixel format yet

  PixelFormatDescriptor pfd;
  pfd.dwFlags = kPfdDrawToWindow | kPfdSupportOpenGL | kPfdDoubleBuffer;
  pfd.cColorBits = 24;  // differs from what the window was made with: made again
  pfd.cDepthBits = 16;
  PixelFormatDescriptor noGl = pfd;
  noGl.dwFlags = kPfdDrawToWindow;
  EXPECT_EQ(PlatformChoosePixelFormat(dc, &noGl), 0);
  const int format = PlatformChoosePixelFormat(dc, &pfd);
  ASSERT_NE(format, 0);
  ASSERT_TRUE(PlatformSetPixelFormat(dc, format, &pfd));
  RenderingContext context = PlatformCreateContext(dc);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(PlatformMakeCurrent(dc, context));

  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(std::string(version).find("Core"), std::string::npos) << version;
  GLint depth = 0, red = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  glGetIntegerv(GL_RED_BITS, &red);
  EXPECT_GE(depth, 16);
  EXPECT_GE(red, 8);
  // Display lists and immediate mode: what a core profile would refuse.
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  glVertex3f(0, 0, 0);
  glVertex3f(1, 0, 0);
  glVertex3f(0, 1, 0);
  glEnd();
  glEndList();
  glCallList(list);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_TRUE(PlatformSwapBuffers(dc));

  EXPECT_TRUE(PlatformMakeCurrent(nullptr, nullptr));
  EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
  EXPECT_TRUE(PlatformDeleteContext(context));
  EXPECT_TRUE(PlatformReleaseDC(window, dc));
  EXPECT_TRUE(PlatformDestroyWindow(window));
  EXPECT_FALSE(PlatformDestroyWindow(window));
  EXPECT_EQ(PlatformGetDC(window), nullptr);
}

TEST_F(SdlPlatformTest, WindowEventsBecomeActivateSizeAndClose) {
  UseOffscreenDriver();
  WindowHandle window = PlatformCreateWindow("OpenGL", "t", kWsOverlappedWindow, 800, 600);
  ASSERT_NE(window, nullptr);
  Drain();  // whatever SDL said about the new window
  const uint32_t id = SDL_GetWindowID(window->sdl);
  auto push = [id](uint8_t what, int data1 = 0, int data2 = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = id;
    event.window.event = what;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
  };
  push(SDL_WINDOWEVENT_MINIMIZED);
  push(SDL_WINDOWEVENT_RESTORED);
  push(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 0);
  push(SDL_WINDOWEVENT_CLOSE);
  SDL_Event other{};
  other.type = SDL_WINDOWEVENT;
  other.window.windowID = id + 100;  // not our window
  other.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&other);

  const std::vector<Message> messages = Drain();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0].message, kWmActivate);
  EXPECT_EQ(messages[0].wParam, kWaInactive | (1u << 16));
  EXPECT_EQ(messages[1].message, kWmActivate);
  EXPECT_EQ(messages[1].wParam, kWaActive);
  EXPECT_EQ(messages[2].message, kWmSize);
  EXPECT_EQ(messages[2].lParam, 640);
  EXPECT_EQ(messages[3].message, kWmClose);
  for (const Message& m : messages) EXPECT_EQ(m.window, window);

  dispatched.clear();
  PlatformDispatchMessage(&messages[3]);
  ASSERT_EQ(dispatched.size(), 1u);
  EXPECT_EQ(dispatched[0].first, kWmClose);
}

TEST_F(SdlPlatformTest, TheLeftButtonMovesAndTheWheelBecomeMouseMessages) {
  UseOffscreenDriver();
  WindowHandle window = PlatformCreateWindow("OpenGL", "t", kWsOverlappedWindow, 800, 600);
  ASSERT_NE(window, nullptr);
  Drain();
  const uint32_t id = SDL_GetWindowID(window->sdl);
  auto button = [id](uint32_t type, uint8_t which, int x, int y) {
    SDL_Event event{};
    event.type = type;
    event.button.windowID = id;
    event.button.button = which;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
  };
  auto motion = [id](uint32_t buttons, int x, int y, uint32_t window) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = window ? window : id;
    event.motion.state = buttons;
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
  };
  auto wheel = [id](int y, uint32_t direction) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = id;
    event.wheel.y = y;
    event.wheel.direction = direction;
    SDL_PushEvent(&event);
  };
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
  motion(SDL_BUTTON_LMASK, 15, 18, 0);
  motion(0, 799, 599, id + 100);  // another window's: nothing
  button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 15, 18);
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 15, 18);  // no message for it
  motion(SDL_BUTTON_RMASK, 3, 4, 0);
  wheel(-2, SDL_MOUSEWHEEL_NORMAL);
  wheel(1, SDL_MOUSEWHEEL_FLIPPED);

  const std::vector<Message> m = Drain();
  ASSERT_EQ(m.size(), 6u);
  EXPECT_EQ(m[0].message, kWmLButtonDown);
  EXPECT_EQ(m[0].wParam, kMkLButton);
  EXPECT_EQ(m[0].lParam, 10 | (20 << 16));
  EXPECT_EQ(m[1].message, kWmMouseMove);
  EXPECT_EQ(m[1].wParam, kMkLButton);
  EXPECT_EQ(m[1].lParam, 15 | (18 << 16));
  EXPECT_EQ(m[2].message, kWmLButtonUp);
  EXPECT_EQ(m[2].wParam, 0u);
  EXPECT_EQ(m[3].message, kWmMouseMove);  // right button held: no left-button flag
  EXPECT_EQ(m[3].wParam, 0u);
  EXPECT_EQ(m[4].message, kWmMouseWheel);
  // The high word is the signed turn, as GET_WHEEL_DELTA_WPARAM reads it.
  EXPECT_EQ(static_cast<int16_t>(m[4].wParam >> 16), -2 * kWheelDelta);
  EXPECT_EQ(m[5].message, kWmMouseWheel);
  EXPECT_EQ(static_cast<int16_t>(m[5].wParam >> 16), -kWheelDelta);
  for (const Message& message : m) EXPECT_EQ(message.window, window);
}

TEST_F(SdlPlatformTest, AnOutsideQuitRequestClosesTheWindow) {
  UseOffscreenDriver();
  WindowHandle window = PlatformCreateWindow("OpenGL", "t", kWsOverlappedWindow, 800, 600);
  ASSERT_NE(window, nullptr);
  Drain();
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  const std::vector<Message> messages = Drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, kWmClose);  // the window procedure decides: quit 0
}

}  // namespace
