// SHGetFolderPathA for the Documents folder, over the XDG user directories.
//
// The reading of user-dirs.dirs follows xdg-user-dirs' own lookup (xdg-user-dir-lookup.c):
// the same file, the same "$HOME/" rule, backslash escapes inside the quotes, the last line
// winning. Unlike that lookup a line without its closing quote is skipped, not taken up to its
// end, and "$HOME" alone names the home folder.
#include "platform/shell.h"

#include <errno.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/posix/errno_error.h"

namespace {

constexpr HRESULT FromWin32(DWORD error) {
  return static_cast<HRESULT>((error & 0x0000FFFFu) | 0x80070000u);
}

// A failed file-system call as an HRESULT: its Windows error in the FACILITY_WIN32 form.
HRESULT FromErrno(int error) { return FromWin32(platform::ErrorFromErrno(error)); }

// Drops trailing "/" but keeps a lone root.
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return WithoutTrailingSlash(home);
  passwd entry{};
  passwd* result = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
      result != nullptr && entry.pw_dir != nullptr && entry.pw_dir[0] == '/') {
    return WithoutTrailingSlash(entry.pw_dir);
  }
  return std::nullopt;
}

bool IsFolder(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The folder that one line of user-dirs.dirs gives for `key`, or none when the line is a
// comment, another key or not of the form KEY="VALUE".
std::optional<std::string> ParseUserDirsLine(std::string_view line, std::string_view key,
                                             const std::string& home) {
  std::size_t at = 0;
  auto skipBlanks = [&] {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  };
  skipBlanks();
  if (line.substr(at, key.size()) != key) return std::nullopt;
  at += key.size();
  skipBlanks();
  if (at >= line.size() || line[at] != '=') return std::nullopt;
  ++at;
  skipBlanks();
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  ++at;

  std::string folder;
  constexpr std::string_view kHome = "$HOME";
  if (line.substr(at, kHome.size()) == kHome &&
      (at + kHome.size() < line.size() &&
       (line[at + kHome.size()] == '/' || line[at + kHome.size()] == '"'))) {
    folder = home;
    at += kHome.size();
  } else if (at >= line.size() || line[at] != '/') {
    return std::nullopt;
  }
  bool closed = false;
  for (; at < line.size(); ++at) {
    if (line[at] == '"') {
      closed = true;
      break;
    }
    if (line[at] == '\\' && at + 1 < line.size()) ++at;
    folder += line[at];
  }
  if (!closed) return std::nullopt;
  return WithoutTrailingSlash(folder);
}

// XDG_DOCUMENTS_DIR from the user's user-dirs.dirs, or none when the file or the key is missing.
std::optional<std::string> XdgDocumentsFolder(const std::string& home) {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::string file = configHome != nullptr && configHome[0] == '/'
                         ? WithoutTrailingSlash(configHome)
                         : home + "/.config";
  file += "/user-dirs.dirs";
  std::ifstream stream(file);
  std::optional<std::string> folder;
  std::string line;
  while (std::getline(stream, line)) {
    if (auto found = ParseUserDirsLine(line, "XDG_DOCUMENTS_DIR", home)) folder = found;
  }
  return folder;
}

}  // namespace

HRESULT SHGetFolderPathA(HWND /*window*/, int folder, HANDLE token, DWORD flags, LPSTR path) {
  if (path == nullptr) return E_INVALIDARG;
  path[0] = '\0';
  if ((folder & ~CSIDL_FLAG_MASK) != CSIDL_PERSONAL || token != nullptr ||
      (flags != SHGFP_TYPE_CURRENT && flags != SHGFP_TYPE_DEFAULT)) {
    return E_INVALIDARG;
  }
  const std::optional<std::string> home = HomeFolder();
  if (!home) return FromWin32(ERROR_FILE_NOT_FOUND);

  std::optional<std::string> location;
  if (flags == SHGFP_TYPE_CURRENT) location = XdgDocumentsFolder(*home);
  if (!location) location = *home == "/" ? "/Documents" : *home + "/Documents";

  if (!IsFolder(*location)) {
    if ((folder & CSIDL_FLAG_CREATE) == 0) return FromWin32(ERROR_FILE_NOT_FOUND);
    // Another process may create it at the same moment: only a folder still missing after a
    // failed mkdir is a failure.
    if (::mkdir(location->c_str(), 0777) != 0) {
      const int error = errno;
      if (!IsFolder(*location)) return FromErrno(error);
    }
  }

  const std::string text = platform::AnsiFromUtf8(*location);
  if (text.size() >= MAX_PATH) return FromWin32(ERROR_FILENAME_EXCED_RANGE);
  std::memcpy(path, text.c_str(), text.size() + 1);
  return S_OK;
}
