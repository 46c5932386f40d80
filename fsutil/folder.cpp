#include "fsutil/folder.h"

#include "fsutil/file_find.h"
#include "fsutil/split_path.h"
#include "platform/files.h"
#include "platform/mbstring.h"

namespace {

bool IsLead(char byte) { return _ismbblead(static_cast<unsigned char>(byte)) != 0; }

// Drops one trailing "\" or "/" that stands as a character of its own. Both count, so that the
// parent of a path written with "/" is shorter than the path and the recursion below ends.
void DropTrailingSeparator(std::string& path) {
  if (EndsWithSeparator(path)) path = SafeLeft(path, static_cast<int>(path.size()) - 1);
}

}  // namespace

int FindLastByte(const std::string& text, int byte) {
  const char sought = static_cast<char>(byte & 0xFF);
  int found = -1;
  bool secondByteNext = false;
  for (int at = 0; at < static_cast<int>(text.size()); ++at) {
    if (secondByteNext) {
      secondByteNext = false;
      continue;
    }
    secondByteNext = IsLead(text[at]);
    if (text[at] == sought) found = at;
  }
  return found;
}

bool EndsWithSeparator(const std::string& text) {
  const int last = static_cast<int>(text.size()) - 1;
  return last >= 0 && (FindLastByte(text, '\\') == last || FindLastByte(text, '/') == last);
}

bool CutSplitsCharacter(const std::string& text, int count) {
  if (count < 0) return false;
  bool secondByte = false;
  bool secondByteNext = false;
  for (int at = 0; at <= count && at < static_cast<int>(text.size()); ++at) {
    if (secondByteNext) {
      secondByteNext = false;
      secondByte = true;
    } else {
      secondByteNext = IsLead(text[at]);
      secondByte = false;
    }
  }
  return secondByte;
}

std::string SafeLeft(const std::string& text, int count) {
  if (count <= 0) return std::string();
  if (count >= static_cast<int>(text.size())) return text;
  if (CutSplitsCharacter(text, count)) ++count;  // count < size, so no overflow
  return text.substr(0, static_cast<std::size_t>(count));
}

int CreateFolder(const char* path) { return CreateDirectoryA(path, nullptr) ? 1 : 0; }

int CreateFolderTree(const char* path) {
  if (path == nullptr) return 0;
  std::string work = path;
  DropTrailingSeparator(work);

  std::string parent;
  {
    const ISplitPath split(work.c_str());
    // No folder part, or only the root separator: nothing to probe.
    if (std::char_traits<char>::length(split.Dir) <= 1) return CreateFolder(path);
    parent = std::string(split.Drive) + split.Dir;
  }
  DropTrailingSeparator(parent);

  // Probe the parent; the pattern is the parent itself, so a match is its own entry.
  IFileFind finder;
  if (finder.BeginSearch(parent.c_str(), 0)) {
    finder.NextEntry();
    if (!finder.HasAttribute(FILE_ATTRIBUTE_DIRECTORY)) return 0;
    return CreateFolder(path);
  }
  // The parent is missing (or unreadable): create it first. The parent is shorter than `path`,
  // so the recursion ends.
  if (!CreateFolderTree(parent.c_str())) return 0;
  return CreateFolder(path);
}
