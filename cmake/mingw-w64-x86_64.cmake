# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model, so
# libstdc++'s threads and mutexes exist; linked statically into the executable).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_AR ${MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "archiver")
set(CMAKE_RANLIB ${MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "ranlib")

# Libraries and headers come from the compiler's sysroot and the prefixes named in
# CMAKE_PREFIX_PATH (the cross-built dependencies); programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine.
find_program(LUMIVEX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(LUMIVEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LUMIVEX_WINE})
endif()
