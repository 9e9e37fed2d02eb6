// The platform layer in a browser page: the canvas is the window, the Fullscreen API the
// display mode, WebGL 1 the GL context (drawn through platform/gl11), DOM events the
// messages and a modal <dialog> the message box. A box cannot block the page's one thread:
// it is shown and answered OK at once, and no frame is drawn while it stays open.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <deque>

#include "platform/gl11/gl11.h"
#include "platform/web/web_internal.h"

namespace {

WindowProc windowProc = nullptr;
std::deque<Message> queue;
int cursorCount = 0;
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;
bool eventsHooked = false;
bool frameSampled = false;  // the gamepads and the canvas's size, since the last swap
HeldKeys heldKeys;
// Non-null stand-ins: the page has one window, one device context; never dereferenced.
int windowToken = 0;
int dcToken = 0;
const WindowHandle kWindow = reinterpret_cast<WindowHandle>(&windowToken);
const DeviceContext kDc = reinterpret_cast<DeviceContext>(&dcToken);

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
  const uint32_t vk = VirtualKeyFromCode(event->code);
  if (vk == 0) return EM_FALSE;
  // Keys held with Alt are system keys on the desktop and never reach the show.
  const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
  const uint32_t message =
      event->altKey ? (down ? kWmSysKeyDown : kWmSysKeyUp) : (down ? kWmKeyDown : kWmKeyUp);
  WebPostMessage(message, vk, 0);
  return ShowUsesKey(vk) ? EM_TRUE : EM_FALSE;  // true: no scrolling by the page
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  // A hidden tab is a minimised window: the high word of WM_ACTIVATE's wParam.
  const uintptr_t minimised = event->hidden ? 1u : 0u;
  WebPostMessage(kWmActivate, (minimised << 16) | (event->hidden ? 0u : 1u), 0);
  return EM_FALSE;
}

void HookEvents() {
  if (eventsHooked) return;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
  emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, OnVisibility);
  WebHookTouch();
  eventsHooked = true;
}

// The largest drawing buffer side: WebGL 1's guaranteed texture and viewport sizes go
// beyond it on every phone, and more pixels than this no screen shows.
constexpr double kMaxBufferSide = 4096.0;

// The canvas's drawing buffer follows its size on the screen, in device pixels, so the
// show is sharp at any devicePixelRatio and in either orientation; the show hears of a new
// size as a window does, through WM_SIZE.
void FitCanvas() {
  double cssWidth = 0, cssHeight = 0;
  if (emscripten_get_element_css_size("#canvas", &cssWidth, &cssHeight) !=
          EMSCRIPTEN_RESULT_SUCCESS ||
      cssWidth < 1 || cssHeight < 1) {
    return;
  }
  double scale = emscripten_get_device_pixel_ratio();
  if (!(scale > 0)) scale = 1;
  scale = std::fmin(scale, kMaxBufferSide / std::fmax(cssWidth, cssHeight));
  const int width = static_cast<int>(std::lround(cssWidth * scale));
  const int height = static_cast<int>(std::lround(cssHeight * scale));
  int shownWidth = 0, shownHeight = 0;
  emscripten_get_canvas_element_size("#canvas", &shownWidth, &shownHeight);
  if (width == shownWidth && height == shownHeight) return;
  emscripten_set_canvas_element_size("#canvas", width, height);
  WebPostMessage(kWmSize, 0, static_cast<intptr_t>(width | (height << 16)));
}

}  // namespace

HeldKeys& WebHeldKeys() {
  return heldKeys;
}

void WebPostKey(uint32_t message, uint8_t vk) {
  WebPostMessage(message, vk, 0);
}

void WebPostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Message m;
  m.window = kWindow;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  queue.push_back(m);
}

bool PlatformRegisterClass(const char*, WindowProc proc) {
  windowProc = proc;
  return proc != nullptr;
}

bool PlatformChangeDisplayMode(int, int, int) {
  // Asked for within the start button's click; refused, the page letterboxes the canvas.
  EM_ASM({ lumivexPage.requestFullscreen(); });
  return true;
}

void PlatformRestoreDisplayMode() {
  EM_ASM({ lumivexPage.exitFullscreen(); });
}

WindowHandle PlatformCreateWindow(const char*, const char* title, uint32_t, int width, int height) {
  emscripten_set_canvas_element_size("#canvas", width, height);
  EM_ASM({ document.title = UTF8ToString($0); }, title ? title : "");
  HookEvents();
  return kWindow;
}

void PlatformShowWindow(WindowHandle) {}

bool PlatformDestroyWindow(WindowHandle) {
  heldKeys = HeldKeys();  // a next start begins with nothing held
  return true;
}

DeviceContext PlatformGetDC(WindowHandle) {
  return kDc;
}

bool PlatformReleaseDC(WindowHandle, DeviceContext) {
  return true;
}

int PlatformChoosePixelFormat(DeviceContext, const PixelFormatDescriptor*) {
  return 1;
}

bool PlatformSetPixelFormat(DeviceContext, int, const PixelFormatDescriptor*) {
  return true;
}

bool PlatformSwapBuffers(DeviceContext) {
  // The browser shows the canvas when the animation frame's callback returns.
  frameSampled = false;
  return true;
}

RenderingContext PlatformCreateContext(DeviceContext) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_FALSE;
  attributes.antialias = EM_FALSE;
  // Kept after each frame, so the page (and its tests) can read the last frame back.
  attributes.preserveDrawingBuffer = EM_TRUE;
  attributes.majorVersion = 1;
  attributes.minorVersion = 0;
  webgl = emscripten_webgl_create_context("#canvas", &attributes);
  if (webgl <= 0) return nullptr;
  gl11Reset();  // a new context: the layer's lists and objects start afresh
  return reinterpret_cast<RenderingContext>(static_cast<intptr_t>(webgl));
}

bool PlatformMakeCurrent(DeviceContext, RenderingContext context) {
  if (!context) return emscripten_webgl_make_context_current(0) == EMSCRIPTEN_RESULT_SUCCESS;
  const auto handle =
      static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(reinterpret_cast<intptr_t>(context));
  return emscripten_webgl_make_context_current(handle) == EMSCRIPTEN_RESULT_SUCCESS;
}

bool PlatformDeleteContext(RenderingContext context) {
  if (!context) return false;
  const auto handle =
      static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(reinterpret_cast<intptr_t>(context));
  webgl = 0;
  return emscripten_webgl_destroy_context(handle) == EMSCRIPTEN_RESULT_SUCCESS;
}

// The page draws through the GL 1.1 layer (platform/gl11), which hands out nothing beyond 1.1.
void* PlatformGetProcAddress(const char*) {
  return nullptr;
}

bool PlatformPeekMessage(Message* message) {
  // Once a frame, before its messages: what has no events of its own.
  if (!frameSampled && windowProc) {
    frameSampled = true;
    WebPollGamepads();
    FitCanvas();
  }
  if (queue.empty()) return false;
  *message = queue.front();
  queue.pop_front();
  return true;
}

intptr_t PlatformDispatchMessage(const Message* message) {
  if (!windowProc || !message) return 0;
  return windowProc(message->window, message->message, message->wParam, message->lParam);
}

void PlatformPostQuitMessage(int exitCode) {
  WebPostMessage(kWmQuit, static_cast<uintptr_t>(exitCode), 0);
}

intptr_t PlatformDefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) {
  return 0;
}

// The page's clock; its frames are paced by the page itself (index.html), never by a wait.
int64_t PlatformClock() {
  return static_cast<int64_t>(emscripten_get_now() * 1000.0);
}
bool PlatformWaitMessage(int64_t) {
  return !queue.empty();
}
bool PlatformSetSwapInterval(DeviceContext, int) {
  return false;
}

int PlatformMessageBox(const char* text, const char* caption, uint32_t type) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  EM_ASM({ lumivexPage.showBox(UTF8ToString($0), UTF8ToString($1)); }, caption ? caption : "",
         text ? text : "");
  // The page cannot wait for the answer: OK, or No for a question, as without a display.
  return (type & kMbYesNo) == kMbYesNo ? kIdNo : kIdOk;
}

bool PlatformMessageBoxOpen() {
  return EM_ASM_INT({ return lumivexPage.boxOpen() ? 1 : 0; }) != 0;
}

int PlatformShowCursor(bool show) {
  cursorCount += show ? 1 : -1;
  EM_ASM({ lumivexPage.showCursor($0 >= 0); }, cursorCount);
  return cursorCount;
}
