// MultiByteToWideChar and WideCharToMultiByte on arbitrary bytes, for code page 932 (CP_ACP)
// and UTF-8.
//
// The first byte picks the code page and the flags; the rest is the text, read as bytes for
// MultiByteToWideChar and as UTF-16 units for WideCharToMultiByte. Every conversion is run as
// the callers run it: the size query, then the conversion into a buffer of exactly that size,
// which must give the same count (a heap buffer, so a write past it is an overrun); a buffer one
// smaller must fail with ERROR_INSUFFICIENT_BUFFER. Explicit lengths and -1 (on a copy with a
// terminator) are both run. UTF-8 that converts without MB_ERR_INVALID_CHARS errors must come
// back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/lasterror.h"

namespace {

// The size query and the conversion; returns the converted units (empty on failure).
std::u16string ToWide(UINT codePage, DWORD flags, const char* text, int length) {
  SetLastError(0);
  const int needed = MultiByteToWideChar(codePage, flags, text, length, nullptr, 0);
  if (needed < 0) std::abort();
  if (needed == 0) {
    const DWORD error = GetLastError();
    if (error != ERROR_NO_UNICODE_TRANSLATION && error != ERROR_INVALID_PARAMETER) std::abort();
    return {};
  }
  auto exact = std::make_unique<WCHAR[]>(needed);
  if (MultiByteToWideChar(codePage, flags, text, length, exact.get(), needed) != needed) {
    std::abort();
  }
  if (needed > 1) {
    auto short_by_one = std::make_unique<WCHAR[]>(needed - 1);
    SetLastError(0);
    if (MultiByteToWideChar(codePage, flags, text, length, short_by_one.get(), needed - 1) != 0 ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      std::abort();
    }
  }
  return std::u16string(exact.get(), needed);
}

std::string ToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int length) {
  const bool utf8 = codePage == CP_UTF8;
  BOOL usedDefault = FALSE;
  BOOL* used = utf8 ? nullptr : &usedDefault;
  SetLastError(0);
  const int needed = WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, used);
  if (needed < 0) std::abort();
  if (needed == 0) {
    const DWORD error = GetLastError();
    if (error != ERROR_NO_UNICODE_TRANSLATION && error != ERROR_INVALID_PARAMETER) std::abort();
    return {};
  }
  auto exact = std::make_unique<char[]>(needed);
  if (WideCharToMultiByte(codePage, flags, text, length, exact.get(), needed, nullptr, used) !=
      needed) {
    std::abort();
  }
  if (needed > 1) {
    auto short_by_one = std::make_unique<char[]>(needed - 1);
    SetLastError(0);
    if (WideCharToMultiByte(codePage, flags, text, length, short_by_one.get(), needed - 1, nullptr,
                            used) != 0 ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      std::abort();
    }
  }
  return std::string(exact.get(), needed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const UINT codePage = (mode & 1) != 0 ? CP_UTF8 : CP_ACP;
  const bool strict = (mode & 2) != 0;
  ++data;
  --size;
  if (size > 4096) return 0;
  const int length = static_cast<int>(size);

  // Bytes to UTF-16: an exact-size heap copy for the explicit length, so a read past it shows.
  std::unique_ptr<char[]> bytes(new char[size > 0 ? size : 1]);
  if (size > 0) std::memcpy(bytes.get(), data, size);
  const DWORD mbFlags = strict ? MB_ERR_INVALID_CHARS : 0;
  const std::u16string wide = ToWide(codePage, mbFlags, bytes.get(), length);
  if (size > 0 && wide.empty() && !strict) std::abort();  // only strict mode refuses text

  // The same up to its first zero, with -1: the count includes the terminator.
  const std::size_t terminated_length = strnlen(bytes.get(), size);
  std::unique_ptr<char[]> terminated(new char[terminated_length + 1]);
  std::memcpy(terminated.get(), bytes.get(), terminated_length);
  terminated[terminated_length] = '\0';
  const std::u16string wide_terminated = ToWide(codePage, mbFlags, terminated.get(), -1);
  if (!wide_terminated.empty() && wide_terminated.back() != u'\0') std::abort();

  // Valid UTF-8 comes back unchanged.
  if (codePage == CP_UTF8 && strict && !wide.empty()) {
    const std::string back =
        ToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()));
    if (back != std::string(bytes.get(), size)) std::abort();
  }

  // UTF-16 units to bytes.
  const std::size_t units = size / 2;
  std::unique_ptr<WCHAR[]> text(new WCHAR[units > 0 ? units : 1]);
  if (units > 0) std::memcpy(text.get(), data, units * 2);
  const DWORD wcFlags = strict && codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
  const std::string narrow = ToMultiByte(codePage, wcFlags, text.get(), static_cast<int>(units));
  if (units > 0 && narrow.empty() && wcFlags == 0) std::abort();
  std::size_t terminated_units = 0;
  while (terminated_units < units && text[terminated_units] != 0) ++terminated_units;
  std::unique_ptr<WCHAR[]> text_terminated(new WCHAR[terminated_units + 1]);
  std::memcpy(text_terminated.get(), text.get(), terminated_units * 2);
  text_terminated[terminated_units] = 0;
  const std::string narrow_terminated = ToMultiByte(codePage, wcFlags, text_terminated.get(), -1);
  if (!narrow_terminated.empty() && narrow_terminated.back() != '\0') std::abort();

  // The whole-text helpers of the POSIX edges.
  const std::string view(bytes.get(), size);
  platform::WideFromAnsi(view);
  platform::Utf8FromAnsi(view);
  platform::AnsiFromUtf8(view);
  const std::u16string units_view(text.get(), units);
  platform::AnsiFromWide(units_view);
  platform::Utf8FromWide(units_view);
  return 0;
}
