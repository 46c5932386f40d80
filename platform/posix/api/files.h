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
//
// The POSIX backend's own declarations of these names; on Windows platform/files.h
// includes the system's headers instead.
#pragma once

#include "platform/posix/api/types.h"

// A point in time as a count of 100-nanosecond intervals since 1601-01-01 00:00 UTC (or, after
// FileTimeToLocalFileTime, local time), split into two 32-bit halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

// A broken-down date and time; the month counts from 1 and the day of the week from Sunday (0).
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// One entry found by the search.
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];     // the entry's name, zero-terminated
  CHAR cAlternateFileName[14];  // the 8.3 short name; always empty here
};

// Security attributes of a new object; accepted and ignored (the folder gets the default mode).
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Attribute bits of dwFileAttributes. Here a folder carries FILE_ATTRIBUTE_DIRECTORY, every other
// entry FILE_ATTRIBUTE_ARCHIVE (as a file system marks new files on Windows), and an entry whose
// owner may not write it FILE_ATTRIBUTE_READONLY besides.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

// Starts a search for the entries that match `fileName`: a folder part (optional) and a last
// part that is an exact name or a pattern with the wildcards "*" and "?" (see
// platform/wildcard.h). Fills *findData with the first match and returns a handle for
// FindNextFileA and FindClose, or INVALID_HANDLE_VALUE with the last error:
//   ERROR_FILE_NOT_FOUND   nothing matches, or the pattern ends in a separator or is a bare root
//                          (the Windows search matches neither);
//   ERROR_PATH_NOT_FOUND   the folder part does not exist or is not a folder, or the text is
//                          empty;
//   ERROR_ACCESS_DENIED    the folder may not be read;
//   ERROR_INVALID_NAME     a wildcard stands in the folder part;
//   ERROR_FILENAME_EXCED_RANGE  the text does not fit in MAX_PATH bytes;
//   ERROR_INVALID_PARAMETER     a null argument.
// An exact name costs one status call; a pattern reads the folder once, in the system's order
// ("." and ".." included, as in any folder but a root on Windows).
HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData);

// Fills *findData with the next match and returns TRUE, or returns FALSE with the last error
// ERROR_NO_MORE_FILES when none is left (ERROR_INVALID_HANDLE for a handle that is not an open
// search, INVALID_HANDLE_VALUE included). On FALSE, *findData is not written.
BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* findData);

// Ends the search and releases its handle. FALSE with ERROR_INVALID_HANDLE for a handle that is
// not an open search (a second close included).
BOOL FindClose(HANDLE findFile);

// Creates one folder. FALSE with the last error ERROR_ALREADY_EXISTS (an entry of that name
// exists), ERROR_PATH_NOT_FOUND (a parent is missing or is not a folder, or the path is empty),
// ERROR_ACCESS_DENIED (no permission), ERROR_WRITE_PROTECT (a read-only file system),
// ERROR_FILENAME_EXCED_RANGE (the path, or one of its names, is too long) or
// ERROR_INVALID_PARAMETER (null path). `securityAttributes` is ignored.
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);

// Converts a UTC file time to local time, with the offset from UTC that the local time zone has
// at that instant. FALSE with ERROR_INVALID_PARAMETER for null arguments or a time at or beyond
// 2^63 intervals.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);

// Breaks a file time into its calendar fields (years 1601 to 30827). FALSE with
// ERROR_INVALID_PARAMETER for null arguments or a time at or beyond 2^63 intervals.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
