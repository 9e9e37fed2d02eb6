// The show's entry in a page. The page's start button calls lumivex_start, which runs the
// desktop's start-up (window, GL defaults, error log, pictures, quadric, music, particles);
// then the page calls lumivex_frame once per animation frame: the shell's loop step, as the
// desktop's WinMain runs it, until Escape or a quit ends the show. Both tell the page the
// phase to show: 0 ended, 1 intro, 2 gallery.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "resources/music_player.h"
#include "resources/show_files.h"
#include "shell/main_loop.h"
#include "shell/show_state.h"
#include "show/intro.h"

namespace {

enum Phase { kEnded = 0, kIntro = 1, kGallery = 2 };

bool running = false;
long logShown = 0;  // bytes of the error log already echoed

// Every new line of the error log ("Data\\VorlErrors.txt", in the page's memory file
// system) goes to the browser console too: a page's standard output is its console.
void EchoLog() {
  FILE* log = PlatformOpenFile("Data\\VorlErrors.txt", "rb");
  if (!log) return;
  if (std::fseek(log, logShown, SEEK_SET) == 0) {
    std::string line;
    int c;
    while ((c = std::fgetc(log)) != EOF) {
      ++logShown;
      if (c == '\n') {
        std::printf("%s\n", line.c_str());
        line.clear();
      } else if (c != '\r') {
        line += static_cast<char>(c);
      }
    }
  }
  std::fclose(log);
  std::fflush(stdout);
}

int CurrentPhase() {
  if (!running) return kEnded;
  return introPhase == 1 ? kIntro : kGallery;
}

}  // namespace

// The page's calls: kept by the link's exported-function list (CMakeLists.txt).
extern "C" {

int lumivex_start() {
  if (running) return CurrentPhase();
  // The show's state as a fresh process has it, for a second start after an end: the
  // intro from its start, the gallery's view and set, the keys, the texture table.
  ResetShowState();
  logShown = 0;  // the start-up writes the log afresh
  running = ShowStart();
  EchoLog();
  return CurrentPhase();
}

int lumivex_frame() {
  if (!running) return kEnded;
  // A sound the browser never started is reported as the desktop reports a missing
  // device; the show then goes on silent, on the logo, as it does there.
  MusicCheckDevice();
  EchoLog();
  // As the desktop's modal box does, an open box holds the show.
  if (PlatformMessageBoxOpen()) return CurrentPhase();
  int exitCode = 0;
  if (!ShowStep(SwapMainWindow, &exitCode)) {
    ShowEnd();
    running = false;
  }
  return CurrentPhase();
}

// The show's data files under its own names ("data\\kavra#2.jpg"), for the page to fetch
// before the start: the pictures in table order, then the module; null past them.
const char* lumivex_data_file(int index) {
  if (index >= 0 && index < kTextureCount) return kTextureFiles[index];
  if (index == kTextureCount) return kMusicFile;
  return nullptr;
}

// Moves the music to the start of `order`, as if it had got there: for bench/web, which
// holds each scene of the intro in turn, and for the curious at the console.
int lumivex_seek(int order) {
  return running && MusicSetPosition(static_cast<uint32_t>(order) & 0xFFFFu) ? 1 : 0;
}

// The order being heard, as the intro reads it: for the tests and bench/web, which watch
// the music go on while the tab is hidden and hold each scene of the intro.
int lumivex_music_order() {
  return running ? MusicGetOrder() : 0;
}

}  // extern "C"

int main() {
  return 0;  // the page starts the show from its button
}
