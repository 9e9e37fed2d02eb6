// Message boxes and the cursor count on SDL2.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/sdl/sdl_internal.h"

namespace {

// SDL shows an X11 box from a child process that it waits for, deaf to signals: a
// SIGTERM or Ctrl+C would wait until someone answers the box. While a box is up, those
// signals end its process instead (the box then counts as OK, or No for a question), and
// once the box is gone the signal goes on to SDL, which ends the show as it does
// elsewhere. Every later box goes to standard error only.
constexpr int kMaxChildren = 32;
char childrenPath[64];               // the main thread's children, in /proc
pid_t childrenBefore[kMaxChildren];  // those the box did not start (the mode watcher)
int childrenBeforeCount = 0;
volatile sig_atomic_t endSignal = 0;  // the signal that came while the box was up
bool ending = false;                  // a box was closed by a signal: no more boxes

// Only calls that are safe in a signal handler.
int ReadChildren(pid_t* pids) {
  const int fd = open(childrenPath, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[512];
  const ssize_t length = read(fd, text, sizeof text);
  close(fd);
  int count = 0;
  pid_t value = 0;
  for (ssize_t i = 0; i <= length; ++i) {
    if (i < length && text[i] >= '0' && text[i] <= '9') {
      value = value * 10 + (text[i] - '0');
    } else if (value > 0) {
      if (count < kMaxChildren) pids[count++] = value;
      value = 0;
    }
  }
  return count;
}

void CloseBoxOnSignal(int signal) {
  endSignal = signal;
  pid_t now[kMaxChildren];
  const int count = ReadChildren(now);
  for (int i = 0; i < count; ++i) {
    bool before = false;
    for (int j = 0; j < childrenBeforeCount; ++j) before = before || now[i] == childrenBefore[j];
    if (!before) kill(now[i], SIGKILL);  // it has this handler too: only SIGKILL ends it
  }
}

// SDL_ShowMessageBox with SIGTERM and SIGINT closing the box; false when one did.
bool ShowBoxUntilSignal(const SDL_MessageBoxData& box, int* answer) {
  std::snprintf(childrenPath, sizeof childrenPath, "/proc/self/task/%d/children",
                static_cast<int>(getpid()));
  childrenBeforeCount = ReadChildren(childrenBefore);
  endSignal = 0;
  struct sigaction closing {};
  closing.sa_handler = CloseBoxOnSignal;
  sigemptyset(&closing.sa_mask);
  struct sigaction term {
  }, interrupt{};
  sigaction(SIGTERM, &closing, &term);
  sigaction(SIGINT, &closing, &interrupt);
  const int shown = SDL_ShowMessageBox(&box, answer);
  sigaction(SIGTERM, &term, nullptr);
  sigaction(SIGINT, &interrupt, nullptr);
  const int signal = endSignal;
  if (signal == 0) return shown == 0;
  ending = true;
  // On to whoever handled the signal before: SDL turns it into a quit.
  const struct sigaction& previous = signal == SIGTERM ? term : interrupt;
  if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    raise(signal);
  } else {
    PlatformPostQuitMessage(0);
  }
  return false;
}

}  // namespace

int PlatformMessageBox(const char* text, const char* caption, uint32_t type) {
  if (!text) text = "";
  if (!caption) caption = "";
  const bool question = (type & 0x0F) == kMbYesNo;
  // Every box also goes to standard error, so a run without a screen still tells why.
  const size_t length = std::strlen(text);
  std::fprintf(stderr, "%s: %s%s", caption, text, length && text[length - 1] == '\n' ? "" : "\n");
  std::fflush(stderr);

  uint32_t flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  switch (type & 0xF0) {
    case kMbIconStop:
      flags |= SDL_MESSAGEBOX_ERROR;
      break;
    case kMbIconExclamation:
      flags |= SDL_MESSAGEBOX_WARNING;
      break;
    case kMbIconInformation:
      flags |= SDL_MESSAGEBOX_INFORMATION;
      break;
    default:
      break;
  }
  const SDL_MessageBoxButtonData okButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdOk,
       "OK"}};
  const SDL_MessageBoxButtonData questionButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kIdYes, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kIdNo, "No"}};
  SDL_MessageBoxData box{};
  box.flags = flags;
  box.window = nullptr;  // no owner
  box.title = caption;
  box.message = text;
  box.numbuttons = question ? 2 : 1;
  box.buttons = question ? questionButtons : okButtons;
  int answer = -1;
  // Without a display this fails at once; the text is on standard error already.
  if (ending || !ShowBoxUntilSignal(box, &answer) || answer < 0) answer = question ? kIdNo : kIdOk;
  return answer;
}

// SDL's box is modal: PlatformMessageBox returns once it is answered.
bool PlatformMessageBoxOpen() {
  return false;
}

int PlatformShowCursor(bool show) {
  sdl_platform::State& state = sdl_platform::Get();
  state.cursorCount += show ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_ShowCursor(state.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  }
  return state.cursorCount;
}
