# 64-bit Windows (x86_64-w64-mingw32), for running the suite under Wine on a machine whose
# kernel cannot execute 32-bit code (no IA-32 emulation: Wine's 32-bit loader fails with "Exec
# format error", so only 64-bit Windows programs run). The same sources as the 32-bit target;
# only the calling conventions collapse into one, as on x86-64 Linux. See mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LINKSTART_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
