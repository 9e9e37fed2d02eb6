/* The picture side of the live sync test for the Windows build under Wine: preloaded into
 * wine64, it stands between Wine's X11 driver and the system's libGL, which the driver
 * reaches through dlsym and glXGetProcAddressARB. Every frame is noted as "BEGUN SWAPPED RRGGBB" in
 * the file named by LUMIVEX_SYNC_LOG: on CLOCK_MONOTONIC, when the frame began (its first glClear)
 * and when its glXSwapBuffers returned, and the colour at the centre of the frame (Wine's GLU draws
 * the tunnel on its own, so the scene is told by its picture). Flushed every 50 ms and at exit. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef void* (*DlsymFn)(void*, const char*);
typedef void* (*GetProcFn)(const unsigned char*);
typedef void (*ClearFn)(unsigned int);
typedef void (*SwapFn)(void*, unsigned long);
typedef void (*GetIntegersFn)(unsigned int, int*);
typedef void (*ReadPixelsFn)(int, int, int, int, unsigned int, unsigned int, void*);

enum { kGlViewport = 0x0BA2, kGlRgb = 0x1907, kGlUnsignedByte = 0x1401 };

static DlsymFn realDlsym;
static ClearFn realClear;
static SwapFn realSwap;
static GetProcFn realGetProc;
static FILE* logFile;
static double lastFlush, begun;

static double Now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

static void Clear(unsigned int mask) {
  if (begun == 0) begun = Now();
  realClear(mask);
}

static void Swap(void* display, unsigned long drawable) {
  static GetIntegersFn getIntegers;
  static ReadPixelsFn readPixels;
  if (!readPixels) {
    getIntegers = (GetIntegersFn)realDlsym(RTLD_DEFAULT, "glGetIntegerv");
    readPixels = (ReadPixelsFn)realDlsym(RTLD_DEFAULT, "glReadPixels");
  }
  unsigned char pixel[4] = {0, 0, 0, 0};
  if (getIntegers && readPixels) {
    int viewport[4];
    getIntegers(kGlViewport, viewport);
    readPixels(viewport[0] + viewport[2] / 2, viewport[1] + viewport[3] / 2, 1, 1, kGlRgb,
               kGlUnsignedByte, pixel);
  }
  realSwap(display, drawable);
  const double now = Now();
  if (!logFile) {
    const char* path = getenv("LUMIVEX_SYNC_LOG");
    if (path) logFile = fopen(path, "w");
  }
  if (logFile) {
    fprintf(logFile, "%.6f %.6f %02x%02x%02x\n", begun ? begun : now, now, pixel[0], pixel[1],
            pixel[2]);
    if (now - lastFlush > 0.05) {
      fflush(logFile);
      lastFlush = now;
    }
  }
  begun = 0;
}

/* The GL functions the probe stands in for; others pass. */
static void* Substitute(const char* name, void* found) {
  if (!found) return found;
  if (strcmp(name, "glClear") == 0) {
    realClear = (ClearFn)found;
    return (void*)Clear;
  }
  if (strcmp(name, "glXSwapBuffers") == 0) {
    realSwap = (SwapFn)found;
    return (void*)Swap;
  }
  return found;
}

static void* GetProc(const unsigned char* name) {
  return Substitute((const char*)name, realGetProc(name));
}

void* dlsym(void* handle, const char* name) {
  if (!realDlsym) realDlsym = (DlsymFn)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
  if (!realDlsym) realDlsym = (DlsymFn)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
  void* found = realDlsym(handle, name);
  if (found && strcmp(name, "glXGetProcAddressARB") == 0) {
    realGetProc = (GetProcFn)found;
    return (void*)GetProc;
  }
  return Substitute(name, found);
}

__attribute__((destructor)) static void Report(void) {
  if (logFile) fflush(logFile);
}
