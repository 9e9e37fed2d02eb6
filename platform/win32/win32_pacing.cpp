// The clock, the wait between frames and the swap interval on Win32: the performance
// counter, MsgWaitForMultipleObjectsEx on a high-resolution waitable timer, and
// wglSwapIntervalEXT.

#include "platform/win32/win32_internal.h"

namespace {

// Windows 10 1803 and later: a timer that fires within a fraction of a millisecond.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
// Without it a wait ends on the scheduler's tick (1 ms under timeBeginPeriod(1), and it
// may end a tick late): the last stretch before a deadline is then waited out in short
// yields.
constexpr int64_t kYieldStretch = 1500;
constexpr DWORD kWake = QS_ALLINPUT;

bool Pending() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

HANDLE PreciseTimer() {
  static HANDLE timer =
      CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
  return timer;
}

// Waits for input or `ms` milliseconds (INFINITE: input only); any existing unread input
// ends it at once.
void WaitInput(DWORD ms) {
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, kWake, MWMO_INPUTAVAILABLE);
}

}  // namespace

int64_t PlatformClock() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const int64_t c = counter.QuadPart;
  return c / frequency * 1000000 + c % frequency * 1000000 / frequency;
}

bool PlatformWaitMessage(int64_t until) {
  if (Pending()) return true;
  if (until == kWaitForever) {
    WaitInput(INFINITE);
    return Pending();
  }
  int64_t left = until - PlatformClock();
  if (left <= 0) return false;
  if (HANDLE timer = PreciseTimer()) {
    LARGE_INTEGER due;
    due.QuadPart = -left * 10;  // relative, in 100 ns units
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, kWake, MWMO_INPUTAVAILABLE);
      CancelWaitableTimer(timer);
      return Pending();
    }
  }
  if (left > kYieldStretch + 1000) {
    WaitInput(static_cast<DWORD>((left - kYieldStretch) / 1000));
    if (Pending()) return true;
  }
  while (PlatformClock() < until) {
    if (Pending()) return true;
    SwitchToThread();
  }
  return Pending();
}

bool PlatformSetSwapInterval(DeviceContext, int interval) {
  using SwapIntervalFn = BOOL(WINAPI*)(int);
  const auto swapInterval =
      reinterpret_cast<SwapIntervalFn>(PlatformGetProcAddress("wglSwapIntervalEXT"));
  return swapInterval && swapInterval(interval) != 0;
}
