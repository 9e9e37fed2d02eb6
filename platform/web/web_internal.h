// What the browser backend's files share: the key mapping and the message queue.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The virtual-key code of a KeyboardEvent.code ("KeyA", "Digit1", "ArrowLeft"...); 0 for
// a key the table does not know.
uint32_t VirtualKeyFromCode(const char* code);
// Keys whose default action (scrolling, focus moves) the page must not take.
bool ShowUsesKey(uint32_t vk);
// Queues a message for the window, as the desktop's event pump would.
void WebPostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
