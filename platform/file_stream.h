// Handing a code page 932 path to the standard library's file streams and to libraries that
// take wide-character paths, and keeping the C locale's character type fit for file names.
//
// The program's paths are code page 932 text in which "\" and "/" both separate folders (the
// second byte of a double-byte character never does). Here the file system takes UTF-8 with
// "/", so such a path is converted before it is opened; on Windows it would be passed as it is.
#pragma once

#include <fstream>
#include <string>

namespace platform {

// Opens `stream` for output on the file `path`: created if missing, emptied if present, in
// binary mode (the bytes written are the bytes stored; a caller that wants CR LF writes it),
// and shared with other processes, which may read and write the file while it is open (deny
// none; a plain POSIX open takes no lock). When the file cannot be opened (a missing folder, a
// read-only file, an invalid name) the stream is left in the failed state: writing to it and
// closing it do nothing, and nothing is thrown.
void OpenSharedOutput(std::ofstream& stream, const std::string& path);

// `path` as a wide-character path (UTF-32 in wchar_t here) with the separators that the
// platform's file functions read, for a library whose wide-character entry points do not depend
// on the C locale.
std::wstring WidePath(const std::string& path);

// Called right after setlocale(LC_ALL, "") with the LC_CTYPE name in force before it. On
// Windows the user's default locale carries the ANSI code page, so a library that converts
// paths with the C locale (log4cxx does) still reaches the right files. Here the character type
// stands in for that code page: the POSIX entry sets it to UTF-8, the file names' encoding, and
// when the user's default is not UTF-8 (no LANG at all gives "C", which turns every non-ASCII
// byte into "?") LC_CTYPE is put back to `previousCharacterType`. The other categories keep the
// user's default.
void KeepFileNameCharacterType(const std::string& previousCharacterType);

}  // namespace platform
