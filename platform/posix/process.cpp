// GetModuleFileNameA and GetCommandLineA over /proc/self and the arguments of main.
#include "platform/process.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/codepage.h"
#include "platform/lasterror.h"
#include "platform/posix/executable_path.h"

namespace {

// The program's module handle: the address of an object of ours, never dereferenced.
char programModuleTag;

std::mutex argumentsMutex;
std::vector<std::string> recordedArguments;
bool argumentsRecorded = false;

std::vector<std::string> ArgumentsFromProc() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  std::size_t start = 0;
  while (start < all.size()) {
    const std::size_t end = all.find('\0', start);
    const std::size_t stop = end == std::string::npos ? all.size() : end;
    arguments.push_back(all.substr(start, stop - start));
    start = stop + 1;
  }
  return arguments;
}

void AppendQuotedArgument(std::string& line, const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
    line += argument;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      line.append(backslashes * 2 + 1, '\\');
    } else {
      line.append(backslashes, '\\');
    }
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

}  // namespace

namespace platform {

bool ReadExecutablePath(std::string& path) {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < buffer.size()) {
      path.assign(buffer.data(), static_cast<std::size_t>(n));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

HMODULE ProgramModule() { return reinterpret_cast<HMODULE>(&programModuleTag); }

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

void SetProcessArguments(int argc, const char* const* argv) {
  std::lock_guard<std::mutex> lock(argumentsMutex);
  recordedArguments.clear();
  for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
    recordedArguments.emplace_back(argv[i]);
  }
  argumentsRecorded = true;
}

std::string BuildCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (i == 0) {
      // The program name ends at the first space or tab, or at the closing quote; a quote
      // inside it cannot be written in a way CommandLineToArgvW reads back, so it is dropped.
      std::string name;
      for (const char c : argument) {
        if (c != '"') name += c;
      }
      const bool quote = name.empty() || name.find_first_of(" \t") != std::string::npos;
      line += quote ? '"' + name + '"' : name;
      continue;
    }
    line += ' ';
    AppendQuotedArgument(line, argument);
  }
  return line;
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
  std::vector<std::u16string> arguments;
  std::size_t i = 0;
  const std::size_t n = line.size();

  // The program name: up to the first blank, or between quotes, taken verbatim.
  std::u16string name;
  bool quoted = false;
  for (; i < n; ++i) {
    const char16_t c = line[i];
    if (c == u'"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == u' ' || c == u'\t')) break;
    name += c;
  }
  arguments.push_back(name);

  for (;;) {
    while (i < n && (line[i] == u' ' || line[i] == u'\t')) ++i;
    if (i >= n) break;
    std::u16string argument;
    bool inQuotes = false;
    while (i < n) {
      const char16_t c = line[i];
      if (!inQuotes && (c == u' ' || c == u'\t')) break;
      if (c == u'\\') {
        std::size_t backslashes = 0;
        while (i < n && line[i] == u'\\') {
          ++backslashes;
          ++i;
        }
        if (i < n && line[i] == u'"') {
          argument.append(backslashes / 2, u'\\');
          if (backslashes % 2 == 1) {
            argument += u'"';
            ++i;
          }
        } else {
          argument.append(backslashes, u'\\');
        }
        continue;
      }
      if (c == u'"') {
        if (inQuotes && i + 1 < n && line[i + 1] == u'"') {
          // "" inside quotes is one literal quote and keeps the quoted mode.
          argument += u'"';
          i += 2;
          continue;
        }
        inQuotes = !inQuotes;
        ++i;
        continue;
      }
      argument += c;
      ++i;
    }
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace platform

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module != nullptr && module != platform::ProgramModule()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::string utf8;
  if (!platform::ReadExecutablePath(utf8)) {
    SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const std::string path = platform::AnsiFromUtf8(utf8);
  if (fileName == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= size) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, path.data(), path.size());
  fileName[path.size()] = '\0';
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

LPSTR GetCommandLineA() {
  // Built once, as Windows builds it once at process start; later calls return the same text.
  static std::string commandLine = [] {
    std::vector<std::string> arguments;
    {
      std::lock_guard<std::mutex> lock(argumentsMutex);
      arguments = argumentsRecorded ? recordedArguments : ArgumentsFromProc();
    }
    return platform::AnsiFromUtf8(platform::BuildCommandLine(arguments));
  }();
  return commandLine.data();
}
