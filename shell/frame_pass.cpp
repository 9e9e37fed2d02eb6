// One frame pass: intro frame, gallery frame, and the keys that steer the gallery.
#include "shell/frame_pass.h"

#include <cstring>

#include "platform/platform.h"
#include "shell/gl_check.h"
#include "shell/gl_window.h"
#include "show/gallery.h"
#include "show/intro.h"

namespace {

// Steps per gallery pass while a key is held: no timer, so speed follows the frame rate.
constexpr float kYawStep = 0.8f;
constexpr float kMoveStep = 0.1f;

// Held now, or pressed since the previous pass: a press and release that both came in
// while the last frame was drawn are one tap, not nothing.
bool Pressed(uint8_t vk) {
  return keys[vk] || keysTapped[vk];
}

void ApplyGalleryKeys() {
  if (Pressed(kVk1)) gallerySet = 1;
  if (Pressed(kVk2)) gallerySet = 2;
  if (Pressed(kVk3)) gallerySet = 3;
  if (Pressed(kVkLeft)) viewYaw -= kYawStep;
  if (Pressed(kVkRight)) viewYaw += kYawStep;
  if (Pressed(kVkUp)) viewZ += kMoveStep;
  if (Pressed(kVkDown)) viewZ -= kMoveStep;
}

bool RunPass(FrameSwap swap) {
  bool done = false;
  if (introPhase == 1) {
    if (Pressed(kVkEscape)) done = true;  // this frame is still drawn and shown
    DrawIntro();
    GLCheckFrame("intro frame");
    swap();
  }
  if (introPhase == 0) {
    bool keepGoing = true;
    if (active == 1) keepGoing = DrawGallery() != 0;
    if (!keepGoing || Pressed(kVkEscape)) return true;  // ends before the swap
    GLCheckFrame("gallery frame");
    swap();
    ApplyGalleryKeys();
  }
  return done;
}

}  // namespace

bool FramePass(FrameSwap swap) {
  const bool done = RunPass(swap);
  // Every tap has now had its pass, whichever way the pass ended.
  std::memset(keysTapped, 0, sizeof keysTapped);
  return done;
}
