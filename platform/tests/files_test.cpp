#include "platform/files.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/lasterror.h"
#include "platform/path.h"
#include "testsupport/temp_dir.h"

namespace fs = std::filesystem;
using ::testing::UnorderedElementsAre;

namespace {

using testsupport::kHyo;
using testsupport::kHyoUtf8;
using testsupport::TempDir;

// A path built with "/" as the system gives it back: with the platform's separator ("/" is
// never the second byte of a code page 932 character).
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
  return path;
}
const std::string kSeparator(1, platform::kPathSeparator);

constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;  // 1970-01-01 as a FILETIME

// `path` in UTF-8, as the host names files.
void Touch(const std::string& path) { std::ofstream(fs::u8path(path)).put('x'); }

// All names that a search for `pattern` yields, or the last error as "error N".
std::vector<std::string> Names(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return {"error " + std::to_string(GetLastError())};
  do names.push_back(data.cFileName);
  while (FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(search));
  return names;
}
ULONGLONG Value(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTimeOf(ULONGLONG value) {
  return {static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

// Sets a file's access and write times, given as seconds and nanoseconds since 1970, through
// the host's own call, so that the times under test do not come from the functions under test.
bool SetAccessAndWriteTime(const std::string& path, const struct timespec& access,
                           const struct timespec& write) {
#ifdef _WIN32
  const auto fileTime = [](const struct timespec& t) {
    return FileTimeOf(kUnixEpoch + t.tv_sec * 10000000LL + t.tv_nsec / 100);
  };
  const std::unique_ptr<void, decltype(&CloseHandle)> handle(
      CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      &CloseHandle);
  if (handle.get() == INVALID_HANDLE_VALUE) return false;
  const FILETIME accessTime = fileTime(access), writeTime = fileTime(write);
  return SetFileTime(handle.get(), nullptr, &accessTime, &writeTime) != 0;
#else
  const struct timespec times[2] = {access, write};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
#endif
}

// The ANSI name of "café", whose é code page 932 lacks: Windows (and Wine) give the best-fit
// "e", the POSIX backend the default character "?".
#ifdef _WIN32
const std::string kCafeAnsi = "cafe";
#else
const std::string kCafeAnsi = "caf?";
#endif

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    fs::create_directories(fs::u8path(dir_.Path("sub/" + kHyoUtf8)));
    Touch(dir_.Path("a.txt"));
    Touch(dir_.Path("b.log"));
    Touch(dir_.Path("noext"));
    Touch(dir_.Path("sub/" + kHyoUtf8 + "/in.txt"));
    Touch(dir_.Path("caf\xC3\xA9"));  // é has no code page 932 form
  }
  TempDir dir_;
};

TEST_F(FindFileTest, PatternsAndExactNames) {
  const std::string d = dir_.Path();
  EXPECT_THAT(Names(d + "/*"),
              UnorderedElementsAre(".", "..", "a.txt", "b.log", "noext", "sub", kCafeAnsi));
  EXPECT_THAT(Names(d + "/*.*"),
              UnorderedElementsAre(".", "..", "a.txt", "b.log", "noext", "sub", kCafeAnsi));
  EXPECT_THAT(Names(d + "/*.txt"), UnorderedElementsAre("a.txt"));
  // "?" takes the "." of "." and "..", and ".*" then matches their end.
  EXPECT_THAT(Names(d + "\\?.*"), UnorderedElementsAre(".", "..", "a.txt", "b.log"));
  // Exact names, with either separator, and a folder whose name ends in the byte 0x5C.
  EXPECT_THAT(Names(d + "/a.txt"), UnorderedElementsAre("a.txt"));
  EXPECT_THAT(Names(d + "\\sub\\" + kHyo), UnorderedElementsAre(kHyo));
  EXPECT_THAT(Names(d + "\\sub\\" + kHyo + "\\*.txt"), UnorderedElementsAre("in.txt"));
  EXPECT_THAT(Names(d + "/sub/" + kHyo + "\\in.txt"), UnorderedElementsAre("in.txt"));
}

#ifndef _WIN32
// The failure and handle cases stay on the POSIX backend: Wine reports other last errors (a
// file used as a folder, a name past MAX_PATH, a null pattern) and closes a handle that is no
// search without complaint.
TEST_F(FindFileTest, FailuresLeaveTheWindowsError) {
  const std::string d = dir_.Path();
  struct Case {
    std::string pattern;
    DWORD error;
  } cases[] = {
      {d + "/missing.txt", ERROR_FILE_NOT_FOUND},
      {d + "/*.none", ERROR_FILE_NOT_FOUND},
      {d + "/missing/a.txt", ERROR_PATH_NOT_FOUND},
      {d + "/missing/*", ERROR_PATH_NOT_FOUND},
      {d + "/a.txt/x", ERROR_PATH_NOT_FOUND},  // a file where a folder should be
      {d + "/s*/a.txt", ERROR_INVALID_NAME},   // wildcards only in the last part
      {d + "/sub/", ERROR_FILE_NOT_FOUND},     // a trailing separator matches nothing
      {d + "\\sub\\", ERROR_FILE_NOT_FOUND},
      {"/", ERROR_FILE_NOT_FOUND},  // nor does a bare root
      {"", ERROR_PATH_NOT_FOUND},
      {std::string(MAX_PATH, 'a'), ERROR_FILENAME_EXCED_RANGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_THAT(Names(c.pattern), UnorderedElementsAre("error " + std::to_string(c.error)));
  }
  WIN32_FIND_DATAA data;
  SetLastError(0);
  EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FindFileTest, HandlesThatAreNotOpenSearchesAreRefused) {
  WIN32_FIND_DATAA data;
  EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  const HANDLE search = FindFirstFileA(dir_.Path("a.txt").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindNextFileA(search, &data));  // an exact name has one entry
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(search));
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

#endif

TEST_F(FindFileTest, AttributesSizesAndTimes) {
  const std::string file = dir_.Path("a.txt");
  // 2001-09-09 01:46:40.5 UTC for writing, 1950-01-01 00:00:00 UTC for access.
  ASSERT_TRUE(SetAccessAndWriteTime(file, {-631152000, 0}, {1000000000, 500000000}));
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);

  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(file.c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(data.nFileSizeLow, 1u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(Value(data.ftLastWriteTime), kUnixEpoch + 10000000000000000ULL + 5000000);
  EXPECT_EQ(Value(data.ftLastAccessTime), kUnixEpoch - 6311520000000000ULL);
#ifndef _WIN32
  // Creation: the birth time or the status-change time, both "now" for this new file. (Wine,
  // where the file system keeps no birth time, reports the write time instead.)
  const ULONGLONG now = kUnixEpoch + static_cast<ULONGLONG>(::time(nullptr)) * 10000000;
  EXPECT_GT(Value(data.ftCreationTime), now - 600 * 10000000ULL);
  EXPECT_LE(Value(data.ftCreationTime), now + 10000000ULL);
#endif

  search = FindFirstFileA(dir_.Path("sub").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_STREQ(data.cFileName, "sub");
}

#ifndef _WIN32
// Folder creation stays on the POSIX backend (Wine creates folders past MAX_PATH and reports
// other last errors), and so do the permission cases, which switch users with setpriv.
TEST(CreateDirectoryA, CreatesOrSaysWhyNot) {
  TempDir dir;
  Touch(dir.Path("file"));
  const std::string d = dir.Path();
  // Paths of 259, 260 and 261 bytes: only the first fits MAX_PATH with its terminator.
  const std::string base = d + "/";
  const std::string fits = base + std::string(MAX_PATH - 1 - base.size(), 'n');
  struct Case {
    std::string path;
    DWORD error;  // 0: created
  } cases[] = {
      {d + "/new", 0},
      {d + "\\" + kHyo, 0},
      {d + "/" + kHyo + "\\in", 0},
      {d + "/new", ERROR_ALREADY_EXISTS},
      {d + "/file", ERROR_ALREADY_EXISTS},
      {d + "/missing/new", ERROR_PATH_NOT_FOUND},
      {d + "/file/new", ERROR_PATH_NOT_FOUND},
      {"", ERROR_PATH_NOT_FOUND},
      {fits.substr(0, fits.size() - 4) + "/" + std::string(3, 'x'), ERROR_PATH_NOT_FOUND},
      {fits, 0},
      {fits + "n", ERROR_FILENAME_EXCED_RANGE},
      {fits + "nn", ERROR_FILENAME_EXCED_RANGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.path.size()) + " bytes: " + c.path);
    SetLastError(0);
    EXPECT_EQ(CreateDirectoryA(c.path.c_str(), nullptr), c.error == 0 ? TRUE : FALSE);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_TRUE(fs::is_directory(dir.Path(kHyoUtf8 + "/in")));
  EXPECT_TRUE(fs::is_directory(fits));
  EXPECT_FALSE(fs::exists(fits + "n"));
  EXPECT_FALSE(CreateDirectoryA(nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Runs the helper as an unprivileged user (root ignores permissions) and returns the last error
// it printed, or -1 when it could not be run.
long RunHelperAsNobody(const std::string& operation, const std::string& path) {
  std::string command =
      ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : std::string();
  command += std::string(LINKSTART_FILES_HELPER) + " " + operation + " '" + path + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  long error = -1;
  if (std::fscanf(pipe, "%ld", &error) != 1) error = -1;
  return ::pclose(pipe) == 0 ? error : -1;
}

TEST(FilePermissions, AccessDenied) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  fs::create_directory(dir.Path("locked"));
  fs::create_directory(dir.Path("secret"));
  ASSERT_EQ(::chmod(dir.Path("locked").c_str(), 0555), 0);
  ASSERT_EQ(::chmod(dir.Path("secret").c_str(), 0700), 0);
  if (::geteuid() != 0 && ::access(dir.Path("secret").c_str(), R_OK) == 0) {
    GTEST_SKIP() << "running as the owner without root: cannot act as another user";
  }
  const long mkdirError = RunHelperAsNobody("mkdir", dir.Path("locked/new"));
  if (mkdirError == -1) GTEST_SKIP() << "setpriv could not switch to uid 65534";
  EXPECT_EQ(mkdirError, static_cast<long>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(fs::exists(dir.Path("locked/new")));
  EXPECT_EQ(RunHelperAsNobody("find", dir.Path("secret/*")),
            static_cast<long>(ERROR_ACCESS_DENIED));
  // The helper itself works: a folder it may write gets created.
  ASSERT_EQ(::chmod(dir.Path("locked").c_str(), 0777), 0);
  EXPECT_EQ(RunHelperAsNobody("mkdir", dir.Path("locked/new")), 0);
}

#endif

TEST(FileTimeToSystemTime, CalendarFields) {
  struct Case {
    ULONGLONG value;
    SYSTEMTIME expected;  // year, month, day of week, day, hour, minute, second, milliseconds
  } cases[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
      {kUnixEpoch, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {kUnixEpoch + 1709814896789ULL * 10000, {2024, 3, 4, 7, 12, 34, 56, 789}},
      {kUnixEpoch + 951782400ULL * 10000000, {2000, 2, 2, 29, 0, 0, 0, 0}},
      {0x7FFFFFFFFFFFFFFFULL, {30828, 9, 4, 14, 2, 48, 5, 477}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const FILETIME time = FileTimeOf(c.value);
    SYSTEMTIME got{};
    ASSERT_TRUE(FileTimeToSystemTime(&time, &got));
    EXPECT_EQ(std::memcmp(&got, &c.expected, sizeof got), 0)
        << got.wYear << "-" << got.wMonth << "-" << got.wDay << " dow " << got.wDayOfWeek << " "
        << got.wHour << ":" << got.wMinute << ":" << got.wSecond << "." << got.wMilliseconds;
  }
  const FILETIME tooLarge = FileTimeOf(0x8000000000000000ULL);
  SYSTEMTIME got;
  EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &got));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

#ifndef _WIN32
// The zone comes from TZ, which this process sets; Wine reads its zone once, when it starts.
TEST(FileTimeToLocalFileTime, UsesTheZoneOffsetOfThatInstant) {
  const testsupport::ScopedTimeZone berlin("Europe/Berlin");
  const ULONGLONG hour = 3600ULL * 10000000;
  const ULONGLONG winter = kUnixEpoch + 1704067200ULL * 10000000;  // 2024-01-01
  const ULONGLONG summer = kUnixEpoch + 1719792000ULL * 10000000;  // 2024-07-01
  FILETIME local;
  FILETIME utc = FileTimeOf(winter);
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(Value(local), winter + hour);
  utc = FileTimeOf(summer);
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(Value(local), summer + 2 * hour);
  utc = FileTimeOf(0x8000000000000000ULL);
  EXPECT_FALSE(FileTimeToLocalFileTime(&utc, &local));
}

TEST(FileTimeToLocalFileTime, LargestTimesEastOfUtcFailInsteadOfOverflowing) {
  const testsupport::ScopedTimeZone tokyo("Asia/Tokyo");
  FILETIME local;
  SetLastError(0);
  FILETIME utc = FileTimeOf(0x7FFFFFFFFFFFFFFFULL);
  EXPECT_FALSE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // Nine hours before the largest time still fits.
  utc = FileTimeOf(0x7FFFFFFFFFFFFFFFULL - 9 * 3600ULL * 10000000);
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(Value(local), 0x7FFFFFFFFFFFFFFFULL);
}

#endif

TEST(SplitPath, Parts) {
  struct Case {
    std::string path, drive, dir, fname, ext;
  } cases[] = {
      {"C:\\Users\\me\\log.txt", "C:", "\\Users\\me\\", "log", ".txt"},
      {"C:/a/b.tar.gz", "C:", "/a/", "b.tar", ".gz"},
      {"\\\\server\\share\\x", "", "\\\\server\\share\\", "x", ""},
      {"C:", "C:", "", "", ""},
      {"C:\\a.b.c", "C:", "\\", "a.b", ".c"},
      {".profile", "", "", "", ".profile"},
      {"dir.d/noext", "", "dir.d/", "noext", ""},
      {"name.", "", "", "name", "."},
      {"C:\\" + kHyo + "\\a.txt", "C:", "\\" + kHyo + "\\", "a", ".txt"},
      {"C:\\" + kHyo, "C:", "\\", kHyo, ""},
      {"", "", "", "", ""},
      // A lone lead byte at the end stays a character of its own.
      {"a\\b\x95", "", "a\\", "b\x95", ""},
      // Longest parts that fit: 255 bytes of folder, name and extension.
      {std::string(254, 'd') + "/" + std::string(255, 'n') + "." + std::string(254, 'e'), "",
       std::string(254, 'd') + "/", std::string(255, 'n'), "." + std::string(254, 'e')},
      // One byte more in any part: no part at all.
      {std::string(255, 'd') + "/x.y", "", "", "", ""},
      {std::string(256, 'n') + ".y", "", "", "", ""},
      {"x." + std::string(255, 'e'), "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    std::memset(dir, '#', sizeof dir);
    _splitpath(c.path.c_str(), drive, dir, fname, ext);
    EXPECT_EQ(drive, c.drive);
    EXPECT_EQ(dir, c.dir);
    EXPECT_EQ(fname, c.fname);
    EXPECT_EQ(ext, c.ext);
  }
  // Any out pointer may be null, the path too.
  char fname[_MAX_FNAME] = "stale";
  _splitpath("C:\\x\\prog.exe", nullptr, nullptr, fname, nullptr);
  EXPECT_STREQ(fname, "prog");
#ifndef _WIN32
  // Windows' runtime takes a null path for an invalid parameter and leaves the parts alone.
  _splitpath(nullptr, nullptr, nullptr, fname, nullptr);
  EXPECT_STREQ(fname, "");
#endif
}

TEST(FullPath, LexicalAgainstTheCurrentFolder) {
  TempDir dir;
  const fs::path saved = fs::current_path();
  fs::create_directory(dir.Path("work"));
  fs::current_path(dir.Path("work"));
  const std::string cwd = Native(dir.Path("work"));
  struct Case {
    const char* relative;
    std::string expected;
  } cases[] = {
      {"a.txt", cwd + kSeparator + "a.txt"},
      {"logs\\*.txt", Native(cwd + "/logs/*.txt")},
      {"./x/../y/", Native(cwd + "/y/")},
      {"..", Native(dir.Path())},
      {"", cwd},
      {nullptr, cwd},
#ifndef _WIN32
      {"/usr//lib/./x/..", "/usr/lib"},
      {"\\\\server\\share", "/server/share"},
      {"/../..", "/"},
      {"/", "/"},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.relative != nullptr ? c.relative : "(null)");
    char out[MAX_PATH];
    ASSERT_EQ(_fullpath(out, c.relative, sizeof out), out);
    EXPECT_EQ(std::string(out), c.expected);
  }
  // A path from the root: on Windows, the root of the current drive.
#ifdef _WIN32
  const std::string root = cwd.substr(0, 2) + "\\";
#else
  const std::string root = "/";
#endif
  const std::string hyo = "\\" + kHyo + "\\x";
  char out[MAX_PATH];
  ASSERT_NE(_fullpath(out, hyo.c_str(), sizeof out), nullptr);
  EXPECT_EQ(std::string(out), root + kHyo + kSeparator + "x")
      << "the second byte of 表 is no separator";

  // 259 bytes with the terminator fit; 260 do not.
  const std::string name(MAX_PATH - 2 - cwd.size(), 'n');
  EXPECT_NE(_fullpath(out, name.c_str(), sizeof out), nullptr);
  EXPECT_EQ(std::strlen(out), MAX_PATH - 1);
  EXPECT_EQ(_fullpath(out, (name + "n").c_str(), sizeof out), nullptr);
  EXPECT_EQ(_fullpath(out, "a", cwd.size() + 2), nullptr);

  char* allocated = _fullpath(nullptr, "a", 0);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(std::string(allocated), cwd + kSeparator + "a");
  std::free(allocated);
  fs::current_path(saved);
}

}  // namespace
