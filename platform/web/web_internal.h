// What the browser backend's files share: the key mapping, the message queue, and the
// touch and gamepad sources of held keys.
#pragma once

#include <cstdint>

#include "platform/held_keys.h"
#include "platform/platform.h"

// The virtual-key code of a KeyboardEvent.code ("KeyA", "Digit1", "ArrowLeft"...); 0 for
// a key the table does not know.
uint32_t VirtualKeyFromCode(const char* code);
// Keys whose default action (scrolling, focus moves) the page must not take.
bool ShowUsesKey(uint32_t vk);
// Queues a message for the window, as the desktop's event pump would.
void WebPostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

// The page's sources of held keys (platform/held_keys.h): the steering finger, the touch
// buttons, then one source per gamepad slot.
constexpr int kWebSourceDrag = 0;
constexpr int kWebSourceButtons = 1;
constexpr int kWebSourcePad0 = 2;
constexpr int kWebPadSources = HeldKeys::kSources - kWebSourcePad0;
HeldKeys& WebHeldKeys();
// Queues a held key's WM_KEYDOWN or WM_KEYUP (HeldKeys::Post).
void WebPostKey(uint32_t message, uint8_t vk);

// Registers the drag surface's and the touch buttons' events (web_touch.cpp).
void WebHookTouch();
// Samples the gamepads and posts what changed (web_gamepad.cpp); once a frame.
void WebPollGamepads();
