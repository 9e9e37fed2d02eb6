// One frame pass: intro frame, gallery frame, and the keys that steer the gallery.
#include "shell/frame_pass.h"

#include "platform/platform.h"
#include "shell/gl_check.h"
#include "shell/gl_window.h"
#include "show/gallery.h"
#include "show/intro.h"

namespace {

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

}  // namespace

bool FramePass(FrameSwap swap) {
  bool done = false;
  if (introPhase == 1) {
    if (keys[kVkEscape]) done = true;  // this frame is still drawn and shown
    DrawIntro();
    GLCheckFrame("intro frame");
    swap();
  }
  if (introPhase == 0) {
    bool keepGoing = true;
    if (active == 1) keepGoing = DrawGallery() != 0;
    if (!keepGoing || keys[kVkEscape]) return true;  // ends before the swap
    GLCheckFrame("gallery frame");
    swap();
    ApplyGalleryKeys();
  }
  return done;
}
