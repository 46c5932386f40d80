// The file helpers of platform/file_stream.h on the system's own file functions.
#include "platform/file_stream.h"

#include <windows.h>

#include <algorithm>

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

bool WriteSharedFile(const std::string& path, std::string_view content) {
  // Deny none: other processes may read and write the file meanwhile. The file is written
  // over in place and then cut to the new length, as on the POSIX backend.
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
  if (written && !SetEndOfFile(file.get())) written = false;
  if (!file.Close()) written = false;
  return written;
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
