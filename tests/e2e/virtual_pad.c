/* A gamepad for the end-to-end tests, inside the real program: preloaded, it wraps
 * SDL_PollEvent and, on each call, carries out the commands written to the FIFO named by
 * LUMIVEX_PAD_FIFO, one a line, on an SDL virtual joystick of the GameController type:
 *   plug | unplug | press BUTTON | release BUTTON | tap BUTTON | axis AXIS VALUE
 * with SDL's button and axis names (a, b, x, start, dpright, leftx...). A tap presses now
 * and releases on the next call, so both reach the program in the same frame. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef int (*PollFn)(SDL_Event*);

static int fifo = -1;
static pid_t owner;
static SDL_Joystick* pad;
static int tapped = -1; /* the button a tap releases on the next call */
static char pending[512];
static size_t used;

static void Plug(void) {
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  /* Every button and axis, in SDL's order: virtual button i is controller button i. */
  desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
  desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
  desc.name = "Lumivex test pad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0 || !(pad = SDL_JoystickOpen(index))) {
    fprintf(stderr, "virtual_pad: plug: %s\n", SDL_GetError());
  }
}

static void Unplug(void) {
  const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
  SDL_JoystickClose(pad);
  pad = NULL;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  }
}

static void Run(char* line) {
  char verb[32] = "", name[32] = "";
  int value = 0;
  if (sscanf(line, "%31s %31s %d", verb, name, &value) < 1) return;
  if (strcmp(verb, "plug") == 0) return Plug();
  if (!pad) {
    fprintf(stderr, "virtual_pad: \"%s\" with no pad plugged in\n", line);
    return;
  }
  if (strcmp(verb, "unplug") == 0) return Unplug();
  if (strcmp(verb, "axis") == 0) {
    SDL_JoystickSetVirtualAxis(pad, SDL_GameControllerGetAxisFromString(name), (Sint16)value);
    return;
  }
  const int button = SDL_GameControllerGetButtonFromString(name);
  if (button < 0) {
    fprintf(stderr, "virtual_pad: no button \"%s\"\n", name);
    return;
  }
  SDL_JoystickSetVirtualButton(pad, button, strcmp(verb, "release") != 0);
  if (strcmp(verb, "tap") == 0) tapped = button;
}

static void ReadCommands(void) {
  const char* path = getenv("LUMIVEX_PAD_FIFO");
  if (!path || !SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return;
  if (fifo < 0) {
    owner = getpid();
    fifo = open(path, O_RDONLY | O_NONBLOCK);
    if (fifo < 0) return;
  }
  if (getpid() != owner) return; /* a forked message-box helper leaves the pad alone */
  if (tapped >= 0 && pad) {
    SDL_JoystickSetVirtualButton(pad, tapped, 0);
    tapped = -1;
    return; /* this call's pump carries the release; the next command waits a call */
  }
  const ssize_t got = read(fifo, pending + used, sizeof pending - 1 - used);
  if (got > 0) used += (size_t)got;
  char* end;
  while ((end = memchr(pending, '\n', used)) != NULL) {
    *end = '\0';
    Run(pending);
    used -= (size_t)(end + 1 - pending);
    memmove(pending, end + 1, used);
    if (tapped >= 0) break; /* its release comes first */
  }
}

int SDL_PollEvent(SDL_Event* event) {
  static PollFn real;
  if (!real) real = (PollFn)dlsym(RTLD_NEXT, "SDL_PollEvent");
  ReadCommands();
  return real(event);
}
