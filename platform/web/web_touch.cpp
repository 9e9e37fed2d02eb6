// Touch in the page as the show's keys: a finger dragged across the stage holds the arrow
// of the side it is off to (platform/held_keys.h), and the page's touch buttons hold 1, 2,
// 3 and Escape while a finger is on them. Down and up within one frame stay a tap: the
// messages go out as they happen and the frame pass latches the key.
#include <emscripten/html5.h>

#include "platform/web/web_internal.h"

namespace {

long dragFinger = -1;  // the identifier of the finger that steers, -1 when none
long dragStartX = 0, dragStartY = 0;
uint32_t buttonsHeld = 0;

struct TouchButton {
  const char* selector;
  uint32_t bit;
};
constexpr TouchButton kButtons[] = {
    {"#touch-key-1", kHold1},
    {"#touch-key-2", kHold2},
    {"#touch-key-3", kHold3},
    {"#touch-key-end", kHoldEscape},
};

const EmscriptenTouchPoint* Find(const EmscriptenTouchEvent* event, long identifier) {
  for (int i = 0; i < event->numTouches; ++i) {
    if (event->touches[i].identifier == identifier) return &event->touches[i];
  }
  return nullptr;
}

// Returning true keeps the browser's own use of the touch (scrolling, zoom, the mouse
// events it would make of a tap) away from the show.
EM_BOOL OnDrag(int type, const EmscriptenTouchEvent* event, void*) {
  if (type == EMSCRIPTEN_EVENT_TOUCHSTART) {
    if (dragFinger >= 0) return EM_TRUE;  // a second finger does not steer
    for (int i = 0; i < event->numTouches; ++i) {
      const EmscriptenTouchPoint& point = event->touches[i];
      if (!point.isChanged) continue;
      dragFinger = point.identifier;
      dragStartX = point.clientX;
      dragStartY = point.clientY;
      break;
    }
    return EM_TRUE;
  }
  const EmscriptenTouchPoint* finger = Find(event, dragFinger);
  if (dragFinger < 0 || !finger || !finger->isChanged) return EM_TRUE;
  if (type == EMSCRIPTEN_EVENT_TOUCHMOVE) {
    const float dx = static_cast<float>(finger->clientX - dragStartX);
    const float dy = static_cast<float>(finger->clientY - dragStartY);
    WebHeldKeys().Set(kWebSourceDrag, DragHeldKeys(dx, dy), WebPostKey);
  } else {  // lifted or cancelled
    dragFinger = -1;
    WebHeldKeys().Set(kWebSourceDrag, 0, WebPostKey);
  }
  return EM_TRUE;
}

EM_BOOL OnButton(int, const EmscriptenTouchEvent* event, void* userData) {
  const uint32_t bit = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(userData));
  // Held while any finger that went down on this button is still down.
  bool held = false;
  for (int i = 0; i < event->numTouches; ++i) held = held || event->touches[i].onTarget;
  buttonsHeld = held ? (buttonsHeld | bit) : (buttonsHeld & ~bit);
  WebHeldKeys().Set(kWebSourceButtons, buttonsHeld, WebPostKey);
  return EM_TRUE;
}

}  // namespace

void WebHookTouch() {
  // The buttons lie over the drag surface, not inside it: their touches never steer.
  const char* surface = "#touch-surface";
  emscripten_set_touchstart_callback(surface, nullptr, EM_FALSE, OnDrag);
  emscripten_set_touchmove_callback(surface, nullptr, EM_FALSE, OnDrag);
  emscripten_set_touchend_callback(surface, nullptr, EM_FALSE, OnDrag);
  emscripten_set_touchcancel_callback(surface, nullptr, EM_FALSE, OnDrag);
  for (const TouchButton& button : kButtons) {
    void* bit = reinterpret_cast<void*>(static_cast<uintptr_t>(button.bit));
    emscripten_set_touchstart_callback(button.selector, bit, EM_FALSE, OnButton);
    emscripten_set_touchend_callback(button.selector, bit, EM_FALSE, OnButton);
    emscripten_set_touchcancel_callback(button.selector, bit, EM_FALSE, OnButton);
  }
}
