#include "fsutil/split_path.h"

#include <cstring>
#include <string>

#include "platform/mbstring.h"
#include "platform/path.h"

namespace {

unsigned char* U(char* text) { return reinterpret_cast<unsigned char*>(text); }
const unsigned char* U(const char* text) { return reinterpret_cast<const unsigned char*>(text); }

// Copies at most `capacity` bytes of `source` into `field` (which holds capacity + 1 bytes),
// never ending with a lone lead byte, and zero-fills the rest. The byte after the capacity is
// never written, so the field stays terminated.
void BoundedCopy(char* field, const char* source, std::size_t capacity) {
  _mbsnbcpy(U(field), U(source), capacity);
}

}  // namespace

ISplitPath::ISplitPath(const char* path) {
  if (path != nullptr) Split(path);
}

ISplitPath::~ISplitPath() = default;

int ISplitPath::Split(const char* path) {
  if (path == nullptr) return 0;
  BoundedCopy(Source, path, kPathCapacity);
  // Each buffer is larger than the part _splitpath may write into it (3 or 256 bytes).
  _splitpath(Source, Drive, Dir, Title, Ext);

  // A network path: no drive, and the folder starts with two backslashes.
  if (Drive[0] == '\0' && _mbsnbcmp(U(Dir), U("\\\\"), 2) == 0) {
    char work[kPartCapacity + 1] = {};
    BoundedCopy(work, Dir, kPartCapacity);
    std::memset(Dir, 0, sizeof Dir);
    if (_mbslen(U(work)) > 2) {
      // Server: from the third byte up to the next "\".
      BoundedCopy(Server, work + 2, kPartCapacity);
      if (unsigned char* cut = _mbschr(U(Server), '\\')) *cut = '\0';
      // Drive: the two backslashes with the server.
      BoundedCopy(Drive, work, kPartCapacity);
      if (unsigned char* cut = _mbschr(U(Drive + 2), '\\')) *cut = '\0';
      // Dir: from the "\" after the server on.
      if (const unsigned char* share = _mbschr(U(work + 2), '\\')) {
        BoundedCopy(Dir, reinterpret_cast<const char*>(share), kPartCapacity);
      }
    }
  }

  BoundedCopy(FolderPath, (std::string(Drive) + Dir).c_str(), kPathCapacity);
  BoundedCopy(FileName, (std::string(Title) + Ext).c_str(), kPathCapacity);
  return 1;
}
