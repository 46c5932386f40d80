// The XDG user-dirs reader behind SHGetFolderPathA on arbitrary file contents.
//
// HOME is a temporary folder that holds one folder "D" and no "Documents"; the bytes become its
// .config/user-dirs.dirs. The current location is then asked for without creation: the result
// is S_OK with a terminated path shorter than MAX_PATH, ERROR_FILE_NOT_FOUND, or
// ERROR_FILENAME_EXCED_RANGE, and nothing is created. The default location ("Documents",
// missing) is always ERROR_FILE_NOT_FOUND.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/shell.h"

namespace {

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT kTooLong = static_cast<HRESULT>(0x800700CEu);

const std::string& Home() {
  // Never destroyed: the clean-up at exit still reads it.
  static const std::string& home = *new std::string([] {
    char name[] = "/tmp/linkstart-fuzz-home-XXXXXX";
    if (mkdtemp(name) == nullptr) std::abort();
    const std::string path = name;
    if (mkdir((path + "/.config").c_str(), 0700) != 0 || mkdir((path + "/D").c_str(), 0700) != 0) {
      std::abort();
    }
    setenv("HOME", path.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    std::atexit([] {
      const std::string& folder = Home();
      unlink((folder + "/.config/user-dirs.dirs").c_str());
      rmdir((folder + "/.config").c_str());
      rmdir((folder + "/D").c_str());
      rmdir(folder.c_str());
    });
    return path;
  }());
  return home;
}

bool Exists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = Home();
  std::FILE* file = std::fopen((home + "/.config/user-dirs.dirs").c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  std::unique_ptr<char[]> path(new char[MAX_PATH]);
  const HRESULT current =
      SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path.get());
  if (current == S_OK) {
    const std::size_t length = strnlen(path.get(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) std::abort();
  } else if (current != kNotFound && current != kTooLong) {
    std::abort();
  } else if (path[0] != '\0') {
    std::abort();  // a failure leaves the buffer empty
  }

  if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_DEFAULT, path.get()) !=
      kNotFound) {
    std::abort();
  }
  if (Exists(home + "/Documents")) std::abort();  // nothing is created without the flag
  return 0;
}
