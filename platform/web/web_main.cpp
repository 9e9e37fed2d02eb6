// The show in a page: the start button calls lumivex_start, which runs the desktop's
// start-up (window, GL defaults, error log, pictures, quadric, music, particles) and then
// one message pump and FramePass per animation frame, until Escape or a quit ends it.
// The messages go to the shell's window procedure (registered by CreateMainWindow), and
// the frame pass is the desktop's, so the keys (the tap latch with them) act as there.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/module_player.h"
#include "platform/platform.h"
#include "platform/web/web_internal.h"
#include "resources/show_files.h"
#include "shell/frame_pass.h"
#include "shell/gl_window.h"
#include "shell/show_state.h"
#include "show/intro.h"

namespace {

constexpr char kTitle[] = "Lumivex by Tarnel";
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBits = 16;
bool running = false;
long logShown = 0;  // bytes of the error log already written to the console

// Every new line of the error log ("Data\\VorlErrors.txt", in the memory file system)
// goes to the browser console too.
void EchoLog() {
  FILE* log = PlatformOpenFile("Data\\VorlErrors.txt", "rb");
  if (!log) return;
  if (std::fseek(log, logShown, SEEK_SET) == 0) {
    std::string line;
    int c;
    while ((c = std::fgetc(log)) != EOF) {
      ++logShown;
      if (c == '\n') {
        EM_ASM({ console.log(UTF8ToString($0)); }, line.c_str());
        line.clear();
      } else if (c != '\r') {
        line += static_cast<char>(c);
      }
    }
  }
  std::fclose(log);
}

void SwapWindow() {
  PlatformSwapBuffers(deviceContext);
}

void SetPhase(const char* phase) {
  EM_ASM({ lumivexPage.setPhase(UTF8ToString($0)); }, phase);
}

void End() {
  emscripten_cancel_main_loop();
  DestroyMainWindow();
  running = false;
  SetPhase("ended");
}

void Frame() {
  EchoLog();
  if (WebBoxOpen()) return;  // as the desktop's modal box, it holds the show
  Message message;
  while (PlatformPeekMessage(&message)) {
    if (message.message == kWmQuit) return End();
    PlatformDispatchMessage(&message);
  }
  const bool done = FramePass(SwapWindow);
  if (done) return End();
  SetPhase(introPhase == 1 ? "intro" : "gallery");
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE int lumivex_start() {
  if (running) return 0;
  // The show's state as a fresh process has it, for a second start after an end: the
  // intro from its start, the gallery's view and set, the keys, the texture table.
  ResetShowState();
  fullscreen = 1;
  logShown = 0;  // the start-up writes the log afresh
  const bool created = CreateMainWindow(kTitle, kWidth, kHeight, kBits, fullscreen);
  EchoLog();
  if (!created) {
    SetPhase("ended");
    return 0;
  }
  running = true;
  SetPhase("intro");
  emscripten_set_main_loop(Frame, 0, 0);
  return 1;
}

// The show's data files under its own names ("data\\kavra#2.jpg"), for the page to
// fetch before the start: the pictures in table order, then the module; null past them.
extern "C" EMSCRIPTEN_KEEPALIVE const char* lumivex_data_file(int index) {
  if (index >= 0 && index < kTextureCount) return kTextureFiles[index];
  if (index == kTextureCount) return kMusicFile;
  return nullptr;
}

// Moves the music to the start of `order`, as if it had got there: for bench/web, which
// holds each scene of the intro in turn, and for the curious at the console.
extern "C" EMSCRIPTEN_KEEPALIVE int lumivex_seek(int order) {
  return running && ModuleMusicSetPosition(static_cast<uint32_t>(order) & 0xFFFFu) ? 1 : 0;
}

int main() {
  return 0;
}
