# What both mingw-w64 toolchain files share: the compilers of one target
# triplet and a search confined to its root. The including file sets
# QUARNEL_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

# The POSIX thread model of the toolchain is the one that has std::thread;
# either compiler builds this program.
find_program(QUARNEL_MINGW_CXX NAMES ${QUARNEL_MINGW_TRIPLET}-g++-posix ${QUARNEL_MINGW_TRIPLET}-g++ REQUIRED)
find_program(QUARNEL_MINGW_CC NAMES ${QUARNEL_MINGW_TRIPLET}-gcc-posix ${QUARNEL_MINGW_TRIPLET}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${QUARNEL_MINGW_CXX})
set(CMAKE_C_COMPILER ${QUARNEL_MINGW_CC})
set(CMAKE_RC_COMPILER ${QUARNEL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUARNEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
