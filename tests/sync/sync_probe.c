/* The picture side of the live sync test: preloaded into the real program, it notes every
 * frame as "BEGUN SWAPPED TUNNEL" in the file named by LUMIVEX_SYNC_LOG: on
 * CLOCK_MONOTONIC, when the frame began (its first glClear, which the intro calls just
 * before it asks the music's order) and when its buffer swap returned, and 1 when the frame
 * drew the tunnel (the intro's only user of cylinders), else 0. Flushed every 50 ms and at
 * exit. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct GLUquadric GLUquadric;
typedef struct SDL_Window SDL_Window;
typedef void (*CylinderFn)(GLUquadric*, double, double, double, int, int);
typedef void (*SwapFn)(SDL_Window*);
typedef void (*ClearFn)(unsigned int);

static FILE* logFile;
static int tunnel;
static double lastFlush, begun;

static double Now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

void gluCylinder(GLUquadric* quadric, double base, double top, double height, int slices,
                 int stacks) {
  static CylinderFn real;
  if (!real) real = (CylinderFn)dlsym(RTLD_NEXT, "gluCylinder");
  tunnel = 1;
  real(quadric, base, top, height, slices, stacks);
}

void glClear(unsigned int mask) {
  static ClearFn real;
  if (!real) real = (ClearFn)dlsym(RTLD_NEXT, "glClear");
  if (begun == 0) begun = Now();
  real(mask);
}

void SDL_GL_SwapWindow(SDL_Window* window) {
  static SwapFn real;
  if (!real) real = (SwapFn)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
  real(window);
  const double now = Now();
  if (!logFile) {
    const char* path = getenv("LUMIVEX_SYNC_LOG");
    if (path) logFile = fopen(path, "w");
  }
  if (logFile) {
    fprintf(logFile, "%.6f %.6f %d\n", begun ? begun : now, now, tunnel);
    if (now - lastFlush > 0.05) {
      fflush(logFile);
      lastFlush = now;
    }
  }
  tunnel = 0;
  begun = 0;
}

__attribute__((destructor)) static void Report(void) {
  if (logFile) fflush(logFile);
}
