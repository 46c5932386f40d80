# Shared part of the mingw-w64 toolchains (mingw-i686.cmake, mingw-x86_64.cmake): Debian's
# cross compilers with posix threads (the win32 thread model has no std::mutex), linked
# statically so that no runtime DLL must lie beside the program. Tests and test discovery run
# under Wine: LINKSTART_WINE names its loader (default "wine"; scripts/wine-session.sh says
# which one the session uses).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${LINKSTART_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LINKSTART_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LINKSTART_MINGW_TRIPLE}-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${LINKSTART_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(NOT LINKSTART_WINE)
  if(DEFINED ENV{LINKSTART_WINE})
    set(LINKSTART_WINE $ENV{LINKSTART_WINE})
  else()
    set(LINKSTART_WINE wine)
  endif()
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${LINKSTART_WINE})
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
