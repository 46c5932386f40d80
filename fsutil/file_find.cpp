#include "fsutil/file_find.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "fsutil/folder.h"
#include "platform/lasterror.h"
#include "platform/mbstring.h"
#include "platform/path.h"

namespace {

int TimeValueOf(const WIN32_FIND_DATAA* record, FILETIME WIN32_FIND_DATAA::*stamp,
                __time64_t* time) {
  if (record == nullptr || time == nullptr) return 0;
  *time = FileTimeToTimeValue(record->*stamp, -1);
  return 1;
}

int RawTimeOf(const WIN32_FIND_DATAA* record, FILETIME WIN32_FIND_DATAA::*stamp, FILETIME* time) {
  if (record == nullptr || time == nullptr) return 0;
  *time = record->*stamp;
  return 1;
}

}  // namespace

__time64_t FileTimeToTimeValue(const FILETIME& fileTime, int daylightSaving) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&fileTime, &local)) return 0;
  SYSTEMTIME parts;
  if (!FileTimeToSystemTime(&local, &parts)) return 0;
  if (parts.wYear < 1900) return 0;
  std::tm broken{};
  broken.tm_sec = parts.wSecond;
  broken.tm_min = parts.wMinute;
  broken.tm_hour = parts.wHour;
  broken.tm_mday = parts.wDay;
  broken.tm_mon = parts.wMonth - 1;
  broken.tm_year = parts.wYear - 1900;
  broken.tm_isdst = daylightSaving;
  return _mktime64(&broken);
}

IFileFind::IFileFind() = default;

IFileFind::~IFileFind() { Reset(); }

void IFileFind::Reset() {
  current_.reset();
  lookAhead_.reset();
  if (search_ != nullptr && search_ != INVALID_HANDLE_VALUE) {
    EndSearchHandle();
    search_ = nullptr;
  }
}

BOOL IFileFind::EndSearchHandle() {
  const BOOL closed = FindClose(search_);
  // Never keep a closed handle: the system may hand out the same value for a later search.
  if (search_ != INVALID_HANDLE_VALUE) search_ = nullptr;
  return closed;
}

int IFileFind::BeginSearch(const char* pattern, int /*reserved*/) {
  Reset();
  lookAhead_ = std::make_unique<WIN32_FIND_DATAA>();
  if (pattern == nullptr) pattern = "*.*";
  search_ = FindFirstFileA(pattern, lookAhead_.get());
  if (search_ == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    Reset();
    SetLastError(error);
    return 0;
  }

  char absolute[MAX_PATH];
  if (_fullpath(absolute, pattern, sizeof absolute) == nullptr) {
    root_.clear();  // not meaningful after this failure; keep it defined
    Reset();
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  // The root is the absolute path without its last part and the separator before it. A root
  // folder ("/") keeps its separator, so that FoundPath stays absolute.
  unsigned char* text = reinterpret_cast<unsigned char*>(absolute);
  const auto indexOf = [text](const unsigned char* found) -> long {
    return found == nullptr ? -1 : static_cast<long>(found - text);
  };
  const long cut = std::max(indexOf(_mbsrchr(text, '\\')), indexOf(_mbsrchr(text, '/')));
  if (cut == 0) {
    absolute[1] = '\0';
  } else if (cut > 0) {
    absolute[cut] = '\0';
  }
  root_.assign(absolute);
  return 1;
}

int IFileFind::NextEntry() {
  // Without an open search (Idle, or Failed after a failed BeginSearch) there is nothing to
  // fetch; asking the system anyway would only overwrite the search's last error.
  if (search_ == nullptr || search_ == INVALID_HANDLE_VALUE) return 0;
  // The records swap roles: the old current record receives the entry after the new one.
  std::unique_ptr<WIN32_FIND_DATAA> buffer =
      current_ ? std::move(current_) : std::make_unique<WIN32_FIND_DATAA>();
  current_ = std::move(lookAhead_);
  lookAhead_ = std::move(buffer);
  return FindNextFileA(search_, lookAhead_.get());
}

std::string IFileFind::FoundName() const { return current_ ? current_->cFileName : std::string(); }

std::string IFileFind::FoundPath() const {
  std::string path = root_;
  if (!path.empty() && !EndsWithSeparator(path)) path += separator_;
  path += FoundName();
  return path;
}

std::string IFileFind::FoundTitle() const {
  if (!current_) return std::string();
  char title[_MAX_FNAME];
  _splitpath(FoundName().c_str(), nullptr, nullptr, title, nullptr);
  return title;
}

std::string IFileFind::FoundUrl() const { return "file://" + FoundPath(); }

std::string IFileFind::SearchRoot() const { return root_; }

int IFileFind::WrittenTime(__time64_t* time) const {
  return TimeValueOf(current_.get(), &WIN32_FIND_DATAA::ftLastWriteTime, time);
}
int IFileFind::WrittenTimeRaw(FILETIME* time) const {
  return RawTimeOf(current_.get(), &WIN32_FIND_DATAA::ftLastWriteTime, time);
}
int IFileFind::AccessedTime(__time64_t* time) const {
  return TimeValueOf(current_.get(), &WIN32_FIND_DATAA::ftLastAccessTime, time);
}
int IFileFind::AccessedTimeRaw(FILETIME* time) const {
  return RawTimeOf(current_.get(), &WIN32_FIND_DATAA::ftLastAccessTime, time);
}
int IFileFind::CreatedTime(__time64_t* time) const {
  return TimeValueOf(current_.get(), &WIN32_FIND_DATAA::ftCreationTime, time);
}
int IFileFind::CreatedTimeRaw(FILETIME* time) const {
  return RawTimeOf(current_.get(), &WIN32_FIND_DATAA::ftCreationTime, time);
}

int IFileFind::HasAttribute(DWORD mask) const {
  return current_ && (current_->dwFileAttributes & mask) != 0 ? 1 : 0;
}

int IFileFind::IsDotEntry() const {
  if (!current_ || !HasAttribute(FILE_ATTRIBUTE_DIRECTORY)) return 0;
  const std::string name = FoundName();
  return name == "." || name == ".." ? 1 : 0;
}

int PathExists(const char* path) {
  if (path == nullptr) {
    // A null path names nothing; searching the current folder instead would always say yes.
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  IFileFind finder;
  const int found = finder.BeginSearch(path, 0);
  finder.Reset();
  return found;
}
