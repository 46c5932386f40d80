// Writing a whole small file shared with other processes, handing a code page 932 path to
// libraries that take wide-character paths, and keeping the C locale's character type fit for
// file names.
//
// The program's paths are code page 932 text in which "\" and "/" both separate folders (the
// second byte of a double-byte character never does). Here the file system takes UTF-8 with
// "/", so such a path is converted before it is opened; on Windows it would be passed as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Makes the file `path` hold exactly `content`, byte for byte (no line-end translation: a
// caller that wants CR LF writes it): created if missing, else replaced in whole. Returns false,
// with the last error set, and leaves an existing file as it was when the file cannot be
// written: a missing folder, an invalid name, a folder of that name, a file this user may not
// write, and a file with the read-only attribute (no owner write permission), for every user,
// root included, as on Windows; false too when a write fails part-way (a full disk, a file-size
// limit). Nothing is thrown.
//
// The content is written to a new file beside the old one and renamed over it, so the file
// always holds one whole version: a write cut part-way leaves the old file, and a reader, or
// another start writing at the same moment, never sees bytes of two versions. Readers and
// writers are not locked out (deny none). The new file keeps the old one's permissions. A file
// that already holds exactly `content` is left as it is (true).
bool WriteSharedFile(const std::string& path, std::string_view content);

// The whole content of the file `path`, byte for byte, or no result when it cannot be read: a
// missing file, a folder, no permission, a read that fails part-way. The file is opened for
// reading only and shared with other processes (deny none). Nothing is thrown.
std::optional<std::string> ReadWholeFile(const std::string& path);

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
