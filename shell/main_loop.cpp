// The program's one loop on its one thread: every pending message, then one frame.
#include "shell/main_loop.h"

#include "platform/platform.h"
#include "shell/gl_window.h"

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

bool ShowStep(FrameSwap swap, int* exitCode) {
  Message message;
  while (PlatformPeekMessage(&message)) {
    if (message.message == kWmQuit) {
      *exitCode = static_cast<int>(message.wParam);
      return false;
    }
    PlatformDispatchMessage(&message);
  }
  return !FramePass(swap);
}

void SwapMainWindow() {
  PlatformSwapBuffers(deviceContext);
}

void ShowEnd() {
  DestroyMainWindow();
}

int WinMain(void*, void*, char*, int) {
  if (!ShowStart()) return 0;
  // A quit carries its own code; ending on Escape is a normal end, code 0 (the last
  // message's wParam would often be the Escape key's code).
  int exitCode = 0;
  while (ShowStep(SwapMainWindow, &exitCode)) {
  }
  ShowEnd();
  return exitCode;
}
