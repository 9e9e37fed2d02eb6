// Touch and gamepads as the show's keys. Each input that stands for keys (a finger's
// drag, the page's touch buttons, one gamepad) is a source that says which keys it holds
// now; a key's WM_KEYDOWN goes out when the first source takes it and its WM_KEYUP when
// the last lets it go, so the window procedure sees nothing but keys. Pure: no
// operating-system header; every backend posts the messages its own way.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The keys a touch or a pad can hold, one bit each.
enum HeldKeyBit : uint32_t {
  kHoldLeft = 1u << 0,
  kHoldRight = 1u << 1,
  kHoldUp = 1u << 2,
  kHoldDown = 1u << 3,
  kHold1 = 1u << 4,
  kHold2 = 1u << 5,
  kHold3 = 1u << 6,
  kHoldEscape = 1u << 7,
};
constexpr int kHeldKeyCount = 8;
// The virtual-key code of bit i.
constexpr uint8_t kHeldKeyCodes[kHeldKeyCount] = {kVkLeft, kVkRight, kVkUp, kVkDown,
                                                  kVk1,    kVk2,     kVk3,  kVkEscape};

// One gamepad, in the layout SDL's GameController API, XInput and the browser's
// "standard" mapping share. Stick axes run from -1 to 1, x to the right, y downwards.
struct PadInput {
  bool dpadLeft = false, dpadRight = false, dpadUp = false, dpadDown = false;
  float stickX = 0.0f, stickY = 0.0f;
  bool a = false, b = false, x = false;
  bool back = false, start = false;
};

// A stick pushed less than this far (of full travel) along an axis holds nothing: a
// resting stick never sits exactly at 0.
constexpr float kStickDeadZone = 0.35f;

// The d-pad and the left stick as the arrows (stick up walks forward), A, B and X as 1,
// 2 and 3, Back or Start as Escape.
uint32_t PadHeldKeys(const PadInput& pad);

// XInput's XINPUT_GAMEPAD: the wButtons bits, and the left stick with y upwards as XInput
// has it.
PadInput XInputPad(uint16_t buttons, int16_t thumbX, int16_t thumbY);

// A finger this far (CSS pixels) from where it went down holds the arrow of that side.
constexpr float kDragThreshold = 16.0f;

// A drag (dx to the right, dy downwards, from where the finger went down): left and right
// turn, up and down walk. An axis counts once the finger is kDragThreshold off along it
// and at least half as far along it as along the other, so a sideways drag does not walk.
uint32_t DragHeldKeys(float dx, float dy);

// The sources' held keys, merged into key messages.
class HeldKeys {
 public:
  static constexpr int kSources = 8;
  using Post = void (*)(uint32_t message, uint8_t vk);

  // Source `source` now holds `mask`; posts a key down for each key no source held
  // before, a key up for each key no source holds now. Out-of-range sources are ignored.
  void Set(int source, uint32_t mask, Post post);
  // Every source lets go (the page's show ended, a pad's backend shut down).
  void ReleaseAll(Post post);
  uint32_t Held() const;

 private:
  uint32_t masks_[kSources] = {};
};
