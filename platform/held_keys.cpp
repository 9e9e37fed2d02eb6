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

PadInput XInputPad(uint16_t buttons, int16_t thumbX, int16_t thumbY) {
  // XINPUT_GAMEPAD_* bits (xinput.h), kept here so the mapping is tested on any system.
  PadInput pad;
  pad.dpadUp = (buttons & 0x0001) != 0;
  pad.dpadDown = (buttons & 0x0002) != 0;
  pad.dpadLeft = (buttons & 0x0004) != 0;
  pad.dpadRight = (buttons & 0x0008) != 0;
  pad.start = (buttons & 0x0010) != 0;
  pad.back = (buttons & 0x0020) != 0;
  pad.a = (buttons & 0x1000) != 0;
  pad.b = (buttons & 0x2000) != 0;
  pad.x = (buttons & 0x4000) != 0;
  pad.stickX = thumbX < 0 ? thumbX / 32768.0f : thumbX / 32767.0f;
  pad.stickY = thumbY < 0 ? -thumbY / 32768.0f : -thumbY / 32767.0f;
  return pad;
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
