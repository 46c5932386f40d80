// The .res reader and the string-table walk on arbitrary file contents.
//
// The bytes are written to a temporary file and opened with platform::OpenResourceFile. A file
// that is refused must say so with ERROR_BAD_EXE_FORMAT; a file that is accepted is searched
// for the usual types, names and languages, every found resource's data is read in full (so an
// entry that points past the file shows as an overrun), and the launcher's string walk runs
// over every string block that the file names.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launcher/error_message.h"
#include "platform/lasterror.h"
#include "platform/resource.h"
#include "platform/testing/resources.h"

namespace {

const std::string& ScratchFile() {
  // Never destroyed: the clean-up at exit still reads it.
  static const std::string& path = *new std::string([] {
    char name[] = "/tmp/linkstart-fuzz-res-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit([] { unlink(ScratchFile().c_str()); });
    return std::string(name);
  }());
  return path;
}

void WriteScratch(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}

// Reads every byte of a found resource; the sum only keeps the reads from being optimised out.
volatile unsigned sink;

void ReadWhole(HMODULE module, HRSRC found) {
  if (found == nullptr) return;
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) std::abort();  // a found resource always loads
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, found);
  unsigned sum = 0;
  for (DWORD i = 0; i < size; ++i) sum += bytes[i];
  sink = sum;
}

void WalkStrings(HMODULE module, UINT messageId) {
  HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW((messageId >> 4) + 1), 0);
  ReadWhole(module, block);
  if (block == nullptr) return;
  const WCHAR* entry = FindStringEntry(module, block, messageId);
  std::string text = "unchanged";
  const bool loaded = LoadStringText(text, module, messageId);
  if ((entry != nullptr) != loaded) std::abort();  // the two walks agree
  if (entry == nullptr) {
    if (text != "unchanged") std::abort();
    return;
  }
  // The entry lies inside the block: read its count and every unit.
  const auto* start = static_cast<const unsigned char*>(LockResource(LoadResource(module, block)));
  const auto* at = reinterpret_cast<const unsigned char*>(entry);
  const std::size_t size = SizeofResource(module, block);
  std::uint16_t count = 0;
  std::memcpy(&count, at, 2);
  if (count == 0 || at < start || static_cast<std::size_t>(at - start) + 2 + 2u * count > size) {
    std::abort();
  }
  // Code page 932 needs at most two bytes for one UTF-16 unit.
  if (text.size() > 2u * count) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteScratch(data, size);
  SetLastError(0);
  auto file = platform::OpenResourceFile(ScratchFile());
  if (file == nullptr) {
    if (GetLastError() != ERROR_BAD_EXE_FORMAT) std::abort();
    return 0;
  }
  HMODULE module = file->Module();

  static const LPCWSTR kTypes[] = {RT_STRING, RT_MANIFEST,   RT_VERSION,
                                   RT_ICON,   RT_GROUP_ICON, u"TYPE"};
  static const LPCWSTR kNames[] = {MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(626),
                                   u"name", u""};
  for (LPCWSTR type : kTypes) {
    for (LPCWSTR name : kNames) {
      ReadWhole(module, FindResourceW(module, name, type));
      for (WORD language : {WORD{0x0411}, WORD{0x0409}, WORD{0x0000}, WORD{0x0407}}) {
        ReadWhole(module, FindResourceExW(module, type, name, language));
      }
    }
  }

  // The messages of the program's string table, then the messages of every block that a
  // 16-bit value of the file could name (the names in the headers among them).
  for (UINT id : {0u, 1u, 15u, 16u, 10010u, 10011u, 65535u}) WalkStrings(module, id);
  for (size_t at = 0; at + 1 < size && at < 512; at += 2) {
    const UINT word = data[at] | (data[at + 1] << 8);
    if (word == 0) continue;
    const UINT base = (word - 1) << 4;
    for (UINT index : {0u, 1u, 15u, word & 15u}) WalkStrings(module, base | index);
  }

  // The module list with this file in it: the error box's own lookup.
  {
    platform::ScopedResourceModules modules(module);
    for (UINT id : {10010u, 10011u, 0u}) {
      HMODULE found = FindStringModule(id);
      if (found != nullptr && found != module) std::abort();
    }
  }

  // Handles of a module are refused by another module.
  HRSRC any = FindResourceW(module, MAKEINTRESOURCEW(1), RT_STRING);
  if (any != nullptr && LoadResource(nullptr, any) != nullptr) std::abort();
  return 0;
}
