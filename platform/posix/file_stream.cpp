#include "platform/file_stream.h"

#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstring>

#include "platform/codepage.h"
#include "platform/posix/host_path.h"

namespace platform {

bool WriteSharedFile(const std::string& path, std::string_view content) {
  const int file = ::open(HostPath(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (file < 0) return false;
  bool written = true;
  for (std::size_t done = 0; done < content.size();) {
    const ssize_t count = ::write(file, content.data() + done, content.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      written = false;
      break;
    }
    done += static_cast<std::size_t>(count);
  }
  if (written && ::ftruncate(file, static_cast<off_t>(content.size())) != 0) written = false;
  if (::close(file) != 0) written = false;
  return written;
}

namespace {

// An open file descriptor, closed when it goes.
class OpenFile {
 public:
  explicit OpenFile(int descriptor) : descriptor_(descriptor) {}
  ~OpenFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const OpenFile file(::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  std::string content;
  // The size is a first guess only: the file may grow or shrink while it is read.
  content.reserve(static_cast<std::size_t>(status.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) return content;
    content.append(buffer, static_cast<std::size_t>(count));
  }
}

std::wstring WidePath(const std::string& path) {
  // As in HostPath: decode first, then every "\" left is a separator of its own.
  std::u16string utf16 = WideFromAnsi(path);
  for (char16_t& unit : utf16) {
    if (unit == u'\\') unit = u'/';
  }
  std::wstring wide;
  wide.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char32_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      wide += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else {
      wide += static_cast<wchar_t>(unit);
    }
  }
  return wide;
}

void KeepFileNameCharacterType(const std::string& previousCharacterType) {
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
    std::setlocale(LC_CTYPE, previousCharacterType.c_str());
  }
}

}  // namespace platform
