#include "platform/format.h"

#include <cstdio>
#include <stdexcept>

void AppendFormat(std::string& text, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  AppendFormatV(text, format, arguments);
  va_end(arguments);
}

void AppendFormatV(std::string& text, const char* format, std::va_list arguments) {
  std::va_list measure;
  va_copy(measure, arguments);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed < 0) throw std::invalid_argument("AppendFormat: invalid format");
  const std::size_t start = text.size();
  text.resize(start + static_cast<std::size_t>(needed) + 1);
  std::vsnprintf(&text[start], static_cast<std::size_t>(needed) + 1, format, arguments);
  text.resize(start + static_cast<std::size_t>(needed));
}
