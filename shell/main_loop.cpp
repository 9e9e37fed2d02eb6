// The program's one loop on its one thread: every pending message, then one frame.
#include "shell/main_loop.h"

#include "platform/platform.h"
#include "shell/frame_pacer.h"
#include "shell/gl_window.h"
#include "show/intro.h"

namespace {

constexpr char kTitle[] = "Lumivex by Tarnel";
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBits = 16;

}  // namespace

bool ShowStart() {
  fullscreen = 1;
  return CreateMainWindow(kTitle, kWidth, kHeight, kBits, fullscreen);
}

namespace {

// Every pending message to the window procedure. False on a quit, whose code goes to
// *exitCode; *taken counts the messages handed on.
bool TakeMessages(int* exitCode, int* taken) {
  Message message;
  while (PlatformPeekMessage(&message)) {
    if (message.message == kWmQuit) {
      *exitCode = static_cast<int>(message.wParam);
      return false;
    }
    PlatformDispatchMessage(&message);
    ++*taken;
  }
  return true;
}

}  // namespace

bool ShowStep(FrameSwap swap, int* exitCode) {
  int taken = 0;
  return TakeMessages(exitCode, &taken) && !FramePass(swap);
}

void SwapMainWindow() {
  PlatformSwapBuffers(deviceContext);
}

void ShowEnd() {
  DestroyMainWindow();
}

namespace {

// Asks for vsync and, where the driver gives it, times the display's refresh on a few
// black frames before the show's first: on a display at a whole multiple of 60 Hz the
// swap interval paces, elsewhere the deadline does.
void StartPacing(FramePacer* pacer) {
  const int swapInterval =
      ProbeRefresh([](int interval) { return PlatformSetSwapInterval(deviceContext, interval); },
                   SwapBlankFrame, PlatformClock);
  pacer->Start(PlatformClock(), swapInterval);
}

}  // namespace

int WinMain(void*, void*, char*, int) {
  if (!ShowStart()) return 0;
  FramePacer pacer;
  StartPacing(&pacer);
  // A quit carries its own code; ending on Escape is a normal end, code 0 (the last
  // message's wParam would often be the Escape key's code).
  int exitCode = 0;
  bool passWanted = true;
  for (;;) {
    // Messages are handled as they come, also while the loop waits for a deadline.
    int taken = 0;
    if (!TakeMessages(&exitCode, &taken)) break;
    // Minimised in the gallery nothing is drawn: the loop sleeps until a message comes,
    // and then runs one pass, which swaps and applies the keys as every pass does.
    if (taken > 0) passWanted = true;
    const bool atRest = introPhase == 0 && active == 0;
    const int64_t due = atRest && !passWanted ? kWaitForever : pacer.Due();
    if (due == kWaitForever || PlatformClock() < due) {
      PlatformWaitMessage(due);
      continue;
    }
    passWanted = false;
    const int swapInterval = pacer.PassStarting(PlatformClock());
    if (swapInterval != 0) PlatformSetSwapInterval(deviceContext, swapInterval);
    if (FramePass(SwapMainWindow)) break;
  }
  ShowEnd();
  return exitCode;
}
