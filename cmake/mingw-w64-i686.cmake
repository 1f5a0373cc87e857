# Cross-compiles the 32-bit Windows program with mingw-w64 on Linux; the
# programs built are run through Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUARNEL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

find_program(QUARNEL_WINE wine)
if(QUARNEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUARNEL_WINE})
endif()
