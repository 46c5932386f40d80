// Conversion between code page 932 text and UTF-16, with the Windows contract of
// MultiByteToWideChar and WideCharToMultiByte, and the UTF-8 edges of the POSIX backend.
//
// The ANSI code page of this process is 932: CP_ACP, CP_THREAD_ACP and CP_OEMCP all mean 932
// (the fixed ANSI code page of a Japanese Windows process). CP_UTF8 is supported too, for the
// edges where text leaves the program. Any other code page fails with ERROR_INVALID_PARAMETER.
//
// Common contract of both functions:
//   - a source length of -1 means "up to and including the terminating zero", and the count
//     returned then includes the terminator; any other length is taken as given (no
//     terminator added);
//   - a destination size of 0 asks for the size needed, and nothing is written;
//   - on failure the result is 0 and the thread's last error is ERROR_INVALID_PARAMETER,
//     ERROR_INSUFFICIENT_BUFFER or ERROR_NO_UNICODE_TRANSLATION.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/codepage.h"
#endif

#include "platform/types.h"

namespace platform {

// Whole-text helpers built on the two functions above, for the edges of the POSIX backend
// (file names, the terminal, the dialog) and for tests.
WideString WideFromAnsi(std::string_view ansi);
std::string AnsiFromWide(WideStringView wide);
std::string Utf8FromAnsi(std::string_view ansi);
// A character that code page 932 cannot hold becomes "?", as in the ANSI file functions.
std::string AnsiFromUtf8(std::string_view utf8);
std::string Utf8FromWide(WideStringView wide);
// UTF-16 text as wide text, for libraries whose wide-character entry points take wchar_t:
// unchanged where wchar_t is UTF-16 (Windows), surrogate pairs combined where it is UTF-32
// (here). A lone surrogate is kept as it is.
std::wstring WideTextFromUtf16(std::u16string_view text);

}  // namespace platform
