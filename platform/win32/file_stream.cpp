// The file helpers of platform/file_stream.h on the system's own file functions.
#include "platform/file_stream.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace

namespace platform {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) return std::nullopt;
    if (count == 0) return content;
    content.append(buffer, count);
  }
}

namespace {

// Writes `content` into a new file `path`; false (the file removed) when any write fails.
bool WriteNewFile(const std::string& path, std::string_view content) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  bool written = true;
  for (std::size_t done = 0; done < content.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
    DWORD count = 0;
    if (!WriteFile(file.get(), content.data() + done, chunk, &count, nullptr) || count == 0) {
      written = false;
      break;
    }
    done += count;
  }
  if (!file.Close()) written = false;
  if (!written) {
    const DWORD error = GetLastError();
    DeleteFileA(path.c_str());
    SetLastError(error);
  }
  return written;
}

}  // namespace

bool WriteSharedFile(const std::string& path, std::string_view content) {
  if (const std::optional<std::string> current = ReadWholeFile(path)) {
    if (*current == content) return true;
  }
  // A read-only file stays as it is, for every user: the replacement below would remove it.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // A new file beside the old one, renamed over it: a reader never sees a mix of two versions.
  const std::string fresh =
      path + ".new" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  if (!WriteNewFile(fresh, content)) return false;
  if (!MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(fresh.c_str());
    SetLastError(error);
    return false;
  }
  return true;
}

// A wide path for log4cxx, whose narrow paths are decoded without the ANSI code page (this
// build of the library has no APR character-set conversion): code page 932 to UTF-16.
std::wstring WidePath(const std::string& path) {
  const WideString wide = WideFromAnsi(path);
  return std::wstring(wide.begin(), wide.end());
}

// The ANSI code page belongs to the process on Windows; the C locale's character type does not
// decide how file names are encoded, so nothing needs to be restored.
void KeepFileNameCharacterType(const std::string&) {}

}  // namespace platform
