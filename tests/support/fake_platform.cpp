// The scripted platform: see fake_platform.h.
#include "tests/support/fake_platform.h"

#include <cstdio>

#include "platform/module_player.h"

namespace fake {

State state;

void Reset() {
  std::unique_ptr<HeadlessGL> gl = std::move(state.gl);
  state = State();
  state.gl = std::move(gl);
}

void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Message m;
  m.window = reinterpret_cast<WindowHandle>(&state);
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  state.queue.push_back(m);
}

int CountCalls(const std::string& prefix) {
  int n = 0;
  for (const std::string& call : state.calls) {
    if (call.compare(0, prefix.size(), prefix) == 0) ++n;
  }
  return n;
}

namespace {
bool Fails(const char* step) {
  return state.failing.count(step) != 0;
}
void Record(const std::string& call) {
  state.calls.push_back(call);
}
WindowHandle TheWindow() {
  return reinterpret_cast<WindowHandle>(&state);
}
}  // namespace

}  // namespace fake

using fake::state;

bool PlatformRegisterClass(const char* className, WindowProc proc) {
  fake::Record(std::string("RegisterClass ") + className);
  if (fake::Fails("RegisterClass")) return false;
  state.proc = proc;
  return true;
}

bool PlatformChangeDisplayMode(int width, int height, int bits) {
  fake::Record("ChangeDisplayMode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
               std::to_string(bits));
  if (fake::Fails("ChangeDisplayMode")) return false;
  state.displayChanged = true;
  return true;
}

void PlatformRestoreDisplayMode() {
  fake::Record("RestoreDisplayMode");
  state.displayChanged = false;
}

WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style,
                                  int width, int height) {
  fake::Record(std::string("CreateWindow ") + className + " " + title + " " +
               std::to_string(width) + "x" + std::to_string(height));
  if (fake::Fails("CreateWindow")) return nullptr;
  state.windowStyle = style;
  state.windowExists = true;
  return fake::TheWindow();
}

void PlatformShowWindow(WindowHandle) {
  fake::Record("ShowWindow");
}

bool PlatformDestroyWindow(WindowHandle) {
  fake::Record("DestroyWindow");
  if (fake::Fails("DestroyWindow")) return false;
  state.windowExists = false;
  return true;
}

DeviceContext PlatformGetDC(WindowHandle) {
  fake::Record("GetDC");
  if (fake::Fails("GetDC")) return nullptr;
  return reinterpret_cast<DeviceContext>(&state);
}

bool PlatformReleaseDC(WindowHandle, DeviceContext) {
  fake::Record("ReleaseDC");
  return !fake::Fails("ReleaseDC");
}

int PlatformChoosePixelFormat(DeviceContext, const PixelFormatDescriptor* pfd) {
  fake::Record("ChoosePixelFormat " + std::to_string(pfd->cColorBits) + "/" +
               std::to_string(pfd->cDepthBits));
  return fake::Fails("ChoosePixelFormat") ? 0 : 1;
}

bool PlatformSetPixelFormat(DeviceContext, int format, const PixelFormatDescriptor*) {
  fake::Record("SetPixelFormat " + std::to_string(format));
  return !fake::Fails("SetPixelFormat");
}

bool PlatformSwapBuffers(DeviceContext) {
  ++state.swaps;
  if (state.onSwap) state.onSwap();
  return true;
}

RenderingContext PlatformCreateContext(DeviceContext) {
  fake::Record("CreateContext");
  if (fake::Fails("CreateContext")) return nullptr;
  if (!state.gl) state.gl = std::make_unique<HeadlessGL>();
  return reinterpret_cast<RenderingContext>(state.gl.get());
}

bool PlatformMakeCurrent(DeviceContext dc, RenderingContext context) {
  if (!dc && !context) {
    fake::Record("ReleaseCurrent");
    state.contextCurrent = false;
    return !fake::Fails("ReleaseCurrent");
  }
  fake::Record("MakeCurrent");
  if (fake::Fails("MakeCurrent")) return false;
  if (state.gl) state.gl->MakeCurrent();
  state.contextCurrent = true;
  return true;
}

bool PlatformDeleteContext(RenderingContext) {
  fake::Record("DeleteContext");
  return !fake::Fails("DeleteContext");
}

// No driver behind the script: drawing tests that need GL functions find them through
// HeadlessGL::ProcAddress.
void* PlatformGetProcAddress(const char*) {
  return nullptr;
}

bool PlatformPeekMessage(Message* message) {
  if (state.queue.empty()) return false;
  *message = state.queue.front();
  state.queue.pop_front();
  return true;
}

intptr_t PlatformDispatchMessage(const Message* message) {
  if (!state.proc) return 0;
  return state.proc(message->window, message->message, message->wParam, message->lParam);
}

void PlatformPostQuitMessage(int exitCode) {
  fake::Record("PostQuitMessage " + std::to_string(exitCode));
  Message quit;
  quit.message = kWmQuit;
  quit.wParam = static_cast<uintptr_t>(exitCode);
  state.queue.push_back(quit);
}

intptr_t PlatformDefWindowProc(WindowHandle, uint32_t message, uintptr_t, intptr_t) {
  fake::Record("DefWindowProc " + std::to_string(message));
  return 0;
}

int64_t PlatformClock() {
  return state.clock;
}

bool PlatformWaitMessage(int64_t until) {
  if (!state.queue.empty()) return true;
  fake::Record(until == kWaitForever ? "WaitMessage forever" : "WaitMessage");
  if (state.onWait) state.onWait(until);
  if (!state.queue.empty()) return true;
  if (until == kWaitForever) {
    PlatformPostQuitMessage(fake::kNoWakeCode);
    return true;
  }
  if (state.clock < until) state.clock = until;
  return false;
}

bool PlatformSetSwapInterval(DeviceContext, int interval) {
  fake::Record("SetSwapInterval " + std::to_string(interval));
  return state.vsync;
}

int PlatformMessageBox(const char* text, const char* caption, uint32_t type) {
  state.boxes.push_back({text ? text : "", caption ? caption : "", type});
  fake::Record(std::string("MessageBox ") + (caption ? caption : ""));
  if (state.onBox) state.onBox();
  if ((type & 0x0F) == kMbYesNo) {
    if (state.boxAnswers.empty()) return kIdNo;
    const int answer = state.boxAnswers.front();
    state.boxAnswers.pop_front();
    return answer;
  }
  return kIdOk;
}

// A scripted box is answered as it is shown.
bool PlatformMessageBoxOpen() {
  return false;
}

int PlatformShowCursor(bool show) {
  state.cursorCount += show ? 1 : -1;
  fake::Record(show ? "ShowCursor 1" : "ShowCursor 0");
  return state.cursorCount;
}

// The module player: a position the test controls.

bool ModuleDeviceInit(int, uint32_t frequency) {
  fake::Record("ModuleDeviceInit " + std::to_string(frequency));
  state.soundDeviceOpen = !fake::Fails("ModuleDeviceInit");
  return state.soundDeviceOpen;
}

bool ModuleDeviceInitOffline(uint32_t frequency) {
  fake::Record("ModuleDeviceInitOffline " + std::to_string(frequency));
  return !fake::Fails("ModuleDeviceInit");
}

void ModuleDeviceFree() {
  fake::Record("ModuleDeviceFree");
  state.soundDeviceOpen = false;
}

bool ModuleDeviceFailed() {
  return state.soundDeviceOpen && fake::Fails("ModuleDeviceStart");
}

bool ModuleMusicLoad(const char* fileName, uint32_t flags) {
  fake::Record(std::string("ModuleMusicLoad ") + fileName + " " + std::to_string(flags));
  return !fake::Fails("ModuleMusicLoad");
}

void ModuleMusicFree() {
  fake::Record("ModuleMusicFree");
}

bool ModuleMusicPlay() {
  fake::Record("ModuleMusicPlay");
  return true;
}

bool ModuleMusicPause() {
  fake::Record("ModuleMusicPause");
  return true;
}

uint32_t ModuleMusicGetPosition() {
  return state.position ? state.position() : kModuleNoPosition;
}

bool ModuleMusicSetPosition(uint32_t position) {
  fake::Record("ModuleMusicSetPosition " + std::to_string(position));
  return true;
}

size_t ModuleRender(int16_t* interleaved, size_t frames) {
  for (size_t i = 0; i < frames * 2; ++i) interleaved[i] = 0;
  return frames;
}
