// The program's one loop on its one thread: a pending message, or else one frame.
#include "shell/main_loop.h"

#include "platform/platform.h"
#include "shell/gl_window.h"
#include "show/gallery.h"
#include "show/intro.h"

namespace {

constexpr char kTitle[] = "Lumivex by Tarnel";
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBits = 16;

// Steps per gallery pass while a key is held: no timer, so speed follows the frame rate.
constexpr float kYawStep = 0.8f;
constexpr float kMoveStep = 0.1f;

void ApplyGalleryKeys() {
  if (keys[kVk1]) gallerySet = 1;
  if (keys[kVk2]) gallerySet = 2;
  if (keys[kVk3]) gallerySet = 3;
  if (keys[kVkLeft]) viewYaw -= kYawStep;
  if (keys[kVkRight]) viewYaw += kYawStep;
  if (keys[kVkUp]) viewZ += kMoveStep;
  if (keys[kVkDown]) viewZ -= kMoveStep;
}

// One idle pass: an intro frame while the intro runs, then (in the same pass, once the
// intro has handed over) a gallery frame. Returns true when the show should end.
bool FramePass() {
  bool done = false;
  if (introPhase == 1) {
    if (keys[kVkEscape]) done = true;  // this frame is still drawn and shown
    DrawIntro();
    PlatformSwapBuffers(deviceContext);
  }
  if (introPhase == 0) {
    bool keepGoing = true;
    if (active == 1) keepGoing = DrawGallery() != 0;
    if (!keepGoing || keys[kVkEscape]) return true;  // ends before the swap
    PlatformSwapBuffers(deviceContext);
    ApplyGalleryKeys();
  }
  return done;
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
    done = FramePass();
  }

  DestroyMainWindow();
  return exitCode;
}
