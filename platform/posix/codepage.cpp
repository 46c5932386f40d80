// MultiByteToWideChar and WideCharToMultiByte over glibc iconv.
//
// iconv's "CP932" is Microsoft's table (0x5C stays "\", 0x7E stays "~"); its "SHIFT_JIS"
// is not, so it is never used. Invalid input is handled here, one character at a time, with
// the replacements that Windows makes, so iconv only ever converts well-formed runs.
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "platform/lasterror.h"
#include "platform/mbstring.h"
#include "platform/posix/ascii.h"

namespace {

constexpr char16_t kCp932Default = 0x30FB;  // KATAKANA MIDDLE DOT, code page 932's default
constexpr char16_t kReplacement = 0xFFFD;

enum class Charset { Cp932, Utf8 };

bool CharsetOf(UINT codePage, Charset& charset) {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case 932:
      charset = Charset::Cp932;
      return true;
    case CP_UTF8:
      charset = Charset::Utf8;
      return true;
    default:
      return false;
  }
}

// One iconv conversion descriptor, opened on first use and kept for the thread.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (handle_ != reinterpret_cast<iconv_t>(-1)) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much of [in, in + inBytes) as is valid; returns the bytes consumed and appends
  // the output. Stops at the first invalid or incomplete sequence.
  std::size_t Convert(const char* in, std::size_t inBytes, std::vector<char>& out) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* source = const_cast<char*>(in);
    std::size_t left = inBytes;
    char buffer[1024];
    while (left > 0) {
      char* target = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t rc = iconv(handle_, &source, &left, &target, &room);
      out.insert(out.end(), buffer, target);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    return inBytes - left;
  }

 private:
  iconv_t handle_;
};

Converter& ToUtf16(Charset from) {
  thread_local Converter cp932("UTF-16LE", "CP932");
  thread_local Converter utf8("UTF-16LE", "UTF-8");
  return from == Charset::Cp932 ? cp932 : utf8;
}

Converter& FromUtf16(Charset to) {
  thread_local Converter cp932("CP932", "UTF-16LE");
  thread_local Converter utf8("UTF-8", "UTF-16LE");
  return to == Charset::Cp932 ? cp932 : utf8;
}

std::u16string UnitsOf(const std::vector<char>& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return units;
}

// Whether `byte` can be the second byte of a double-byte character of code page 932.
bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

// The length of the invalid sequence at `p` (of `left` bytes) that one replacement stands for.
std::size_t InvalidLength(Charset charset, const unsigned char* p, std::size_t left) {
  if (charset == Charset::Cp932) {
    // A lead byte takes its second byte with it only when that byte can be a second byte
    // (0x40-0x7E, 0x80-0xFC): an undefined pair is one character. Before the end, the
    // terminator or any other byte (a space, a letter) the lead byte stands alone, and the
    // byte after it is converted on its own.
    return _ismbblead(p[0]) && left > 1 && IsTrailByte(p[1]) ? 2 : 1;
  }
  return 1;  // UTF-8: each ill-formed byte is replaced on its own
}

// Bytes 0x00-0x7F are the same characters in code page 932 (Microsoft's table, with 0x5C "\"
// and 0x7E "~"), in UTF-8 and in UTF-16, so ASCII text converts without iconv. Most paths and
// command lines are ASCII, and this spares the start-up loading iconv's conversion modules.
using platform::IsAscii;

// Decodes the whole source; `invalid` is set when a replacement was made.
std::u16string Decode(Charset charset, const char* text, std::size_t length, bool& invalid) {
  std::u16string result;
  if (IsAscii(text, length)) {
    result.assign(text, text + length);
    return result;
  }
  std::vector<char> out;
  std::size_t at = 0;
  while (at < length) {
    out.clear();
    at += ToUtf16(charset).Convert(text + at, length - at, out);
    result += UnitsOf(out);
    if (at < length) {
      invalid = true;
      result += charset == Charset::Cp932 ? kCp932Default : kReplacement;
      at += InvalidLength(charset, reinterpret_cast<const unsigned char*>(text) + at, length - at);
    }
  }
  return result;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Encodes the whole source; `replaced` is set when a character took the replacement.
std::string Encode(Charset charset, const char16_t* wide, std::size_t length,
                   const std::string& replacement, bool& replaced) {
  if (IsAscii(wide, length)) return std::string(wide, wide + length);
  std::vector<char> bytes;
  bytes.reserve(length * 2);
  for (std::size_t i = 0; i < length; ++i) {
    bytes.push_back(static_cast<char>(wide[i] & 0xFF));
    bytes.push_back(static_cast<char>(wide[i] >> 8));
  }
  std::string result;
  std::vector<char> out;
  std::size_t at = 0;  // in bytes
  while (at < bytes.size()) {
    out.clear();
    at += FromUtf16(charset).Convert(bytes.data() + at, bytes.size() - at, out);
    result.append(out.begin(), out.end());
    if (at < bytes.size()) {
      replaced = true;
      result += replacement;
      const std::size_t unit = at / 2;
      const bool pair =
          IsHighSurrogate(wide[unit]) && unit + 1 < length && IsLowSurrogate(wide[unit + 1]);
      at += pair ? 4 : 2;
    }
  }
  return result;
}

// Copies `source` into the caller's buffer under the size-query contract.
template <typename Unit>
int Deliver(const std::basic_string<Unit>& source, Unit* destination, int destinationLength) {
  // A result longer than an int can count (possible for UTF-8 from a huge UTF-16 text).
  if (source.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
    return 0;
  }
  const int needed = static_cast<int>(source.size());
  if (destinationLength == 0) return needed;
  if (needed > destinationLength) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(destination, source.data(), source.size() * sizeof(Unit));
  return needed;
}

template <typename Unit>
std::size_t TerminatedLength(const Unit* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n + 1;
}

bool Overlap(const void* a, std::size_t aBytes, const void* b, std::size_t bBytes) {
  const char* x = static_cast<const char*>(a);
  const char* y = static_cast<const char*>(b);
  return x < y + bBytes && y < x + aBytes;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteLength,
                        LPWSTR wide, int wideLength) {
  Charset charset;
  if (!CharsetOf(codePage, charset) || multiByte == nullptr || multiByteLength == 0 ||
      wideLength < 0 || (wide == nullptr && wideLength != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // MB_PRECOMPOSED is the default and changes nothing for these code pages.
  if ((flags & ~(MB_ERR_INVALID_CHARS | MB_PRECOMPOSED)) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  // Any negative length means "up to and including the terminator", as on Windows.
  const std::size_t length =
      multiByteLength < 0 ? TerminatedLength(multiByte) : static_cast<std::size_t>(multiByteLength);
  if (wide != nullptr &&
      Overlap(multiByte, length, wide, static_cast<std::size_t>(wideLength) * 2)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  bool invalid = false;
  const std::u16string result = Decode(charset, multiByte, length, invalid);
  if (invalid && (flags & MB_ERR_INVALID_CHARS) != 0) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return Deliver(result, wide, wideLength);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multiByte,
                        int multiByteLength, LPCCH defaultChar, LPBOOL usedDefaultChar) {
  Charset charset;
  const DWORD allowed = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
  if (!CharsetOf(codePage, charset) || wide == nullptr || wideLength == 0 || multiByteLength < 0 ||
      (multiByte == nullptr && multiByteLength != 0) || (flags & ~allowed) != 0 ||
      (charset == Charset::Utf8 && (defaultChar != nullptr || usedDefaultChar != nullptr))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t length =
      wideLength < 0 ? TerminatedLength(wide) : static_cast<std::size_t>(wideLength);
  if (multiByte != nullptr &&
      Overlap(wide, length * 2, multiByte, static_cast<std::size_t>(multiByteLength))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string replacement;
  if (charset == Charset::Utf8) {
    replacement = "\xEF\xBF\xBD";  // U+FFFD
  } else if (defaultChar != nullptr) {
    // The default character is one character of the code page: one byte, or a lead byte and
    // its second byte.
    replacement.assign(
        defaultChar,
        _ismbblead(static_cast<unsigned char>(defaultChar[0])) && defaultChar[1] != 0 ? 2 : 1);
  } else {
    replacement = "?";
  }
  bool replaced = false;
  const std::string result = Encode(charset, wide, length, replacement, replaced);
  if (replaced && (flags & WC_ERR_INVALID_CHARS) != 0) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (usedDefaultChar != nullptr) *usedDefaultChar = replaced ? TRUE : FALSE;
  return Deliver(result, multiByte, multiByteLength);
}

namespace platform {

namespace {

std::u16string Decode(Charset charset, std::string_view text) {
  bool invalid = false;
  return ::Decode(charset, text.data(), text.size(), invalid);
}

std::string Encode(Charset charset, std::u16string_view text) {
  bool replaced = false;
  return ::Encode(charset, text.data(), text.size(),
                  charset == Charset::Utf8 ? "\xEF\xBF\xBD" : "?", replaced);
}

}  // namespace

std::u16string WideFromAnsi(std::string_view ansi) { return Decode(Charset::Cp932, ansi); }
std::string AnsiFromWide(std::u16string_view wide) { return Encode(Charset::Cp932, wide); }
// ASCII text is the same bytes in code page 932 and UTF-8: it is copied without the detour
// through UTF-16.
std::string Utf8FromAnsi(std::string_view ansi) {
  if (IsAscii(ansi)) return std::string(ansi);
  return Encode(Charset::Utf8, WideFromAnsi(ansi));
}
std::string AnsiFromUtf8(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return AnsiFromWide(Decode(Charset::Utf8, utf8));
}
std::string Utf8FromWide(std::u16string_view wide) { return Encode(Charset::Utf8, wide); }

std::wstring WideTextFromUtf16(std::u16string_view text) {
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    return std::wstring(text.begin(), text.end());
  } else {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char32_t unit = text[i];
      const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
                        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (pair) {
        wide += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
      } else {
        wide += static_cast<wchar_t>(unit);
      }
    }
    return wide;
  }
}

}  // namespace platform
