// The message pump on Win32: PeekMessageA hands out one message at a time, and the
// dispatch translates it (TranslateMessage) and sends it to its window's procedure.
#include "platform/win32/win32_internal.h"

// Win32 hands the mouse messages to the window procedure as they are: the layer's numbers
// must be Win32's own.
static_assert(kWmMouseMove == WM_MOUSEMOVE && kWmLButtonDown == WM_LBUTTONDOWN &&
                  kWmLButtonUp == WM_LBUTTONUP && kWmMouseWheel == WM_MOUSEWHEEL,
              "mouse message numbers");
static_assert(kMkLButton == MK_LBUTTON && kWheelDelta == WHEEL_DELTA, "mouse flags");

namespace {

// The last message taken off the queue, whole (time and cursor point included), so its
// dispatch hands Win32 exactly what PeekMessageA returned.
MSG lastPeeked{};

bool SameMessage(const MSG& msg, const Message& message) {
  return Handle<WindowHandle>(msg.hwnd) == message.window && msg.message == message.message &&
         msg.wParam == message.wParam && msg.lParam == message.lParam;
}

}  // namespace

bool PlatformPeekMessage(Message* message) {
  win32_platform::SampleGamepads();  // its keys join the queue before the frame's pass
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  lastPeeked = msg;
  if (message) {
    message->window = Handle<WindowHandle>(msg.hwnd);
    message->message = msg.message;
    message->wParam = msg.wParam;
    message->lParam = msg.lParam;
  }
  return true;
}

intptr_t PlatformDispatchMessage(const Message* message) {
  if (!message) return 0;
  MSG msg = lastPeeked;
  if (!SameMessage(msg, *message)) {
    msg = MSG{};
    msg.hwnd = Handle<HWND>(message->window);
    msg.message = message->message;
    msg.wParam = message->wParam;
    msg.lParam = message->lParam;
    msg.time = GetMessageTime();
  }
  TranslateMessage(&msg);
  return DispatchMessageA(&msg);
}

void PlatformPostQuitMessage(int exitCode) {
  PostQuitMessage(exitCode);
}

intptr_t PlatformDefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) {
  return DefWindowProcA(Handle<HWND>(window), message, wParam, lParam);
}

const char* PlatformDroppedFile() {
  return "";
}
