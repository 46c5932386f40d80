// ISplitPath: the parts of one path, side by side in fixed text buffers.
//
// Built once from a code page 932 path and read through its fields:
//
//   ISplitPath split("\\\\server\\share\\logs\\app.ini");
//   // split.Drive "\\server", split.Server "server", split.Dir "\share\logs\",
//   // split.Title "app", split.Ext ".ini", split.FolderPath "\\server\share\logs\",
//   // split.FileName "app.ini"
//
// Besides what the runtime's _splitpath gives (drive "X:", folder, name, extension), it takes a
// network path that begins with two backslashes apart into server and share. "\" and "/" both
// separate folders for the plain split; a network path is recognised by backslashes only. The
// second byte of a double-byte character (0x5C in 表) is never taken for a separator.
//
// Every field holds at most its capacity in bytes and is always followed by a zero byte. A copy
// into a field never ends with the first byte of a double-byte character. A path longer than 260
// bytes is cut to its first 260 (259 when the 260th byte begins a double-byte character). When
// the folder, name or extension is longer than 255 bytes, _splitpath gives no parts, so Drive,
// Server, Dir, Title, Ext, FolderPath and FileName stay empty and only Source is filled.
#pragma once

#include <cstddef>

class ISplitPath {
 public:
  static constexpr std::size_t kPathCapacity = 260;
  static constexpr std::size_t kPartCapacity = 256;

  // Splits `path`; a null path leaves every field empty.
  explicit ISplitPath(const char* path);
  virtual ~ISplitPath();
  ISplitPath(const ISplitPath&) = delete;
  ISplitPath& operator=(const ISplitPath&) = delete;

  // Fills the fields from `path`. Returns 0 and changes nothing for a null path, else 1. Called
  // once, by the constructor, on zero-filled fields.
  int Split(const char* path);

  char Source[kPathCapacity + 1] = {};      // the path itself (its first 260 bytes)
  char Drive[kPartCapacity + 1] = {};       // "C:", or "\\server" for a network path
  char Server[kPartCapacity + 1] = {};      // "server" for a network path, else empty
  char Dir[kPartCapacity + 1] = {};         // the folder part with its last separator
  char Title[kPartCapacity + 1] = {};       // the file name without its extension
  char Ext[kPartCapacity + 1] = {};         // the extension with its ".", or empty
  char FolderPath[kPathCapacity + 1] = {};  // Drive followed by Dir
  char FileName[kPathCapacity + 1] = {};    // Title followed by Ext
};
