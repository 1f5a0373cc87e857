# Cross-compiles the 64-bit twin of the Windows program with mingw-w64 on
# Linux. The twin is a test vehicle, not a product: it is built from the
# same sources as the shipped 32-bit program, so that the Windows suite can
# run under 64-bit Wine on machines that cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUARNEL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# The 64-bit loader itself: /usr/bin/wine starts the 32-bit one whenever
# 32-bit Wine is installed.
find_program(QUARNEL_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(QUARNEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUARNEL_WINE})
endif()
