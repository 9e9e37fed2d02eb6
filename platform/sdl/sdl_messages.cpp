// The message pump on SDL2: SDL events become the window-procedure messages the show's
// window procedure is written against, handed out one per call.
#include "platform/sdl/sdl_internal.h"

namespace sdl_platform {

void QueueMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  State& state = Get();
  Message m;
  m.window = state.window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  state.queue.push_back(m);
}

namespace {

std::string droppedFile;  // the last file dropped on the window

bool Minimised() {
  const State& state = Get();
  return state.window && state.window->sdl &&
         (SDL_GetWindowFlags(state.window->sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

uintptr_t ActivateParam(uint32_t how, bool minimised) {
  return static_cast<uintptr_t>(how) | (static_cast<uintptr_t>(minimised ? 1 : 0) << 16);
}

// lParam of a key message: repeat count 1, scancode in bits 16-23, bit 30 the previous
// key state, bit 31 set on release.
intptr_t KeyParam(const SDL_KeyboardEvent& key, bool up) {
  uint32_t param = 1u | ((static_cast<uint32_t>(key.keysym.scancode) & 0xFFu) << 16);
  if (key.repeat || up) param |= 1u << 30;
  if (up) param |= 1u << 31;
  return static_cast<intptr_t>(static_cast<int32_t>(param));
}

void TranslateKey(const SDL_KeyboardEvent& key) {
  State& state = Get();
  const uint8_t vk = VirtualKey(key.keysym.scancode, key.keysym.sym);
  if (vk == 0) return;
  const bool altHeld = (key.keysym.mod & KMOD_ALT) != 0 || vk == kVkMenu;
  if (key.type == SDL_KEYDOWN) {
    // Keys pressed with Alt held are system keys: the show's key table never sees them.
    if (altHeld) {
      QueueMessage(kWmSysKeyDown, vk, KeyParam(key, false));
    } else {
      state.keyDown[vk] = true;
      QueueMessage(kWmKeyDown, vk, KeyParam(key, false));
    }
  } else {
    // A key that went down as an ordinary key comes up as one, even when Alt was
    // pressed meanwhile, so no flag is left set with the key released.
    if (state.keyDown[vk]) {
      state.keyDown[vk] = false;
      QueueMessage(kWmKeyUp, vk, KeyParam(key, true));
    } else {
      QueueMessage(kWmSysKeyUp, vk, KeyParam(key, true));
    }
  }
}

// A point as a mouse message's lParam: x in the low word, y in the high word.
intptr_t PointParam(int x, int y) {
  const uint32_t point = (static_cast<uint32_t>(x) & 0xFFFFu) | (static_cast<uint32_t>(y) << 16);
  return static_cast<intptr_t>(static_cast<int32_t>(point));
}

bool OurWindow(uint32_t windowID) {
  const State& state = Get();
  return state.window && state.window->sdl && windowID == SDL_GetWindowID(state.window->sdl);
}

// Only the left button and the wheel have messages; the other buttons go unsaid.
void TranslateMouse(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEMOTION:
      if (!OurWindow(event.motion.windowID)) return;
      QueueMessage(kWmMouseMove, (event.motion.state & SDL_BUTTON_LMASK) ? kMkLButton : 0,
                   PointParam(event.motion.x, event.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (!OurWindow(event.button.windowID) || event.button.button != SDL_BUTTON_LEFT) return;
      if (event.type == SDL_MOUSEBUTTONDOWN) {
        QueueMessage(kWmLButtonDown, kMkLButton, PointParam(event.button.x, event.button.y));
      } else {
        QueueMessage(kWmLButtonUp, 0, PointParam(event.button.x, event.button.y));
      }
      break;
    case SDL_MOUSEWHEEL: {
      if (!OurWindow(event.wheel.windowID) || event.wheel.y == 0) return;
      const int notches =
          event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      const uint32_t turn = static_cast<uint32_t>(notches * kWheelDelta) & 0xFFFFu;
      const uint32_t held = (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) ? 1u : 0u;
      int x = 0, y = 0;
      SDL_GetGlobalMouseState(&x, &y);
      QueueMessage(kWmMouseWheel, static_cast<uintptr_t>((turn << 16) | held), PointParam(x, y));
      break;
    }
    default:
      break;
  }
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  const State& state = Get();
  if (!state.window || !state.window->sdl || event.windowID != SDL_GetWindowID(state.window->sdl)) {
    return;
  }
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
      QueueMessage(kWmActivate, ActivateParam(kWaInactive, true), 0);
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
      QueueMessage(kWmActivate, ActivateParam(kWaActive, false), 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      QueueMessage(kWmActivate, ActivateParam(kWaActive, Minimised()), 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      QueueMessage(kWmActivate, ActivateParam(kWaInactive, Minimised()), 0);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      // lParam: client width in the low word, height in the high word.
      const uint32_t w = static_cast<uint32_t>(event.data1) & 0xFFFFu;
      const uint32_t h = static_cast<uint32_t>(event.data2) & 0xFFFFu;
      QueueMessage(kWmSize, 0, static_cast<intptr_t>(w | (h << 16)));
      break;
    }
    case SDL_WINDOWEVENT_CLOSE:
      QueueMessage(kWmClose, 0, 0);
      break;
    default:
      break;
  }
}

}  // namespace

void TranslateEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(event.key);
      break;
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(event.window);
      break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
      TranslateMouse(event);
      break;
    case SDL_DROPFILE:
      if (event.drop.file) {
        droppedFile = event.drop.file;
        SDL_free(event.drop.file);
        QueueMessage(kWmDropFiles, 0, 0);
      }
      break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
      TranslatePadEvent(event);
      break;
    case SDL_QUIT:
      // A request to end from outside (a signal): the same as closing the window.
      if (Get().window) {
        QueueMessage(kWmClose, 0, 0);
      } else {
        QueueMessage(kWmQuit, 0, 0);
      }
      break;
    default:
      break;
  }
}

}  // namespace sdl_platform

using sdl_platform::Get;

bool PlatformPeekMessage(Message* message) {
  sdl_platform::State& state = Get();
  if (state.queue.empty() && SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_Event event;
    while (state.queue.empty() && SDL_PollEvent(&event)) sdl_platform::TranslateEvent(event);
  }
  if (state.queue.empty()) return false;
  if (message) *message = state.queue.front();
  state.queue.pop_front();
  return true;
}

intptr_t PlatformDispatchMessage(const Message* message) {
  const sdl_platform::State& state = Get();
  // Messages without a window (the quit) have no window procedure to go to.
  if (!message || !message->window || !state.proc) return 0;
  return state.proc(message->window, message->message, message->wParam, message->lParam);
}

void PlatformPostQuitMessage(int exitCode) {
  Message quit;
  quit.message = kWmQuit;
  quit.wParam = static_cast<uintptr_t>(exitCode);
  Get().queue.push_back(quit);
}

intptr_t PlatformDefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
  // Nothing the show leaves to the default needs doing here: SDL moves, paints and
  // sizes the window itself, and a close only ever arrives as WM_CLOSE.
  return 0;
}

const char* PlatformDroppedFile() {
  return sdl_platform::droppedFile.c_str();
}
