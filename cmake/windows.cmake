# The Windows build's libraries: Win32, WGL, GDI and winmm from the system, libjpeg-turbo
# and libopenmpt cross-built by scripts/build-windows-deps into a prefix outside the source
# tree. Included by the top CMakeLists.txt when cross-compiling with
# cmake/mingw-w64-x86_64.cmake.
if(DEFINED ENV{LUMIVEX_WINDOWS_CACHE})
  set(lumivex_default_deps "$ENV{LUMIVEX_WINDOWS_CACHE}/prefix")
else()
  set(lumivex_default_deps "$ENV{HOME}/.cache/lumivex-windows/prefix")
endif()
set(LUMIVEX_WINDOWS_DEPS "${lumivex_default_deps}" CACHE PATH
    "Prefix of the cross-built libjpeg-turbo and libopenmpt")
if(NOT EXISTS "${LUMIVEX_WINDOWS_DEPS}/lib/libjpeg.a" OR
   NOT EXISTS "${LUMIVEX_WINDOWS_DEPS}/lib/libopenmpt.a")
  message(FATAL_ERROR "No cross-built libraries in ${LUMIVEX_WINDOWS_DEPS}: "
                      "run scripts/build-windows-deps first")
endif()

# GL 1.1 and GLU are the system's opengl32 and glu32.
set(GL_LIBRARY opengl32)
set(GLU_LIBRARY glu32)

add_library(JPEG::JPEG STATIC IMPORTED)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION "${LUMIVEX_WINDOWS_DEPS}/lib/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${LUMIVEX_WINDOWS_DEPS}/include")

add_library(Lumivex::openmpt STATIC IMPORTED)
set_target_properties(Lumivex::openmpt PROPERTIES
  IMPORTED_LOCATION "${LUMIVEX_WINDOWS_DEPS}/lib/libopenmpt.a"
  INTERFACE_INCLUDE_DIRECTORIES "${LUMIVEX_WINDOWS_DEPS}/include")

# One file to copy: the C and C++ runtimes and winpthread go inside the executable; only
# the system's DLLs stay outside. Stripped: the libraries carry debugging information.
add_link_options(-static -static-libgcc -static-libstdc++ -s)
