// What the code above the platform layer needs that Windows has no function for: whole-text
// code page conversions, the program's module handle and its list of resource modules. Each is
// a thin use of the system's own functions.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/resource.h"

namespace {

platform::WideString WideFrom(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return {};
  platform::WideString wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), units);
  return wide;
}

std::string MultiByteFrom(UINT codePage, platform::WideStringView wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), length, text.data(), bytes, nullptr, nullptr);
  return text;
}

}  // namespace

namespace platform {

WideString WideFromAnsi(std::string_view ansi) { return WideFrom(CP_ACP, ansi); }
std::string AnsiFromWide(WideStringView wide) { return MultiByteFrom(CP_ACP, wide); }
std::string Utf8FromAnsi(std::string_view ansi) { return Utf8FromWide(WideFromAnsi(ansi)); }
std::string AnsiFromUtf8(std::string_view utf8) { return AnsiFromWide(WideFrom(CP_UTF8, utf8)); }
std::string Utf8FromWide(WideStringView wide) { return MultiByteFrom(CP_UTF8, wide); }
// wchar_t is UTF-16 here: the same code units.
std::wstring WideTextFromUtf16(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

HMODULE ProgramModule() { return GetModuleHandleW(nullptr); }

// Windows keeps the string resources in the executable; the program's list holds it alone.
int ResourceModuleCount() { return 1; }
HMODULE ResourceModuleAt(int index) { return index == 0 ? ProgramModule() : nullptr; }

}  // namespace platform
