# The browser build (emcmake cmake): the show's libraries from scripts/build-web-deps'
# prefix, GL through platform/gl11 on WebGL 1.
# The cache folder is the script's: $LUMIVEX_WEB_CACHE, else ~/.cache/lumivex-web.
if(DEFINED ENV{LUMIVEX_WEB_CACHE} AND NOT "$ENV{LUMIVEX_WEB_CACHE}" STREQUAL "")
  set(web_cache "$ENV{LUMIVEX_WEB_CACHE}")
else()
  set(web_cache "$ENV{HOME}/.cache/lumivex-web")
endif()
set(LUMIVEX_WEB_PREFIX "${web_cache}/prefix" CACHE PATH
    "Where scripts/build-web-deps installed libjpeg-turbo, libopenmpt and GLU")
if(NOT EXISTS "${LUMIVEX_WEB_PREFIX}/.complete")
  message(FATAL_ERROR "No web libraries in ${LUMIVEX_WEB_PREFIX}: run scripts/build-web-deps")
endif()
add_library(JPEG::JPEG STATIC IMPORTED)
set_target_properties(JPEG::JPEG PROPERTIES IMPORTED_LOCATION "${LUMIVEX_WEB_PREFIX}/lib/libjpeg.a"
                      INTERFACE_INCLUDE_DIRECTORIES "${LUMIVEX_WEB_PREFIX}/include")
add_library(Lumivex::openmpt STATIC IMPORTED)
set_target_properties(Lumivex::openmpt PROPERTIES
                      IMPORTED_LOCATION "${LUMIVEX_WEB_PREFIX}/lib/libopenmpt.a"
                      INTERFACE_INCLUDE_DIRECTORIES "${LUMIVEX_WEB_PREFIX}/include")
set(GLU_LIBRARY "${LUMIVEX_WEB_PREFIX}/lib/libGLU.a")
# libopenmpt reports a file that is no module by throwing, and the module player catches
# it (a "Music File Not Found"); emscripten drops catching unless asked for it.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
