/* Watches the real program from outside: preloaded into it, it notes which scene each
 * frame drew (by the quadrics the scenes send) and, when LUMIVEX_PROBE_GL_CHECK is set,
 * asks GL for errors before every buffer swap. Keeps "frames logo tunnel spheres gallery
 * glerrors" in the file named by LUMIVEX_PROBE_LOG, rewritten a few times a second and at
 * exit.
 *
 * The scenes are told apart by their quadrics: the tunnel is the only user of cylinders,
 * the intro's nested spheres have 26 to 29 slices, the gallery's star spheres 31 and 32.
 * A frame with none of these is the logo (or a title panel). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct GLUquadric GLUquadric;
typedef struct SDL_Window SDL_Window;
typedef void (*SphereFn)(GLUquadric*, double, int, int);
typedef void (*CylinderFn)(GLUquadric*, double, double, double, int, int);
typedef void (*SwapFn)(SDL_Window*);
typedef unsigned int (*GetErrorFn)(void);

enum { kLogo, kTunnel, kSpheres, kGallery, kKinds };

static unsigned long frames, kindFrames[kKinds], glErrors;
static unsigned int firstError;
static int seen[kKinds];
static double lastWrite;

static double Now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

static void WriteCounts(void) {
  const char* path = getenv("LUMIVEX_PROBE_LOG");
  if (!path) return;
  char temporary[4096];
  snprintf(temporary, sizeof temporary, "%s.tmp", path);
  FILE* file = fopen(temporary, "w");
  if (!file) return;
  fprintf(file, "%lu %lu %lu %lu %lu %lu 0x%04x\n", frames, kindFrames[kLogo], kindFrames[kTunnel],
          kindFrames[kSpheres], kindFrames[kGallery], glErrors, firstError);
  fclose(file);
  rename(temporary, path); /* readers never see half a line */
}

void gluSphere(GLUquadric* quadric, double radius, int slices, int stacks) {
  static SphereFn real;
  if (!real) real = (SphereFn)dlsym(RTLD_NEXT, "gluSphere");
  if (slices >= 31)
    seen[kGallery] = 1;
  else if (slices >= 26 && slices <= 29)
    seen[kSpheres] = 1;
  real(quadric, radius, slices, stacks);
}

void gluCylinder(GLUquadric* quadric, double base, double top, double height, int slices,
                 int stacks) {
  static CylinderFn real;
  if (!real) real = (CylinderFn)dlsym(RTLD_NEXT, "gluCylinder");
  seen[kTunnel] = 1;
  real(quadric, base, top, height, slices, stacks);
}

void SDL_GL_SwapWindow(SDL_Window* window) {
  static SwapFn real;
  static GetErrorFn getError;
  static int check = -1;
  if (!real) real = (SwapFn)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
  if (check < 0) {
    check = getenv("LUMIVEX_PROBE_GL_CHECK") != NULL;
    if (check) getError = (GetErrorFn)dlsym(RTLD_DEFAULT, "glGetError");
  }
  if (check && getError) {
    /* GL keeps one flag per kind of error: drain them all. */
    unsigned int error;
    int guard = 0;
    while ((error = getError()) != 0 && guard++ < 16) {
      if (glErrors++ == 0) firstError = error;
    }
  }
  int any = 0, kind;
  for (kind = kTunnel; kind < kKinds; ++kind) {
    if (seen[kind]) ++kindFrames[kind], any = 1;
    seen[kind] = 0;
  }
  if (!any) ++kindFrames[kLogo];
  ++frames;
  real(window);
  double now = Now();
  if (now - lastWrite > 0.1) {
    WriteCounts();
    lastWrite = now;
  }
}

__attribute__((destructor)) static void Report(void) {
  WriteCounts();
}
