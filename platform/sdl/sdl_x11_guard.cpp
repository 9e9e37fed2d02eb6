// What Windows promises and X does not: a display mode changed for fullscreen comes back
// however the program ends, and a program whose display has gone away ends.
//
// The mode: a watcher process, started just before the first switch, remembers the
// desktop mode on a connection of its own and waits on a socket to the show. When the show
// restores the mode it says so and the watcher leaves; when the show ends any other way
// (a crash, an abort, SIGKILL) the socket closes, and the watcher sets the desktop mode back.
//
// The display: Xlib's default I/O error handler calls exit(), whose handlers would then wait
// for events on the dead connection for ever. Ours ends the process at once.
//
// Xlib and RandR are the ones SDL has already loaded for its X11 driver, found at run time
// as SDL finds them: the program itself needs no X library to start (on Wayland, say).
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sdl/sdl_internal.h"

namespace {

// The Xlib and RandR calls made here, looked up once in the libraries SDL loaded.
struct XCalls {
  decltype(&::XOpenDisplay) OpenDisplay = nullptr;
  decltype(&::XCloseDisplay) CloseDisplay = nullptr;
  decltype(&::XSync) Sync = nullptr;
  decltype(&::XSetIOErrorHandler) SetIOErrorHandler = nullptr;
  decltype(&::XRRGetScreenInfo) GetScreenInfo = nullptr;
  decltype(&::XRRConfigSizes) ConfigSizes = nullptr;
  decltype(&::XRRConfigCurrentConfiguration) ConfigCurrentConfiguration = nullptr;
  decltype(&::XRRConfigCurrentRate) ConfigCurrentRate = nullptr;
  decltype(&::XRRFreeScreenConfigInfo) FreeScreenConfigInfo = nullptr;
  decltype(&::XRRSetScreenConfigAndRate) SetScreenConfigAndRate = nullptr;
};
XCalls x;

template <typename T>
bool Find(void* library, const char* name, T* call) {
  *call = library ? reinterpret_cast<T>(dlsym(library, name)) : nullptr;
  return *call != nullptr;
}

// True once every call is found; the libraries stay loaded for the process's life.
bool LoadXCalls() {
  static const bool loaded = [] {
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
    void* randr = dlopen("libXrandr.so.2", RTLD_NOW | RTLD_GLOBAL);
    return Find(xlib, "XOpenDisplay", &x.OpenDisplay) &&
           Find(xlib, "XCloseDisplay", &x.CloseDisplay) && Find(xlib, "XSync", &x.Sync) &&
           Find(xlib, "XSetIOErrorHandler", &x.SetIOErrorHandler) &&
           Find(randr, "XRRGetScreenInfo", &x.GetScreenInfo) &&
           Find(randr, "XRRConfigSizes", &x.ConfigSizes) &&
           Find(randr, "XRRConfigCurrentConfiguration", &x.ConfigCurrentConfiguration) &&
           Find(randr, "XRRConfigCurrentRate", &x.ConfigCurrentRate) &&
           Find(randr, "XRRFreeScreenConfigInfo", &x.FreeScreenConfigInfo) &&
           Find(randr, "XRRSetScreenConfigAndRate", &x.SetScreenConfigAndRate);
  }();
  return loaded;
}

// What the show tells the watcher; the watcher answers kReady once it holds the mode.
constexpr char kReady = 'K';
constexpr char kRestored = 'R';

pid_t watcher = -1;
int watcherSocket = -1;

// Nothing else is safe here: the connection is gone, and exit() would run handlers that
// talk to it.
int DisplayGone(Display*) {
  constexpr char kMessage[] = "lumivex: the display has gone away\n";
  const ssize_t ignored = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  (void)ignored;
  _exit(1);
}

bool UsingX11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "x11") == 0;
}

// The display's current size, rotation and refresh rate, as RandR 1.1 names them.
struct ScreenMode {
  int width = 0, height = 0;
  Rotation rotation = RR_Rotate_0;
  short rate = 0;
};

bool ReadMode(Display* display, ScreenMode* mode) {
  XRRScreenConfiguration* config = x.GetScreenInfo(display, DefaultRootWindow(display));
  if (!config) return false;
  int count = 0;
  XRRScreenSize* sizes = x.ConfigSizes(config, &count);
  const SizeID current = x.ConfigCurrentConfiguration(config, &mode->rotation);
  const bool ok = sizes && current < count;
  if (ok) {
    mode->width = sizes[current].width;
    mode->height = sizes[current].height;
    mode->rate = x.ConfigCurrentRate(config);
  }
  x.FreeScreenConfigInfo(config);
  return ok;
}

void SetMode(Display* display, const ScreenMode& mode) {
  const Window root = DefaultRootWindow(display);
  XRRScreenConfiguration* config = x.GetScreenInfo(display, root);
  if (!config) return;
  int count = 0;
  XRRScreenSize* sizes = x.ConfigSizes(config, &count);
  Rotation rotation;
  const SizeID current = x.ConfigCurrentConfiguration(config, &rotation);
  for (int i = 0; i < count; ++i) {
    if (sizes[i].width != mode.width || sizes[i].height != mode.height) continue;
    if (i != current || rotation != mode.rotation) {
      x.SetScreenConfigAndRate(display, config, root, i, mode.rotation, mode.rate, CurrentTime);
    }
    break;
  }
  x.FreeScreenConfigInfo(config);
  x.Sync(display, False);
}

// The watcher's whole life; never returns. It shares nothing with the show but the socket:
// no other descriptor (the show's X connection must close when the show dies), no signal
// handler, no exit handler.
[[noreturn]] void Watch(int socket) {
  if (dup2(socket, 3) != 3) _exit(1);
  closefrom(4);
  socket = 3;
  for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  setsid();  // a signal to the show's process group must not take the watcher with it
  x.SetIOErrorHandler([](Display*) -> int { _exit(0); });

  ScreenMode desktop;
  Display* display = x.OpenDisplay(nullptr);
  const bool ok = display && ReadMode(display, &desktop);
  if (display) x.CloseDisplay(display);
  if (!ok || write(socket, &kReady, 1) != 1) _exit(1);

  const pid_t show = getppid();
  for (;;) {
    pollfd wait{socket, POLLIN, 0};
    const int ready = poll(&wait, 1, 250);
    if (ready > 0) {
      char said = 0;
      const ssize_t got = read(socket, &said, 1);
      if (got == 1 && said == kRestored) _exit(0);
      if (got == 0 || (got < 0 && errno != EINTR)) break;  // the show is gone
    } else if (ready < 0 && errno != EINTR) {
      break;
    }
    // A child the show forked may hold a copy of the socket; the show's own end is what
    // counts.
    if (getppid() != show) break;
  }
  display = x.OpenDisplay(nullptr);
  if (display) {
    SetMode(display, desktop);
    x.CloseDisplay(display);
  }
  _exit(0);
}

}  // namespace

namespace sdl_platform {

void GuardDisplayConnection() {
  if (UsingX11() && LoadXCalls()) x.SetIOErrorHandler(DisplayGone);
}

void StartModeWatcher() {
  if (watcher > 0 || !UsingX11()) return;
  if (!LoadXCalls()) {
    std::fprintf(stderr, "lumivex: no Xlib or RandR to watch the display mode with\n");
    return;
  }
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
  const pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    Watch(ends[1]);
  }
  close(ends[1]);
  char answer = 0;
  ssize_t got;
  do {
    got = read(ends[0], &answer, 1);
  } while (got < 0 && errno == EINTR);
  if (pid < 0 || got != 1 || answer != kReady) {
    std::fprintf(stderr, "lumivex: no watcher for the display mode; a crash would leave it\n");
    close(ends[0]);
    if (pid > 0) waitpid(pid, nullptr, 0);
    return;
  }
  watcher = pid;
  watcherSocket = ends[0];
}

void StopModeWatcher() {
  if (watcher <= 0) return;
  const ssize_t sent = write(watcherSocket, &kRestored, 1);
  (void)sent;  // unsent, the watcher sees the socket close and finds the mode already back
  close(watcherSocket);
  waitpid(watcher, nullptr, 0);
  watcher = -1;
  watcherSocket = -1;
}

}  // namespace sdl_platform
