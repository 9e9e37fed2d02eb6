// A scripted platform for unit tests: messages in, calls, swaps and boxes recorded.
// Every Platform* and Module* function of platform/ is implemented here; tests link this
// library instead of the real backend and steer it through `fake`.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/gl_fixture.h"

namespace fake {

struct Box {
  std::string text;
  std::string caption;
  uint32_t type;
};

struct State {
  // Script: steps that fail, by name ("RegisterClass", "ChangeDisplayMode",
  // "CreateWindow", "GetDC", "ChoosePixelFormat", "SetPixelFormat", "CreateContext",
  // "MakeCurrent", "ReleaseCurrent", "DeleteContext", "ReleaseDC", "DestroyWindow",
  // "ModuleDeviceInit", "ModuleMusicLoad"; "ModuleDeviceStart": an open device that never
  // starts, as a page's sound that the browser holds).
  std::set<std::string> failing;
  std::deque<Message> queue;           // what PlatformPeekMessage hands out
  std::deque<int> boxAnswers;          // answers for question boxes (default kIdNo)
  std::function<void()> onSwap;        // runs after each swap (to script key changes)
  std::function<void()> onBox;         // runs while a message box is up
  std::function<uint32_t()> position;  // the module position; default: no module
  // The clock (microseconds) and the waits on it: a wait with nothing queued runs onWait
  // (which may post a message or move the clock) and then, unless a message came, moves
  // the clock to its end. A wait for a message only that nothing ends ends the run
  // instead: it queues WM_QUIT with kNoWakeCode.
  int64_t clock = 0;
  std::function<void(int64_t until)> onWait;
  bool vsync = false;  // whether PlatformSetSwapInterval is accepted

  // Record.
  std::vector<std::string> calls;  // every platform call, in order
  std::vector<Box> boxes;
  int swaps = 0;
  int cursorCount = 0;
  bool displayChanged = false;
  WindowProc proc = nullptr;
  uint32_t windowStyle = 0;
  bool windowExists = false;
  bool contextCurrent = false;
  bool soundDeviceOpen = false;
  std::unique_ptr<HeadlessGL> gl;  // made by PlatformCreateContext
};

extern State state;

constexpr int kNoWakeCode = 99;

// Back to a fresh state (keeps the GL context, which is costly to make).
void Reset();
// Queues a message for the window.
void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
// Number of calls whose record starts with `prefix`.
int CountCalls(const std::string& prefix);

}  // namespace fake
