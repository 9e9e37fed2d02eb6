/* Counts the show's buffer swaps from outside: preloaded into the real program, it
 * wraps SDL_GL_SwapWindow and keeps "swaps seconds waited" (seconds since the first swap,
 * and of those the seconds between a swap and the next frame's first glClear, the time
 * the loop rested) in the file named by LUMIVEX_SWAP_LOG, rewritten a few times a second
 * and at exit. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct SDL_Window SDL_Window;
typedef void (*SwapFn)(SDL_Window*);
typedef void (*ClearFn)(unsigned int);

static unsigned long swaps;
static double firstSwap, lastSwap, lastWrite, waited;
static int frameBegun;

static double Now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

static void WriteCount(void) {
  const char* path = getenv("LUMIVEX_SWAP_LOG");
  if (!path) return;
  char temporary[4096];
  snprintf(temporary, sizeof temporary, "%s.tmp", path);
  FILE* file = fopen(temporary, "w");
  if (!file) return;
  fprintf(file, "%lu %.6f %.6f\n", swaps, swaps ? lastSwap - firstSwap : 0.0, waited);
  fclose(file);
  rename(temporary, path); /* readers never see half a line */
}

/* A frame's first clear ends the rest that began at the last swap. */
void glClear(unsigned int mask) {
  static ClearFn real;
  if (!real) real = (ClearFn)dlsym(RTLD_NEXT, "glClear");
  if (!frameBegun && swaps > 0) waited += Now() - lastSwap;
  frameBegun = 1;
  real(mask);
}

void SDL_GL_SwapWindow(SDL_Window* window) {
  static SwapFn real;
  if (!real) real = (SwapFn)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
  real(window);
  frameBegun = 0;
  lastSwap = Now();
  if (swaps++ == 0) firstSwap = lastSwap;
  if (lastSwap - lastWrite > 0.1) {
    WriteCount();
    lastWrite = lastSwap;
  }
}

__attribute__((destructor)) static void Report(void) {
  WriteCount();
}
