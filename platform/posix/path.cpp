// _splitpath (pure code) and _fullpath (lexical, against the current folder) for POSIX.
#include "platform/path.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/posix/cp932.h"
#include "platform/types.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void Put(char* out, std::string_view part) {
  if (out == nullptr) return;
  if (!part.empty()) std::memcpy(out, part.data(), part.size());
  out[part.size()] = '\0';
}

// The current folder as code page 932 text, or false when it cannot be read.
bool CurrentFolder(std::string& folder) {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return false;
  folder = platform::AnsiFromUtf8(buffer);
  return true;
}

}  // namespace

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  Put(drive, {});
  Put(dir, {});
  Put(fname, {});
  Put(ext, {});
  if (path == nullptr) return;

  std::size_t start = 0;
  if (path[0] != 0 && path[1] == ':') start = 2;

  // One walk, character by character: the end of the last separator and the last dot.
  std::size_t nameStart = start;
  std::size_t lastDot = std::string_view::npos;
  std::size_t at = start;
  for (; path[at] != 0; at += platform::CharWidth(path, at)) {
    if (IsSeparator(path[at])) {
      nameStart = at + 1;
      lastDot = std::string_view::npos;
    } else if (path[at] == '.') {
      lastDot = at;
    }
  }
  const std::string_view whole(path, at);
  const std::string_view drivePart = whole.substr(0, start);
  const std::string_view dirPart = whole.substr(start, nameStart - start);
  const std::size_t extStart = lastDot == std::string_view::npos ? at : lastDot;
  const std::string_view namePart = whole.substr(nameStart, extStart - nameStart);
  const std::string_view extPart = whole.substr(extStart);

  // A part that does not fit would be cut short and misread; give no parts at all instead.
  if (drivePart.size() >= _MAX_DRIVE || dirPart.size() >= _MAX_DIR ||
      namePart.size() >= _MAX_FNAME || extPart.size() >= _MAX_EXT) {
    return;
  }
  Put(drive, drivePart);
  Put(dir, dirPart);
  Put(fname, namePart);
  Put(ext, extPart);
}

char* _fullpath(char* absPath, const char* relPath, std::size_t maxLength) {
  std::string joined;
  if (relPath == nullptr || relPath[0] == 0 || !IsSeparator(relPath[0])) {
    if (!CurrentFolder(joined)) return nullptr;
    if (relPath != nullptr && relPath[0] != 0) {
      joined += platform::kPathSeparator;
      joined += relPath;
    }
  } else {
    joined = relPath;
  }

  // Resolve the names one by one; a name is never split inside a double-byte character.
  std::vector<std::string_view> names;
  const char* text = joined.c_str();
  std::size_t at = 0;
  bool trailingSeparator = false;
  while (text[at] != 0) {
    if (IsSeparator(text[at])) {
      ++at;
      trailingSeparator = true;
      continue;
    }
    const std::size_t begin = at;
    while (text[at] != 0 && !IsSeparator(text[at])) at += platform::CharWidth(text, at);
    const std::string_view name(text + begin, at - begin);
    trailingSeparator = false;
    if (name == ".") continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    names.push_back(name);
  }
  std::string result;
  for (std::string_view name : names) {
    result += platform::kPathSeparator;
    result += name;
  }
  if (result.empty() || trailingSeparator) result += platform::kPathSeparator;

  if (absPath == nullptr) {
    if (result.size() + 1 > MAX_PATH) return nullptr;
    absPath = static_cast<char*>(std::malloc(result.size() + 1));
    if (absPath == nullptr) return nullptr;
  } else if (result.size() + 1 > maxLength) {
    return nullptr;
  }
  std::memcpy(absPath, result.c_str(), result.size() + 1);
  return absPath;
}
