#include "platform/file_stream.h"

#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "platform/lasterror.h"
#include "platform/posix/errno_error.h"
#include "platform/posix/host_path.h"

namespace platform {

namespace {

// Writes all of `content` to the open file; false when a write fails part-way (a full disk, a
// file-size limit: the POSIX entry ignores SIGXFSZ, so that limit fails the write instead of
// killing the process).
bool WriteAll(int file, std::string_view content) {
  for (std::size_t done = 0; done < content.size();) {
    const ssize_t count = ::write(file, content.data() + done, content.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      if (count == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(count);
  }
  return true;
}

// Fails as opening the file `hostPath` for writing fails on Windows: a file that cannot be
// written by this user, or that carries the read-only attribute (no owner write permission),
// which binds administrators too, and a folder of that name. A missing file is writable.
bool MayReplace(const std::string& hostPath, const struct stat& status) {
  if (S_ISDIR(status.st_mode) || (status.st_mode & S_IWUSR) == 0) {
    errno = EACCES;
    return false;
  }
  return ::faccessat(AT_FDCWD, hostPath.c_str(), W_OK, AT_EACCESS) == 0;
}

// True when the regular file `hostPath`, of `status`, holds exactly `content`.
bool HoldsAlready(const std::string& hostPath, const struct stat& status,
                  std::string_view content) {
  if (!S_ISREG(status.st_mode) || static_cast<std::size_t>(status.st_size) != content.size()) {
    return false;
  }
  const int file = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  std::string held(content.size() + 1, '\0');
  std::size_t done = 0;
  for (ssize_t count; done < held.size(); done += static_cast<std::size_t>(count)) {
    count = ::read(file, held.data() + done, held.size() - done);
    if (count < 0 && errno == EINTR) {
      count = 0;
      continue;
    }
    if (count <= 0) break;
  }
  ::close(file);
  return done == content.size() && std::string_view(held.data(), done) == content;
}

// A name beside `hostPath` for the new content, unused at the moment it is created. A start that
// is killed before its rename leaves at most this one hidden file behind.
std::string TemporaryName(const std::string& hostPath, unsigned attempt) {
  const std::size_t slash = hostPath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return hostPath.substr(0, nameStart) + "." + hostPath.substr(nameStart) + "." +
         std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

bool WriteSharedFile(const std::string& path, std::string_view content) {
  const std::string hostPath = HostPath(path);
  struct stat existing = {};
  const bool exists = ::stat(hostPath.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }
  // Most starts write what the file already holds (the same day's configuration); the file then
  // needs no replacing, which would cost a new file and, on ext4, the flush that a rename over
  // an existing file triggers.
  if (exists && HoldsAlready(hostPath, existing, content)) return true;
  if (exists && !MayReplace(hostPath, existing)) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }

  std::string temporary;
  int file = -1;
  for (unsigned attempt = 0; file < 0 && attempt < 100; ++attempt) {
    temporary = TemporaryName(hostPath, attempt);
    file = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0 && errno != EEXIST) break;
  }
  if (file < 0) {
    SetLastError(ErrorFromErrno(errno));
    return false;
  }
  // The new file keeps the permissions an administrator gave the old one.
  bool written =
      (!exists || ::fchmod(file, existing.st_mode & 07777) == 0) && WriteAll(file, content);
  int error = errno;
  if (::close(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::rename(temporary.c_str(), hostPath.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    SetLastError(ErrorFromErrno(error));
  }
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
  return WideTextFromUtf16(utf16);
}

void KeepFileNameCharacterType(const std::string& previousCharacterType) {
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
    std::setlocale(LC_CTYPE, previousCharacterType.c_str());
  }
}

}  // namespace platform
