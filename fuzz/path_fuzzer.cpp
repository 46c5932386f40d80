// The path code on arbitrary text: _splitpath, ISplitPath, the lead-byte searches of
// fsutil/folder.h and the wildcard matcher.
//
// Input: one byte searched for, one signed count, then the path up to the first zero; what
// follows the zero, up to the next one, is the file name for the wildcard matcher (with the
// path as its pattern). Results are checked where the contract makes that cheap: the parts of
// a split concatenate to the path, every field of ISplitPath is terminated within its
// capacity and FolderPath is Drive + Dir, found bytes are real matches outside double-byte
// characters, and a literal pattern matches itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "fsutil/folder.h"
#include "fsutil/split_path.h"
#include "platform/mbstring.h"
#include "platform/path.h"
#include "platform/wildcard.h"

namespace {

using Buffer = std::unique_ptr<char[]>;

Buffer Copy(std::string_view text) {
  Buffer buffer(new char[text.size() + 1]);
  std::memcpy(buffer.get(), text.data(), text.size());
  buffer[text.size()] = '\0';
  return buffer;
}

// Whether `field` (capacity + 1 bytes) has its terminator within the capacity.
template <std::size_t N>
std::string_view Field(const char (&field)[N]) {
  const void* end = std::memchr(field, 0, N);
  if (end == nullptr) std::abort();
  return std::string_view(field, static_cast<const char*>(end) - field);
}

// Whether byte `index` of `text` is the second byte of a double-byte character.
bool IsTrailByte(const std::string& text, std::size_t index) {
  bool trail = false;
  for (std::size_t at = 0; at <= index; ++at) {
    if (at == index) return trail;
    trail = !trail && _ismbblead(static_cast<unsigned char>(text[at]));
  }
  return false;
}

void CheckSplitPath(const std::string& path) {
  Buffer source = Copy(path);
  // Exact-size heap buffers: a part written past its _MAX_ size is an overrun.
  Buffer drive(new char[_MAX_DRIVE]);
  Buffer dir(new char[_MAX_DIR]);
  Buffer fname(new char[_MAX_FNAME]);
  Buffer ext(new char[_MAX_EXT]);
  _splitpath(source.get(), drive.get(), dir.get(), fname.get(), ext.get());
  const std::string joined = std::string(drive.get()) + dir.get() + fname.get() + ext.get();
  if (!joined.empty() && joined != path) std::abort();
  // Only a path with a part longer than 255 bytes gives no parts.
  if (joined.empty() && !path.empty() && path.size() <= _MAX_DIR - 1) std::abort();
  // Null parts are allowed.
  _splitpath(source.get(), nullptr, dir.get(), nullptr, ext.get());
  _splitpath(source.get(), drive.get(), nullptr, fname.get(), nullptr);

  ISplitPath split(source.get());
  const std::string_view sourceField = Field(split.Source);
  const std::string_view driveField = Field(split.Drive);
  const std::string_view dirField = Field(split.Dir);
  const std::string_view titleField = Field(split.Title);
  const std::string_view extField = Field(split.Ext);
  const std::string_view folderField = Field(split.FolderPath);
  const std::string_view fileField = Field(split.FileName);
  Field(split.Server);
  if (path.compare(0, sourceField.size(), sourceField) != 0) std::abort();
  // Source is the whole path, without a lone lead byte at its end, cut to 260 (or 259) bytes.
  const bool loneLeadAtEnd = !path.empty() && _ismbblead(static_cast<unsigned char>(path.back())) &&
                             !IsTrailByte(path, path.size() - 1);
  const std::size_t whole = path.size() - (loneLeadAtEnd ? 1 : 0);
  if (sourceField.size() != whole && sourceField.size() != ISplitPath::kPathCapacity &&
      sourceField.size() != ISplitPath::kPathCapacity - 1) {
    std::abort();
  }
  if (sourceField.size() > whole) std::abort();
  const std::string folder = std::string(driveField) + std::string(dirField);
  if (folder.size() <= ISplitPath::kPathCapacity && folderField != folder) std::abort();
  const std::string file = std::string(titleField) + std::string(extField);
  if (file.size() <= ISplitPath::kPathCapacity && fileField != file) std::abort();
}

void CheckSearches(const std::string& text, int byte, int count) {
  const int last = FindLastByte(text, byte);
  if (last != -1) {
    if (last < 0 || static_cast<std::size_t>(last) >= text.size()) std::abort();
    if (static_cast<unsigned char>(text[last]) != (byte & 0xFF)) std::abort();
    if (IsTrailByte(text, last)) std::abort();
  }

  for (const int n : {count, count * 17, -count, static_cast<int>(text.size()),
                      static_cast<int>(text.size()) - 1}) {
    CutSplitsCharacter(text, n);
    const std::string left = SafeLeft(text, n);
    if (text.compare(0, left.size(), left) != 0) std::abort();
    if (n <= 0) {
      if (!left.empty()) std::abort();
    } else if (static_cast<std::size_t>(n) >= text.size()) {
      if (left != text) std::abort();
    } else if (left.size() != static_cast<std::size_t>(n) &&
               left.size() != static_cast<std::size_t>(n) + 1) {
      std::abort();
    }
  }
}

void CheckWildcard(std::string_view pattern, std::string_view name) {
  platform::MatchesWildcard(pattern, name);
  platform::MatchesWildcard(name, pattern);
  if (!platform::MatchesWildcard("*", name) || !platform::MatchesWildcard("*.*", name)) {
    if (!name.empty()) std::abort();
  }
  if (!pattern.empty() && !platform::HasWildcard(pattern) &&
      !platform::MatchesWildcard(pattern, pattern)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int byte = data[0];
  const int count = static_cast<int8_t>(data[1]);
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string_view path = rest.substr(0, rest.find('\0'));
  std::string_view name;
  if (path.size() < rest.size()) {
    name = rest.substr(path.size() + 1);
    name = name.substr(0, name.find('\0'));
  }

  CheckSplitPath(std::string(path));
  CheckSearches(std::string(path), byte, count);
  CheckWildcard(path, name);
  return 0;
}
