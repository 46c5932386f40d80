#include "platform/file_stream.h"

#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "platform/codepage.h"
#include "platform/mbstring.h"

namespace {

// Every "\" that is not the second byte of a double-byte character becomes "/".
std::string WithSlashes(std::string path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (_ismbblead(byte) && i + 1 < path.size()) {
      ++i;
    } else if (byte == '\\') {
      path[i] = '/';
    }
  }
  return path;
}

}  // namespace

namespace platform {

void OpenSharedOutput(std::ofstream& stream, const std::string& path) {
  stream.open(Utf8FromAnsi(WithSlashes(path)), std::ios::out | std::ios::trunc | std::ios::binary);
}

std::wstring WidePath(const std::string& path) {
  const std::u16string utf16 = WideFromAnsi(WithSlashes(path));
  std::wstring wide;
  wide.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char32_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      wide += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else {
      wide += static_cast<wchar_t>(unit);
    }
  }
  return wide;
}

void KeepFileNameCharacterType(const std::string& previousCharacterType) {
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
    std::setlocale(LC_CTYPE, previousCharacterType.c_str());
  }
}

}  // namespace platform
