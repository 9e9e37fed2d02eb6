/* Preloaded into the real program by pacing_bench.sh: logs each buffer swap's return
 * (CLOCK_MONOTONIC) and the main thread's CPU time spent inside the pacer's waits (SDL's
 * event wait and the precise sleep), one line per swap in the file PACING_PROBE_LOG:
 * "seconds process_cpu_seconds wait_cpu_seconds". */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

typedef struct SDL_Window SDL_Window;
typedef union SDL_Event SDL_Event;

static FILE* out;
static double waitCpu; /* main thread only: the audio thread sleeps too */

static double Clock(clockid_t id) {
  struct timespec now;
  clock_gettime(id, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

static int MainThread(void) {
  return syscall(SYS_gettid) == getpid();
}

void SDL_GL_SwapWindow(SDL_Window* window) {
  static void (*real)(SDL_Window*);
  if (!real) real = (void (*)(SDL_Window*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
  real(window);
  if (!out) {
    const char* path = getenv("PACING_PROBE_LOG");
    out = fopen(path ? path : "/dev/null", "w");
    if (!out) return;
  }
  fprintf(out, "%.6f %.6f %.6f\n", Clock(CLOCK_MONOTONIC), Clock(CLOCK_PROCESS_CPUTIME_ID),
          waitCpu);
  fflush(out);
}

int SDL_WaitEventTimeout(SDL_Event* event, int timeout) {
  static int (*real)(SDL_Event*, int);
  if (!real) real = (int (*)(SDL_Event*, int))dlsym(RTLD_NEXT, "SDL_WaitEventTimeout");
  if (!MainThread()) return real(event, timeout);
  const double before = Clock(CLOCK_THREAD_CPUTIME_ID);
  const int result = real(event, timeout);
  waitCpu += Clock(CLOCK_THREAD_CPUTIME_ID) - before;
  return result;
}

int nanosleep(const struct timespec* duration, struct timespec* left) {
  static int (*real)(const struct timespec*, struct timespec*);
  if (!real)
    real = (int (*)(const struct timespec*, struct timespec*))dlsym(RTLD_NEXT, "nanosleep");
  if (!MainThread()) return real(duration, left);
  const double before = Clock(CLOCK_THREAD_CPUTIME_ID);
  const int result = real(duration, left);
  waitCpu += Clock(CLOCK_THREAD_CPUTIME_ID) - before;
  return result;
}
