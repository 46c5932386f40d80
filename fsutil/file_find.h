// IFileFind: walks the directory entries that match a path or a wildcard pattern.
//
// The finder reads one entry ahead of the entry it reports on. A walk:
//
//   IFileFind finder;
//   if (finder.BeginSearch("logs/*.txt", 0)) {
//     int more = 1;
//     while (more) {
//       more = finder.NextEntry();       // makes the next entry current
//       Use(finder.FoundPath());         // then ask about it
//     }
//   }
//
// The finder owns exactly two find records and the system search handle. After the first
// NextEntry the records only swap roles, so a walk of any length allocates two records in all.
//
// States (handle / records):
//   Idle        null / none                    new finder; Reset; BeginSearch that failed to
//                                              form the absolute path
//   Failed      INVALID_HANDLE_VALUE / none    BeginSearch that failed at the system search
//   Started     open / look-ahead only         BeginSearch that succeeded
//   Walking     open / current and look-ahead  NextEntry that returned nonzero
//   Last entry  open / current (valid)         NextEntry that returned 0
// NextEntry in Idle or Failed returns 0 and changes nothing (the last error that BeginSearch
// left stays). A caller stops after the first NextEntry that returned 0.
//
// Errors: BeginSearch leaves the reason for a failure in the thread's last error
// (GetLastError): the system search's code (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED, ...), or ERROR_INVALID_NAME when the absolute path does not fit in 260
// bytes. Queries without a current entry give empty text (FoundPath: the root-based text with an
// empty name) and 0.
#pragma once

#include <memory>
#include <string>

#include "platform/crt_time.h"
#include "platform/files.h"
#include "platform/types.h"

class IFileFind {
 public:
  IFileFind();
  virtual ~IFileFind();
  IFileFind(const IFileFind&) = delete;
  IFileFind& operator=(const IFileFind&) = delete;

  // The current entry's name; empty when there is none.
  virtual std::string FoundName() const;
  // The root folder, the separator unless the root is empty or already ends in one, and the
  // name.
  virtual std::string FoundPath() const;
  // The name without its extension (everything before its last "."); empty without an entry.
  virtual std::string FoundTitle() const;
  // "file://" followed by FoundPath, unchanged.
  virtual std::string FoundUrl() const;
  // The absolute folder of the last successful search, without a trailing separator (a root
  // folder keeps its separator).
  virtual std::string SearchRoot() const;

  // The current entry's time stamps as local-time-based time values (see FileTimeToTimeValue),
  // or raw. 0 when there is no current entry or `time` is null; `time` is then not written.
  // Otherwise 1, also when the value is 0 (before 1900) or -1 (not representable).
  virtual int WrittenTime(__time64_t* time) const;
  virtual int WrittenTimeRaw(FILETIME* time) const;
  virtual int AccessedTime(__time64_t* time) const;
  virtual int AccessedTimeRaw(FILETIME* time) const;
  virtual int CreatedTime(__time64_t* time) const;
  virtual int CreatedTimeRaw(FILETIME* time) const;

  // 1 when there is a current entry whose attribute bits share a bit with `mask`.
  virtual int HasAttribute(DWORD mask) const;
  // 1 when the current entry is the folder "." or "..".
  virtual int IsDotEntry() const;

  // Ends any previous search and starts one for `pattern` (null: "*.*" in the current folder).
  // `reserved` is ignored; callers pass 0. On 1 the first match waits; call NextEntry.
  virtual int BeginSearch(const char* pattern, int reserved);
  // Makes the waiting entry current and fetches the one after it. Nonzero when a further entry
  // waits; 0 when none does (the entry just made current is valid either way).
  virtual int NextEntry();
  // Closes the system search; the result of FindClose.
  virtual BOOL EndSearchHandle();

  // Frees both records and closes an open search. A failed search's invalid-handle value stays;
  // the root folder is kept.
  void Reset();

 private:
  std::unique_ptr<WIN32_FIND_DATAA> current_;    // the entry all queries describe
  std::unique_ptr<WIN32_FIND_DATAA> lookAhead_;  // fetched, not yet current
  HANDLE search_ = nullptr;
  std::string root_;
  const char separator_ = platform::kPathSeparator;
};

// Whether `path` names an existing entry, or a pattern matches one: what the system search says.
// A path that ends in a separator, or a bare root, gives 0, as on Windows. A null path gives 0
// (last error ERROR_INVALID_PARAMETER).
int PathExists(const char* path);

// A UTC file time as a time value of the runtime (seconds since 1970), through local time:
// 0 when the conversion to local time fails or its year is before 1900; otherwise what
// _mktime64 gives for that local time with `daylightSaving` as tm_isdst (-1: the runtime
// decides), -1 included for a time it cannot represent. Milliseconds are dropped.
__time64_t FileTimeToTimeValue(const FILETIME& fileTime, int daylightSaving);
