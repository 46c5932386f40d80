// The command-line quoting on arbitrary arguments: platform::BuildCommandLine and
// platform::SplitCommandLine.
//
// The input, cut at its zero bytes, is the argument list (program path first), so no argument
// holds a zero. When every argument is valid UTF-8, splitting the built line must give the
// arguments back; the one documented exception is a quote in the program path, which is
// dropped because CommandLineToArgvW cannot read one back. The input read as UTF-16 units is
// also split as a command line of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/testing/command_line.h"

namespace {

// UTF-8 to UTF-16; false for text that is not valid UTF-8.
bool Utf16FromUtf8(const std::string& text, std::u16string& out) {
  out.clear();
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  const int needed =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  out.resize(static_cast<std::size_t>(needed));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, out.data(),
                             needed) == needed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::vector<std::string> arguments;
  for (std::size_t at = 0;;) {
    const std::size_t end = input.find('\0', at);
    arguments.emplace_back(input.substr(at, end == std::string_view::npos ? end : end - at));
    if (end == std::string_view::npos) break;
    at = end + 1;
  }

  const std::string line = platform::BuildCommandLine(arguments);
  std::u16string wideLine;
  bool valid = Utf16FromUtf8(line, wideLine);
  std::vector<std::u16string> expected;
  for (std::size_t i = 0; valid && i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (i == 0) {
      std::string withoutQuotes;
      for (const char c : argument) {
        if (c != '"') withoutQuotes += c;
      }
      argument = withoutQuotes;
    }
    std::u16string wide;
    valid = Utf16FromUtf8(argument, wide);
    expected.push_back(wide);
  }
  if (valid) {
    const std::vector<std::u16string> split = platform::SplitCommandLine(wideLine);
    if (split != expected) std::abort();
  }

  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  const std::vector<std::u16string> split = platform::SplitCommandLine(units);
  if (split.empty()) std::abort();  // the program name is always there
  return 0;
}
