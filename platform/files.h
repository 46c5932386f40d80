// The Windows file search, folder creation and file-time conversion that the program uses.
//
// The search walks the entries of one folder that match a name or a wildcard pattern:
//
//   WIN32_FIND_DATAA data;
//   HANDLE search = FindFirstFileA("logs\\*.txt", &data);
//   if (search != INVALID_HANDLE_VALUE) {
//     do { Use(data.cFileName); } while (FindNextFileA(search, &data));
//     FindClose(search);
//   }
//
// Paths are code page 932 text. "\" and "/" both separate folders, as on Windows; the second
// byte of a double-byte character (such as 0x5C in 表, 0x95 0x5C) never does. A path, with its
// terminating zero, must fit in MAX_PATH (260) bytes. Every function reports failure through
// the thread's last-error value (GetLastError) with the Windows codes.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/files.h"
#endif

namespace platform {
// The separator this platform writes where the program builds a path: "\" on Windows, "/" here.
// Reading accepts both.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
}  // namespace platform
