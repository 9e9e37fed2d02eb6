// Gamepads on SDL2, through its GameController API: each pad's buttons and left stick
// become the show's keys (platform/held_keys.h), in the order SDL reports them, so a press
// and release within one frame is still a tap. Pads plugged in or pulled out while the
// show runs are taken or let go. SDL's mapping database knows most pads; a
// "gamecontrollerdb.txt" beside the data folder adds more.
#include <cstdio>

#include "platform/sdl/sdl_internal.h"

namespace sdl_platform {

namespace {

struct Pad {
  SDL_GameController* controller = nullptr;
  SDL_JoystickID id = -1;
  PadInput input;
};

Pad pads[HeldKeys::kSources];
HeldKeys heldKeys;

void PostKey(uint32_t message, uint8_t vk) {
  // lParam as for a key: repeat count 1; a release has its previous-state and
  // transition bits set. There is no scancode.
  const uint32_t param = message == kWmKeyUp ? (1u | (1u << 30) | (1u << 31)) : 1u;
  QueueMessage(message, vk, static_cast<intptr_t>(static_cast<int32_t>(param)));
}

int SlotOf(SDL_JoystickID id) {
  for (int slot = 0; slot < HeldKeys::kSources; ++slot) {
    if (pads[slot].controller && pads[slot].id == id) return slot;
  }
  return -1;
}

float AxisValue(Sint16 value) {
  return value < 0 ? static_cast<float>(value) / 32768.0f : static_cast<float>(value) / 32767.0f;
}

void SetButton(PadInput& input, uint8_t button, bool down) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      input.dpadLeft = down;
      break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      input.dpadRight = down;
      break;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      input.dpadUp = down;
      break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      input.dpadDown = down;
      break;
    case SDL_CONTROLLER_BUTTON_A:
      input.a = down;
      break;
    case SDL_CONTROLLER_BUTTON_B:
      input.b = down;
      break;
    case SDL_CONTROLLER_BUTTON_X:
      input.x = down;
      break;
    case SDL_CONTROLLER_BUTTON_BACK:
      input.back = down;
      break;
    case SDL_CONTROLLER_BUTTON_START:
      input.start = down;
      break;
    default:
      break;
  }
}

void Open(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (SlotOf(id) >= 0) return;  // already taken (SDL reports pads present at start-up too)
  int slot = 0;
  while (slot < HeldKeys::kSources && pads[slot].controller) ++slot;
  if (slot == HeldKeys::kSources) return;  // more pads than anyone plays with
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) {
    std::fprintf(stderr, "lumivex: gamepad %d: %s\n", deviceIndex, SDL_GetError());
    return;
  }
  Pad& pad = pads[slot];
  pad.controller = controller;
  pad.id = id;
  pad.input = PadInput();
  // What is held already when it is taken counts from now on.
  for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
    const auto b = static_cast<SDL_GameControllerButton>(button);
    SetButton(pad.input, static_cast<uint8_t>(button), SDL_GameControllerGetButton(controller, b));
  }
  pad.input.stickX = AxisValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
  pad.input.stickY = AxisValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
  heldKeys.Set(slot, PadHeldKeys(pad.input), PostKey);
}

void Close(int slot) {
  SDL_GameControllerClose(pads[slot].controller);
  pads[slot] = Pad();
  heldKeys.Set(slot, 0, PostKey);  // a pad pulled out holds nothing
}

}  // namespace

void OpenGamepads() {
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "lumivex: no gamepads: %s\n", SDL_GetError());
    return;
  }
  const std::string mappings = PlatformResolvePath("data\\..\\gamecontrollerdb.txt");
  if (std::FILE* file = std::fopen(mappings.c_str(), "rb")) {
    std::fclose(file);
    if (SDL_GameControllerAddMappingsFromFile(mappings.c_str()) < 0) {
      std::fprintf(stderr, "lumivex: %s: %s\n", mappings.c_str(), SDL_GetError());
    }
  }
  // The pads already plugged in arrive as SDL_CONTROLLERDEVICEADDED events.
}

void CloseGamepads() {
  if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
  for (int slot = 0; slot < HeldKeys::kSources; ++slot) {
    if (pads[slot].controller) {
      SDL_GameControllerClose(pads[slot].controller);
      pads[slot] = Pad();
    }
  }
  heldKeys = HeldKeys();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void TranslatePadEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      Open(event.cdevice.which);  // a device index
      return;
    case SDL_CONTROLLERDEVICEREMOVED: {
      const int slot = SlotOf(event.cdevice.which);  // an instance id
      if (slot >= 0) Close(slot);
      return;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const int slot = SlotOf(event.cbutton.which);
      if (slot < 0) return;
      SetButton(pads[slot].input, event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN);
      heldKeys.Set(slot, PadHeldKeys(pads[slot].input), PostKey);
      return;
    }
    case SDL_CONTROLLERAXISMOTION: {
      const int slot = SlotOf(event.caxis.which);
      if (slot < 0) return;
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        pads[slot].input.stickX = AxisValue(event.caxis.value);
      } else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        pads[slot].input.stickY = AxisValue(event.caxis.value);
      } else {
        return;
      }
      heldKeys.Set(slot, PadHeldKeys(pads[slot].input), PostKey);
      return;
    }
    default:
      return;
  }
}

}  // namespace sdl_platform
