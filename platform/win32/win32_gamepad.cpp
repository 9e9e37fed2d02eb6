// Gamepads on Windows through XInput, which Windows has had since XP (the native backend
// has no SDL): sampled once a frame, each pad's buttons and left stick become the show's
// keys (platform/held_keys.h), posted to the show's window as the keyboard's are. XInput
// is loaded at run time, so a system without it runs the show without pads. A pad
// plugged in while the show runs is found within a second; one pulled out lets go of
// what it held at once.
#include <xinput.h>

#include "platform/win32/win32_internal.h"

namespace {

using GetStateFn = DWORD(WINAPI*)(DWORD user, XINPUT_STATE* state);

GetStateFn getState = nullptr;
bool looked = false;  // for the XInput library
HWND target = nullptr;
bool sampled = false;  // since the last swap
HeldKeys heldKeys;
bool connected[XUSER_MAX_COUNT] = {};
// Asking an empty slot costs milliseconds on Windows: empty slots are asked again only
// every kLookEvery frames.
constexpr int kLookEvery = 60;
int framesSinceLook = kLookEvery;

void PostKey(uint32_t message, uint8_t vk) {
  // lParam as for a key: repeat count 1; a release has its previous-state and transition
  // bits set.
  const LPARAM param = message == kWmKeyUp ? static_cast<LPARAM>(0xC0000001u) : 1;
  if (target) PostMessageA(target, message, vk, param);
}

GetStateFn LoadXInput() {
  // Windows 8 on, then the one of Vista and 7, then the DirectX runtime's.
  for (const char* name : {"xinput1_4.dll", "xinput9_1_0.dll", "xinput1_3.dll"}) {
    if (HMODULE library = LoadLibraryA(name)) {
      auto function = reinterpret_cast<GetStateFn>(
          reinterpret_cast<void*>(GetProcAddress(library, "XInputGetState")));
      if (function) return function;
      FreeLibrary(library);
    }
  }
  return nullptr;
}

}  // namespace

namespace win32_platform {

void SetGamepadWindow(HWND window) {
  target = window;
  if (!window) {
    heldKeys = HeldKeys();
    for (bool& c : connected) c = false;
  }
}

void SampleGamepads() {
  if (sampled || !target) return;
  sampled = true;
  if (!looked) {
    looked = true;
    getState = LoadXInput();
  }
  if (!getState) return;
  const bool lookAtEmpty = ++framesSinceLook >= kLookEvery;
  if (lookAtEmpty) framesSinceLook = 0;
  for (DWORD user = 0; user < XUSER_MAX_COUNT; ++user) {
    if (!connected[user] && !lookAtEmpty) continue;
    XINPUT_STATE state{};
    connected[user] = getState(user, &state) == ERROR_SUCCESS;
    if (!connected[user]) {
      heldKeys.Set(static_cast<int>(user), 0, PostKey);
      continue;
    }
    const XINPUT_GAMEPAD& pad = state.Gamepad;
    heldKeys.Set(static_cast<int>(user),
                 PadHeldKeys(XInputPad(pad.wButtons, pad.sThumbLX, pad.sThumbLY)), PostKey);
  }
}

void GamepadFrameShown() {
  sampled = false;
}

}  // namespace win32_platform
