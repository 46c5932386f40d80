// printf-style formatting appended to a multibyte string, as the runtime's string classes
// offer it ("%0*d", "%c", ...). The bytes are appended as formatted; the locale's decimal
// point and grouping never enter integer conversions.
#pragma once

#include <cstdarg>
#include <string>

#if defined(__GNUC__)
#define PLATFORM_PRINTF_FORMAT(formatIndex, firstArg) \
  __attribute__((format(printf, formatIndex, firstArg)))
#else
#define PLATFORM_PRINTF_FORMAT(formatIndex, firstArg)
#endif

// Appends the formatted text to `text`. Running out of memory throws std::bad_alloc.
void AppendFormat(std::string& text, const char* format, ...) PLATFORM_PRINTF_FORMAT(2, 3);
void AppendFormatV(std::string& text, const char* format, std::va_list arguments);
