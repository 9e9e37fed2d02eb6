// The process entry of the Windows program. Win32's start-up code (the C runtime's
// WinMain caller, -mwindows) calls WinMain(instance, previous instance, command line,
// show command), and that is the shell's WinMain: mingw-w64's GCC gives every function
// named WinMain C linkage, and on x86-64 there is one calling convention, so
// WinMain(void*, void*, char*, int) is the same symbol and call as
// WinMain(HINSTANCE, HINSTANCE, LPSTR, int).
#include "shell/main_loop.h"

// A 32-bit build would need the entry to be __stdcall, which the shell's is not.
static_assert(sizeof(void*) == 8, "the Windows build is 64-bit only");

// Named here so the linker takes the shell's main loop from its library before the start-
// up code, which comes last on the link line, asks for it.
[[maybe_unused]] __attribute__((used)) static int (*const kEntry)(void*, void*, char*,
                                                                  int) = &WinMain;
