// The clock, the wait between frames and the swap interval on SDL2.
#include <chrono>
#include <thread>

#include "platform/sdl/sdl_internal.h"

namespace {

// SDL's waits count whole milliseconds and may wake up to one late: the last stretch
// before a deadline is a precise sleep instead (not woken by messages; a key still
// arrives within that stretch, at most this long).
constexpr int64_t kPreciseStretch = 2000;
// A wait for a message only still looks up this often (ms), so a signal SDL has turned
// into a pending quit is never left waiting on a quiet window.
constexpr int kRestCheck = 100;

bool Pending() {
  sdl_platform::State& state = sdl_platform::Get();
  if (state.queue.empty() && SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_Event event;
    while (state.queue.empty() && SDL_PollEvent(&event)) sdl_platform::TranslateEvent(event);
  }
  return !state.queue.empty();
}

}  // namespace

int64_t PlatformClock() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool PlatformWaitMessage(int64_t until) {
  for (;;) {
    if (Pending()) return true;
    const int64_t left = until == kWaitForever ? -1 : until - PlatformClock();
    if (until != kWaitForever && left <= 0) return false;
    if (until != kWaitForever && left <= kPreciseStretch) {
      std::this_thread::sleep_for(std::chrono::microseconds(left));
      return Pending();
    }
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
      std::this_thread::sleep_for(std::chrono::microseconds(left < 0 ? kRestCheck * 1000 : left));
      continue;
    }
    // Wakes on any event, the window's included; one the show has no message for just
    // sends the loop round again.
    const int ms = left < 0 ? kRestCheck : static_cast<int>((left - kPreciseStretch / 2) / 1000);
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, ms)) sdl_platform::TranslateEvent(event);
  }
}

bool PlatformSetSwapInterval(DeviceContext dc, int interval) {
  if (!dc || !dc->window || !dc->window->sdl || !SDL_GL_GetCurrentContext()) return false;
  return SDL_GL_SetSwapInterval(interval) == 0;
}
