// The program's one loop on its one thread: a pending message, or else one frame.
#include "shell/main_loop.h"

#include "platform/platform.h"
#include "shell/frame_pass.h"
#include "shell/gl_window.h"

namespace {

constexpr char kTitle[] = "Lumivex by Tarnel";
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBits = 16;

void SwapWindow() {
  PlatformSwapBuffers(deviceContext);
}

}  // namespace

int WinMain(void*, void*, char*, int) {
  bool done = false;
  Message message;
  fullscreen = 1;
  if (!CreateMainWindow(kTitle, kWidth, kHeight, kBits, fullscreen)) return 0;

  // A quit carries its own code; ending on Escape is a normal end, code 0 (the last
  // message's wParam would often be the Escape key's code).
  int exitCode = 0;
  while (!done) {
    if (PlatformPeekMessage(&message)) {
      if (message.message == kWmQuit) {
        done = true;
        exitCode = static_cast<int>(message.wParam);
      } else {
        PlatformDispatchMessage(&message);
      }
      continue;  // every pending message before the next frame
    }
    done = FramePass(SwapWindow);
  }

  DestroyMainWindow();
  return exitCode;
}
