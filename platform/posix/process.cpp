// GetModuleFileNameA and GetCommandLineA over /proc/self and the arguments of main.
#include "platform/process.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/codepage.h"
#include "platform/lasterror.h"
#include "platform/posix/executable_path.h"
#include "platform/testing/command_line.h"

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

void SetProcessArguments(int argc, const char* const* argv) {
  std::lock_guard<std::mutex> lock(argumentsMutex);
  recordedArguments.clear();
  for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
    recordedArguments.emplace_back(argv[i]);
  }
  argumentsRecorded = true;
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
