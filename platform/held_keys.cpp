// Touch drags and gamepads to held keys, and held keys to key messages.
#include "platform/held_keys.h"

#include <cmath>

uint32_t PadHeldKeys(const PadInput& pad) {
  uint32_t held = 0;
  if (pad.dpadLeft || pad.stickX <= -kStickDeadZone) held |= kHoldLeft;
  if (pad.dpadRight || pad.stickX >= kStickDeadZone) held |= kHoldRight;
  if (pad.dpadUp || pad.stickY <= -kStickDeadZone) held |= kHoldUp;
  if (pad.dpadDown || pad.stickY >= kStickDeadZone) held |= kHoldDown;
  if (pad.a) held |= kHold1;
  if (pad.b) held |= kHold2;
  if (pad.x) held |= kHold3;
  if (pad.back || pad.start) held |= kHoldEscape;
  return held;
}

uint32_t DragHeldKeys(float dx, float dy) {
  const float ax = std::fabs(dx), ay = std::fabs(dy);
  uint32_t held = 0;
  if (ax >= kDragThreshold && ax * 2.0f >= ay) held |= dx < 0.0f ? kHoldLeft : kHoldRight;
  // Screen y grows downwards: a finger pushed up walks forward.
  if (ay >= kDragThreshold && ay * 2.0f >= ax) held |= dy < 0.0f ? kHoldUp : kHoldDown;
  return held;
}

void HeldKeys::Set(int source, uint32_t mask, Post post) {
  if (source < 0 || source >= kSources) return;
  const uint32_t before = Held();
  masks_[source] = mask & ((1u << kHeldKeyCount) - 1);
  const uint32_t after = Held();
  for (int i = 0; i < kHeldKeyCount; ++i) {
    const uint32_t bit = 1u << i;
    if ((after & bit) && !(before & bit)) post(kWmKeyDown, kHeldKeyCodes[i]);
    if ((before & bit) && !(after & bit)) post(kWmKeyUp, kHeldKeyCodes[i]);
  }
}

void HeldKeys::ReleaseAll(Post post) {
  for (int source = 0; source < kSources; ++source) Set(source, 0, post);
}

uint32_t HeldKeys::Held() const {
  uint32_t held = 0;
  for (uint32_t mask : masks_) held |= mask;
  return held;
}
