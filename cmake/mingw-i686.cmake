# The program's target: 32-bit Windows (i686-w64-mingw32). See mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LINKSTART_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
