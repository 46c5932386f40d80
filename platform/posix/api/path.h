// The runtime library's path routines: splitting a path into its parts and forming an absolute
// path. Both read "\" and "/" as separators and never take the second byte of a double-byte
// character of code page 932 (such as 0x5C in 表, 0x95 0x5C) for a separator or a dot.
//
// The POSIX backend's own declarations of these names; on Windows platform/path.h
// includes the system's headers instead.
#pragma once

#include <cstddef>

// Buffer sizes, terminator included, of the parts that _splitpath writes.
constexpr std::size_t _MAX_DRIVE = 3;
constexpr std::size_t _MAX_DIR = 256;
constexpr std::size_t _MAX_FNAME = 256;
constexpr std::size_t _MAX_EXT = 256;

// Splits `path` into its drive ("X:" when the second byte is ":", else empty), its folder
// (everything after the drive up to and including the last separator), its file name without
// extension (the rest up to its last ".") and its extension (that "." and what follows). Any
// out pointer may be null; each non-null one must hold its _MAX_ size. Pure: no system call.
//
//   _splitpath("C:\\logs\\app.tar.gz", drive, dir, fname, ext);
//   // "C:", "\\logs\\", "app.tar", ".gz"
//
// When a part does not fit its buffer (more than 2, 255, 255 or 255 bytes), no part is
// reliable, so every out buffer is set to the empty text instead (as the checked runtime
// splitter does): a caller never reads a part that was cut short. A null path gives empty parts.
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);

// Forms the absolute path of `relPath` against the current folder, lexically: "." and ".."
// names are resolved without looking at the file system, runs of separators become one, and
// every separator becomes the platform's ("/" here); a trailing separator is kept. A null or
// empty `relPath` gives the current folder. Writes to `absPath` and returns it, or, when
// `absPath` is null, returns a buffer from malloc that the caller frees. Returns null when the
// result with its terminator does not fit in `maxLength` bytes (MAX_PATH when `absPath` is
// null) or the current folder cannot be read.
char* _fullpath(char* absPath, const char* relPath, std::size_t maxLength);
