// SDL keys to Windows virtual-key codes, the index of the show's key table.
#include "platform/sdl/sdl_internal.h"

namespace sdl_platform {

uint8_t VirtualKey(SDL_Scancode scancode, SDL_Keycode keycode) {
  if (keycode >= SDLK_a && keycode <= SDLK_z) return static_cast<uint8_t>('A' + (keycode - SDLK_a));
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return static_cast<uint8_t>('A' + (scancode - SDL_SCANCODE_A));
  }
  // The digit row by position: "1" is the key left of "2" whatever the layout prints on
  // it (AZERTY keyboards give '&' there without Shift).
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return static_cast<uint8_t>(kVk1 + (scancode - SDL_SCANCODE_1));
  }
  if (scancode == SDL_SCANCODE_0) return kVk0;
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
    return static_cast<uint8_t>(kVkNumpad0 + 1 + (scancode - SDL_SCANCODE_KP_1));
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return static_cast<uint8_t>(kVkF1 + (scancode - SDL_SCANCODE_F1));
  }
  switch (scancode) {
    case SDL_SCANCODE_KP_0:
      return kVkNumpad0;
    case SDL_SCANCODE_KP_MULTIPLY:
      return kVkMultiply;
    case SDL_SCANCODE_KP_PLUS:
      return kVkAdd;
    case SDL_SCANCODE_KP_MINUS:
      return kVkSubtract;
    case SDL_SCANCODE_KP_PERIOD:
      return kVkDecimal;
    case SDL_SCANCODE_KP_DIVIDE:
      return kVkDivide;
    case SDL_SCANCODE_KP_ENTER:
      return kVkReturn;
    case SDL_SCANCODE_RETURN:
      return kVkReturn;
    case SDL_SCANCODE_ESCAPE:
      return kVkEscape;
    case SDL_SCANCODE_SPACE:
      return kVkSpace;
    case SDL_SCANCODE_TAB:
      return kVkTab;
    case SDL_SCANCODE_BACKSPACE:
      return kVkBack;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return kVkShift;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return kVkControl;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return kVkMenu;
    case SDL_SCANCODE_LEFT:
      return kVkLeft;
    case SDL_SCANCODE_RIGHT:
      return kVkRight;
    case SDL_SCANCODE_UP:
      return kVkUp;
    case SDL_SCANCODE_DOWN:
      return kVkDown;
    case SDL_SCANCODE_INSERT:
      return kVkInsert;
    case SDL_SCANCODE_DELETE:
      return kVkDelete;
    case SDL_SCANCODE_HOME:
      return kVkHome;
    case SDL_SCANCODE_END:
      return kVkEnd;
    case SDL_SCANCODE_PAGEUP:
      return kVkPrior;
    case SDL_SCANCODE_PAGEDOWN:
      return kVkNext;
    default:
      return 0;
  }
}

}  // namespace sdl_platform
