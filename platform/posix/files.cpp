// The Windows file search, folder creation and file-time conversion over POSIX.
//
// Paths arrive as code page 932 text with "\" or "/" separators; they reach the system as UTF-8
// with "/" only. Names come back from the system as UTF-8 and are converted to code page 932
// (a character the code page cannot hold becomes "?"). Names made of ASCII alone, the common
// case, skip the conversion: their bytes are the same in both.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/codepage.h"
#include "platform/lasterror.h"
#include "platform/posix/ascii.h"
#include "platform/posix/cp932.h"
#include "platform/posix/errno_error.h"
#include "platform/posix/host_path.h"
#include "platform/wildcard.h"

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr ULONGLONG kUnixEpochInFileTime = 116444736000000000ULL;
constexpr ULONGLONG kIntervalsPerSecond = 10000000ULL;
constexpr ULONGLONG kLargestFileTime = 0x7FFFFFFFFFFFFFFFULL;

// The index just after the last separator of `text` ("\" or "/" standing as a character of its
// own), or 0 when there is none.
std::size_t AfterLastSeparator(std::string_view text) {
  std::size_t after = 0;
  for (std::size_t at = 0; at < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte == '\\' || byte == '/') after = at + 1;
    at += platform::CharWidth(text, at);
  }
  return after;
}

// Writes a system name into `out` as code page 932 text; false when it does not fit.
bool CopyName(const char* utf8, CHAR (&out)[MAX_PATH]) {
  const std::size_t length = std::strlen(utf8);
  if (platform::IsAscii({utf8, length})) {  // the common case, without allocating
    if (length >= MAX_PATH) return false;
    std::memcpy(out, utf8, length + 1);
    return true;
  }
  const std::string ansi = platform::AnsiFromUtf8({utf8, length});
  if (ansi.size() >= MAX_PATH) return false;
  std::memcpy(out, ansi.c_str(), ansi.size() + 1);
  return true;
}

}  // namespace

namespace platform {

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ELOOP:
      return ERROR_INVALID_NAME;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

}  // namespace platform

namespace {

FILETIME FileTimeFrom(const struct statx_timestamp& stamp) {
  // Times before 1601, or past what 63 bits of intervals hold, cannot be written; they become 0.
  constexpr LONGLONG kEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
  constexpr LONGLONG kLatestSeconds = 922337203684 - kEpochSeconds;
  if (stamp.tv_sec < -kEpochSeconds || stamp.tv_sec > kLatestSeconds) return {0, 0};
  const ULONGLONG value =
      static_cast<ULONGLONG>(stamp.tv_sec + kEpochSeconds) * kIntervalsPerSecond +
      stamp.tv_nsec / 100;
  return {static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

constexpr unsigned int kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;

void FillFromStatus(const struct statx& status, WIN32_FIND_DATAA* data) {
  DWORD attributes = S_ISDIR(status.stx_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((status.stx_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  data->dwFileAttributes = attributes;
  // The birth time where the file system keeps one, else the last status change.
  data->ftCreationTime =
      FileTimeFrom((status.stx_mask & STATX_BTIME) != 0 ? status.stx_btime : status.stx_ctime);
  data->ftLastAccessTime = FileTimeFrom(status.stx_atime);
  data->ftLastWriteTime = FileTimeFrom(status.stx_mtime);
  const ULONGLONG size = S_ISDIR(status.stx_mode) ? 0 : status.stx_size;
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  data->dwReserved0 = 0;
  data->dwReserved1 = 0;
  data->cAlternateFileName[0] = '\0';
}

// An open search. Owned by the table below from FindFirstFileA until FindClose.
struct Search {
  struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
  };
  std::unique_ptr<DIR, FolderCloser> folder;  // null for a search for one exact name
  std::string pattern;                        // the last part of the pattern, code page 932
};

// The open searches by handle, so that a handle that is not an open search (a closed one, the
// invalid-handle value, a stray pointer) is refused instead of being followed.
class SearchTable {
 public:
  HANDLE Add(std::unique_ptr<Search> search) {
    const HANDLE handle = search.get();
    std::lock_guard<std::mutex> lock(mutex_);
    searches_.emplace(handle, std::move(search));
    return handle;
  }
  Search* Find(HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = searches_.find(handle);
    return found == searches_.end() ? nullptr : found->second.get();
  }
  bool Remove(HANDLE handle) {
    std::unique_ptr<Search> released;  // closed after the lock is given up
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = searches_.find(handle);
    if (found == searches_.end()) return false;
    released = std::move(found->second);
    searches_.erase(found);
    return true;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HANDLE, std::unique_ptr<Search>> searches_;
};

SearchTable& Searches() {
  static SearchTable* table = new SearchTable;  // never destroyed: usable until exit
  return *table;
}

// Reads the folder on to the next entry that matches; false when none is left. Entries that
// vanish between the read and the status call are passed over.
bool ReadNextMatch(Search& search, WIN32_FIND_DATAA* data) {
  DIR* folder = search.folder.get();
  const int folderFd = ::dirfd(folder);
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(folder);
    if (entry == nullptr) return false;
    CHAR name[MAX_PATH];
    if (!CopyName(entry->d_name, name)) continue;
    if (!platform::MatchesWildcard(search.pattern, name)) continue;
    struct statx status;
    if (::statx(folderFd, entry->d_name, 0, kStatxMask, &status) != 0 &&
        ::statx(folderFd, entry->d_name, AT_SYMLINK_NOFOLLOW, kStatxMask, &status) != 0) {
      if (errno == ENOENT) continue;
      // Listed but not readable (a folder without search permission): report the entry with
      // what the listing knows.
      std::memset(&status, 0, sizeof status);
      status.stx_mode = entry->d_type == DT_DIR ? S_IFDIR | S_IWUSR : S_IFREG | S_IWUSR;
    }
    FillFromStatus(status, data);
    std::memcpy(data->cFileName, name, std::strlen(name) + 1);
    return true;
  }
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) {
  if (fileName == nullptr || findData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string_view text(fileName);
  if (text.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  if (text.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const std::size_t nameStart = AfterLastSeparator(text);
  const std::string_view namePart = text.substr(nameStart);
  if (namePart.empty()) {  // ends in a separator, or is a bare root: Windows matches nothing
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (platform::HasWildcard(text.substr(0, nameStart))) {  // wildcards only in the last part
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  const std::string folderPart =
      platform::HostPath(nameStart == 0 ? "." : text.substr(0, nameStart));

  auto search = std::make_unique<Search>();
  if (!platform::HasWildcard(namePart)) {
    // One exact name: one status call, no folder scan.
    const std::string path = platform::HostPath(text);
    struct statx status;
    if (::statx(AT_FDCWD, path.c_str(), 0, kStatxMask, &status) != 0) {
      const int error = errno;
      DWORD code = platform::ErrorFromErrno(error);
      if (error == ENOENT) {
        // Missing entry or missing folder? Windows tells them apart; so does a second look.
        struct stat folderStatus;
        if (::stat(folderPart.c_str(), &folderStatus) == 0 && S_ISDIR(folderStatus.st_mode)) {
          code = ERROR_FILE_NOT_FOUND;
        }
      }
      SetLastError(code);
      return INVALID_HANDLE_VALUE;
    }
    WIN32_FIND_DATAA found{};
    FillFromStatus(status, &found);
    std::memcpy(found.cFileName, namePart.data(), namePart.size());
    found.cFileName[namePart.size()] = '\0';
    *findData = found;
    return Searches().Add(std::move(search));
  }

  DIR* folder = ::opendir(folderPart.c_str());
  if (folder == nullptr) {
    SetLastError(platform::ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  search->folder.reset(folder);
  search->pattern.assign(namePart);
  WIN32_FIND_DATAA found{};
  if (!ReadNextMatch(*search, &found)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *findData = found;
  return Searches().Add(std::move(search));
}

BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* findData) {
  Search* search = Searches().Find(findFile);
  if (search == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (findData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (search->folder == nullptr || !ReadNextMatch(*search, findData)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE findFile) {
  if (!Searches().Remove(findFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES /*securityAttributes*/) {
  if (pathName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string_view text(pathName);
  if (text.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  if (text.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (::mkdir(platform::HostPath(text).c_str(), 0777) != 0) {
    SetLastError(platform::ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

namespace {

// Reads a file time that the conversions accept (both pointers given, at most the largest
// FILETIME); otherwise sets ERROR_INVALID_PARAMETER and gives false.
bool ReadFileTime(const FILETIME* fileTime, const void* result, ULONGLONG& value) {
  if (fileTime == nullptr || result == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  value = (static_cast<ULONGLONG>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
  if (value > kLargestFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime) {
  ULONGLONG value;
  if (!ReadFileTime(fileTime, localFileTime, value)) return FALSE;
  // Seconds since 1970, rounded down (negative before 1970).
  const LONGLONG seconds = static_cast<LONGLONG>(value / kIntervalsPerSecond) -
                           static_cast<LONGLONG>(kUnixEpochInFileTime / kIntervalsPerSecond);
  const time_t when = static_cast<time_t>(seconds);
  struct tm local;
  LONGLONG offset = 0;
  if (::localtime_r(&when, &local) != nullptr) offset = local.tm_gmtoff;
  // The offset is less than a day, so the shift itself cannot overflow; the sum can, for a
  // time near the largest FILETIME in a zone east of UTC.
  const LONGLONG shift = offset * static_cast<LONGLONG>(kIntervalsPerSecond);
  const auto utc = static_cast<LONGLONG>(value);
  if ((shift > 0 && utc > std::numeric_limits<LONGLONG>::max() - shift) || utc + shift < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto result = static_cast<ULONGLONG>(utc + shift);
  localFileTime->dwLowDateTime = static_cast<DWORD>(result & 0xFFFFFFFFu);
  localFileTime->dwHighDateTime = static_cast<DWORD>(result >> 32);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  ULONGLONG value;
  if (!ReadFileTime(fileTime, systemTime, value)) return FALSE;
  const ULONGLONG totalSeconds = value / kIntervalsPerSecond;
  const ULONGLONG secondOfDay = totalSeconds % 86400;  // [0, 86399]
  // Days since 1970-01-01 (negative before), then the civil date (H. Hinnant's days_from_civil
  // inverse, valid for any day count in this range).
  const LONGLONG days = static_cast<LONGLONG>(totalSeconds / 86400) - 134774;
  const LONGLONG z = days + 719468;
  const LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
  const LONGLONG dayOfEra = z - era * 146097;  // [0, 146096]
  const LONGLONG yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;  // [0, 399]
  const LONGLONG dayOfYear =
      dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);        // [0, 365]
  const LONGLONG monthIndex = (5 * dayOfYear + 2) / 153;                     // [0, 11], March first
  const LONGLONG day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;           // [1, 31]
  const LONGLONG month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;  // [1, 12]
  const LONGLONG year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  systemTime->wYear = static_cast<WORD>(year);
  systemTime->wMonth = static_cast<WORD>(month);
  systemTime->wDay = static_cast<WORD>(day);
  systemTime->wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 4) % 7);  // 1970-01-01: Thursday
  systemTime->wHour = static_cast<WORD>(secondOfDay / 3600);
  systemTime->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  systemTime->wSecond = static_cast<WORD>(secondOfDay % 60);
  systemTime->wMilliseconds = static_cast<WORD>(value % kIntervalsPerSecond / 10000);
  return TRUE;
}
