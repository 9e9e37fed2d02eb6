/* Preloaded into the sanitizer build's tests: no library is ever unloaded. The graphics
 * driver (swrast_dri.so) is otherwise closed before LeakSanitizer's check at exit, which
 * then cannot say where its own allocations came from, and so cannot suppress them by
 * name (tests/hardening/lsan.supp). Built without sanitizers: shells and other programs
 * the tests start get it too. */
#include <dlfcn.h>

int dlclose(void* handle) {
  (void)handle;
  return 0;
}
