// Windows data types, constants and calling conventions that the program uses (HRESULT, DWORD,
// WCHAR, HMODULE, MAX_PATH, S_OK, the last-error codes, WINAPI, STDMETHODCALLTYPE, ...).
//
// On Windows they are the system's own; the POSIX backend declares them itself with the same
// sizes and meanings (WCHAR is a 16-bit UTF-16 code unit on both).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/types.h"
#endif

#include <string>
#include <string_view>

namespace platform {

// Text of WCHAR code units (std::u16string here, std::wstring of 16-bit units on Windows).
using WideString = std::basic_string<WCHAR>;
using WideStringView = std::basic_string_view<WCHAR>;

}  // namespace platform

// A literal of WCHAR text: PLATFORM_WIDE("abc") is u"abc" here and L"abc" on Windows.
#ifdef _WIN32
#define PLATFORM_WIDE_(text) L##text
#else
#define PLATFORM_WIDE_(text) u##text
#endif
#define PLATFORM_WIDE(text) PLATFORM_WIDE_(text)
