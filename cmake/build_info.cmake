# What a build bakes into its programs: the version (from project() in the top
# CMakeLists.txt, the one place it is written) and, for a packaged build, where the
# installed data folder is. Programs include "lumivex/build_info.h".
set(LUMIVEX_DATA_DIR "" CACHE PATH
    "Installed builds: the folder holding the pictures and the module (empty: a portable \
build that finds data/ in the working folder or beside the program)")
if(LUMIVEX_DATA_DIR AND NOT IS_ABSOLUTE "${LUMIVEX_DATA_DIR}")
  message(FATAL_ERROR "LUMIVEX_DATA_DIR must be an absolute path, not ${LUMIVEX_DATA_DIR}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/build_info.h.in
               ${CMAKE_BINARY_DIR}/generated/lumivex/build_info.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
