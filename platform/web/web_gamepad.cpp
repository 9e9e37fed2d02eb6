// Gamepads in the page, through the Gamepad API, sampled once a frame: a pad in the
// browser's "standard" layout holds the same keys as on the desktop (platform/held_keys.h).
// A press and release between two samples is not seen: the API keeps no events.
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>

#include "platform/web/web_internal.h"

namespace {

// The "standard" layout's buttons and axes.
enum StandardButton {
  kA = 0,
  kB = 1,
  kX = 2,
  kBack = 8,
  kStart = 9,
  kUp = 12,
  kDown,
  kLeft,
  kRight
};

bool unknownLayoutSaid = false;

bool Button(const EmscriptenGamepadEvent& state, int button) {
  return button < state.numButtons && state.digitalButton[button];
}

PadInput StandardPad(const EmscriptenGamepadEvent& state) {
  PadInput pad;
  pad.dpadLeft = Button(state, kLeft);
  pad.dpadRight = Button(state, kRight);
  pad.dpadUp = Button(state, kUp);
  pad.dpadDown = Button(state, kDown);
  if (state.numAxes >= 2) {
    pad.stickX = static_cast<float>(state.axis[0]);
    pad.stickY = static_cast<float>(state.axis[1]);
  }
  pad.a = Button(state, kA);
  pad.b = Button(state, kB);
  pad.x = Button(state, kX);
  pad.back = Button(state, kBack);
  pad.start = Button(state, kStart);
  return pad;
}

}  // namespace

void WebPollGamepads() {
  // No Gamepad API (an origin that is not secure, an old browser): no pads.
  if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
  const int count = emscripten_get_num_gamepads();
  for (int slot = 0; slot < kWebPadSources; ++slot) {
    uint32_t held = 0;
    EmscriptenGamepadEvent state;
    if (slot < count && emscripten_get_gamepad_status(slot, &state) == EMSCRIPTEN_RESULT_SUCCESS &&
        state.connected) {
      if (std::strcmp(state.mapping, "standard") == 0) {
        held = PadHeldKeys(StandardPad(state));
      } else if (!unknownLayoutSaid) {
        // Which button is which is known only for the standard layout.
        std::printf("Gamepad \"%s\" has no standard layout; it is not used\n", state.id);
        std::fflush(stdout);
        unknownLayoutSaid = true;
      }
    }
    WebHeldKeys().Set(kWebSourcePad0 + slot, held, WebPostKey);
  }
}
