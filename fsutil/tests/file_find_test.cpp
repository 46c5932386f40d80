#include "fsutil/file_find.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/lasterror.h"
#include "testsupport/temp_dir.h"

namespace fs = std::filesystem;
using ::testing::UnorderedElementsAre;

namespace {

using testsupport::kHyo;
using testsupport::kHyoUtf8;
using testsupport::ScopedCurrentPath;
using testsupport::ScopedTimeZone;
using testsupport::TempDir;

constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;  // 1970-01-01 as a FILETIME
constexpr ULONGLONG kSecond = 10000000ULL;

FILETIME FileTimeAt(long long unixSeconds) {
  const ULONGLONG value = kUnixEpoch + static_cast<ULONGLONG>(unixSeconds * 10000000LL);
  return {static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

// A path built with "/" as the finder reports it: with the platform's separator. ("/" is never
// the second byte of a code page 932 character, so the bytes are replaced one by one.)
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
  return path;
}
const std::string kSeparator(1, platform::kPathSeparator);

// The usual walk: every entry of a successful search, by name.
std::vector<std::string> Walk(IFileFind& finder, const char* pattern) {
  std::vector<std::string> names;
  if (!finder.BeginSearch(pattern, 0)) return names;
  int more = 1;
  while (more) {
    more = finder.NextEntry();
    names.push_back(finder.FoundName());
  }
  return names;
}

// A file named as a folder of the pattern: the POSIX backend reports ERROR_PATH_NOT_FOUND, Wine
// ERROR_INVALID_NAME. Either is a failure whose reason the finder keeps, which is what the
// program relies on; 0 in the table below stands for this pair.
bool IsFileAsFolderError(DWORD error) {
#ifdef _WIN32
  if (error == ERROR_INVALID_NAME) return true;
#endif
  return error == ERROR_PATH_NOT_FOUND;
}

class FileFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    for (const char* folder : {"sub", ".git", kHyoUtf8.c_str()}) {
      fs::create_directory(fs::u8path(dir_.Path(folder)));
    }
#ifndef _WIN32
    // Windows drops trailing dots from a name, so there "..." would be the folder itself.
    fs::create_directory(dir_.Path("..."));
#endif
    for (const char* file : {"a.txt", "report.tar.gz", ".profile", "noext"}) {
      std::ofstream(dir_.Path(file)).put('x');
    }
  }
  TempDir dir_;
};

TEST_F(FileFindTest, WalkReportsEveryEntry) {
  const std::string d = Native(dir_.Path());
  IFileFind finder;
  std::vector<std::string> names = {
      ".", "..", "sub", ".git", kHyo, "a.txt", "report.tar.gz", ".profile", "noext"};
#ifndef _WIN32
  names.push_back("...");
#endif
  EXPECT_THAT(Walk(finder, (d + "/*").c_str()), ::testing::UnorderedElementsAreArray(names));
  EXPECT_EQ(finder.SearchRoot(), d);

  struct Expected {
    std::string title;
    int isDot;
    int isFolder;
  };
  const std::map<std::string, Expected> expected = {
      {".", {"", 1, 1}},        {"..", {".", 1, 1}},
      {"sub", {"sub", 0, 1}},   {"...", {"..", 0, 1}},
      {".git", {"", 0, 1}},     {kHyo, {kHyo, 0, 1}},
      {"a.txt", {"a", 0, 0}},   {"report.tar.gz", {"report.tar", 0, 0}},
      {".profile", {"", 0, 0}}, {"noext", {"noext", 0, 0}},
  };
  ASSERT_EQ(finder.BeginSearch((d + "\\*.*").c_str(), 0), 1);
  int more = 1;
  int seen = 0;
  while (more) {
    more = finder.NextEntry();
    const std::string name = finder.FoundName();
    SCOPED_TRACE(name);
    const auto it = expected.find(name);
    ASSERT_NE(it, expected.end());
    ++seen;
    EXPECT_EQ(finder.FoundPath(), d + kSeparator + name);
    EXPECT_EQ(finder.FoundUrl(), "file://" + d + kSeparator + name);
    EXPECT_EQ(finder.FoundTitle(), it->second.title);
    EXPECT_EQ(finder.IsDotEntry(), it->second.isDot);
    EXPECT_EQ(finder.HasAttribute(FILE_ATTRIBUTE_DIRECTORY), it->second.isFolder);
    EXPECT_EQ(finder.HasAttribute(FILE_ATTRIBUTE_ARCHIVE), 1 - it->second.isFolder);
    EXPECT_EQ(finder.HasAttribute(0), 0);
  }
  EXPECT_EQ(seen, static_cast<int>(names.size()));
}

TEST_F(FileFindTest, StatesAndTheirLastErrors) {
  const std::string d = Native(dir_.Path());
  IFileFind finder;
  // Idle: a new finder has no entry and an empty root.
  EXPECT_EQ(finder.NextEntry(), 0);
  EXPECT_EQ(finder.FoundPath(), "");
  EXPECT_EQ(finder.FoundName(), "");
  EXPECT_EQ(finder.FoundUrl(), "file://");
  __time64_t time = 42;
  FILETIME raw{};
  EXPECT_EQ(finder.WrittenTime(&time), 0);
  EXPECT_EQ(time, 42);
  EXPECT_EQ(finder.CreatedTimeRaw(&raw), 0);
  EXPECT_EQ(finder.IsDotEntry(), 0);

  // Started: the first match waits; the path is the root and a separator.
  ASSERT_EQ(finder.BeginSearch((d + "/a.*").c_str(), 0), 1);
  EXPECT_EQ(finder.FoundPath(), d + kSeparator);
  EXPECT_EQ(finder.FoundName(), "");
  // One exact match: the first NextEntry makes it current and says that none follows.
  EXPECT_EQ(finder.NextEntry(), 0);
  EXPECT_EQ(finder.FoundName(), "a.txt");

  // Failed at the system search, with the system's reason; NextEntry then finds nothing and
  // leaves that reason in place.
  struct Failure {
    std::string pattern;
    DWORD error;
  } failures[] = {
      {d + "/missing.txt", ERROR_FILE_NOT_FOUND},
      {d + "/missing/x", ERROR_PATH_NOT_FOUND},
      {d + "/a.txt/x", 0},
      {d + "/*.none", ERROR_FILE_NOT_FOUND},
      {d + "/sub/", ERROR_FILE_NOT_FOUND},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.pattern);
    EXPECT_EQ(finder.BeginSearch(f.pattern.c_str(), 0), 0);
    const DWORD reason = GetLastError();
    if (f.error == 0) {
      EXPECT_PRED1(IsFileAsFolderError, reason);
    } else {
      EXPECT_EQ(reason, f.error);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(finder.NextEntry(), 0);
    EXPECT_EQ(GetLastError(), reason);
    EXPECT_EQ(finder.FoundName(), "");
    EXPECT_EQ(finder.HasAttribute(0xFFFFFFFF), 0);
    EXPECT_EQ(finder.WrittenTimeRaw(&raw), 0);
  }

  // A search for one exact folder: 1, then one NextEntry that returns 0 with the folder current.
  ASSERT_EQ(finder.BeginSearch((d + "\\" + kHyo).c_str(), 0), 1);
  EXPECT_EQ(finder.NextEntry(), 0);
  EXPECT_EQ(finder.FoundName(), kHyo);
  EXPECT_EQ(finder.HasAttribute(FILE_ATTRIBUTE_DIRECTORY), 1);
  EXPECT_EQ(finder.SearchRoot(), d);
  // The root of a path inside 表 keeps 表 whole.
  ASSERT_EQ(finder.BeginSearch((d + "/" + kHyo + "/*").c_str(), 0), 1);
  EXPECT_EQ(finder.SearchRoot(), d + kSeparator + kHyo);

  // Reset closes the search and keeps the root.
  finder.Reset();
  EXPECT_EQ(finder.NextEntry(), 0);
  EXPECT_EQ(finder.SearchRoot(), d + kSeparator + kHyo);
}

TEST_F(FileFindTest, AbsolutePathThatDoesNotFitIsAnInvalidName) {
  // A relative pattern that the system finds, but whose absolute form needs more than 259
  // bytes: the search is closed again and the last error is ERROR_INVALID_NAME.
  std::string deep = dir_.Path();
  while (deep.size() < 200) {
    deep += "/" + std::string(40, 'd');
    fs::create_directory(deep);
  }
  const std::string name(259 - deep.size(), 'f');  // deep + "/" + name: 260 bytes
  std::ofstream(deep + "/" + name).put('x');
  const ScopedCurrentPath inside(deep);
  IFileFind finder;
  EXPECT_EQ(finder.BeginSearch(name.c_str(), 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  EXPECT_EQ(finder.NextEntry(), 0);
  EXPECT_EQ(finder.FoundName(), "");
  // One byte shorter fits.
  const std::string shorter = name.substr(1);
  std::ofstream(deep + "/" + shorter).put('x');
  EXPECT_EQ(finder.BeginSearch(shorter.c_str(), 0), 1);
  EXPECT_EQ(finder.SearchRoot(), Native(deep));
}

TEST_F(FileFindTest, NullPatternSearchesTheCurrentFolder) {
  const ScopedCurrentPath inside(dir_.Path("sub"));
  std::ofstream("only.txt").put('x');
  IFileFind finder;
  EXPECT_THAT(Walk(finder, nullptr), UnorderedElementsAre(".", "..", "only.txt"));
  EXPECT_EQ(finder.SearchRoot(), Native(dir_.Path("sub")));
}

#ifndef _WIN32
// The Unix root folder, which has no name of its own.
TEST(IFileFind, EntryBelowTheRootFolderKeepsAnAbsolutePath) {
  IFileFind finder;
  ASSERT_EQ(finder.BeginSearch("/tmp", 0), 1);
  EXPECT_EQ(finder.NextEntry(), 0);
  EXPECT_EQ(finder.SearchRoot(), "/");
  EXPECT_EQ(finder.FoundPath(), "/tmp");
}
#endif

TEST_F(FileFindTest, TimeStamps) {
  const ScopedTimeZone tokyo("Asia/Tokyo");
  const std::string file = dir_.Path("a.txt");
  const auto now = fs::last_write_time(file);
  IFileFind finder;
  ASSERT_EQ(finder.BeginSearch(file.c_str(), 0), 1);
  finder.NextEntry();
  __time64_t written = 0, accessed = 0, created = 0;
  EXPECT_EQ(finder.WrittenTime(&written), 1);
  EXPECT_EQ(finder.AccessedTime(&accessed), 1);
  EXPECT_EQ(finder.CreatedTime(&created), 1);
  // The file was made moments ago: all three stamps are about now.
  for (const __time64_t value : {written, accessed, created}) {
    EXPECT_NEAR(static_cast<double>(value), static_cast<double>(std::time(nullptr)), 600);
  }
  // Without daylight saving the time value is the raw stamp in whole seconds since 1970.
  FILETIME raw{};
  EXPECT_EQ(finder.WrittenTimeRaw(&raw), 1);
  EXPECT_EQ(((static_cast<ULONGLONG>(raw.dwHighDateTime) << 32) | raw.dwLowDateTime) / kSecond -
                kUnixEpoch / kSecond,
            static_cast<ULONGLONG>(written));
  EXPECT_EQ(finder.AccessedTimeRaw(&raw), 1);
  EXPECT_EQ(finder.CreatedTimeRaw(&raw), 1);
  EXPECT_EQ(finder.WrittenTimeRaw(nullptr), 0);
  EXPECT_EQ(finder.WrittenTime(nullptr), 0);

  // A write time in 1950 cannot be a time value: -1, and the operation still returns 1.
  fs::last_write_time(file, now - std::chrono::hours(24 * 365 * 70));
  ASSERT_EQ(finder.BeginSearch(file.c_str(), 0), 1);
  finder.NextEntry();
  written = 0;
  EXPECT_EQ(finder.WrittenTime(&written), 1);
  EXPECT_EQ(written, -1);
}

TEST(FileTimeToTimeValue, ThroughLocalTime) {
  const ScopedTimeZone tokyo("Asia/Tokyo");  // UTC+9 all year
  struct Case {
    const char* what;
    FILETIME time;
    __time64_t expected;
  } cases[] = {
      {"2024-03-07 03:00 UTC", FileTimeAt(1709780400), 1709780400},
      {"1970-01-01 00:00 UTC", FileTimeAt(0), 0},
  // 1899-12-31 15:00 UTC is 1900-01-01 00:00 in Tokyo: a year from 1900 on, but before
  // 1970, which _mktime64 cannot represent.
#ifndef _WIN32
      // Under Wine the C runtime gives 0 here; not yet compared with Windows.
      {"first local second of 1900", FileTimeAt(-2209021200), -1},
#endif
      // One second earlier the local date is still in 1899: 0.
      {"last local second of 1899", FileTimeAt(-2209021201), 0},
      {"1601-01-01", FILETIME{0, 0}, 0},
      {"3000-12-31 14:59:59 UTC", FileTimeAt(32535215999), 32535215999},
      {"3000-12-31 15:00:00 UTC", FileTimeAt(32535216000), -1},
      {"beyond FILETIME", FILETIME{0, 0x80000000u}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FileTimeToTimeValue(c.time, -1), c.expected);
  }
}

TEST_F(FileFindTest, PathExists) {
  const std::string d = dir_.Path();
  struct Case {
    std::string path;
    int exists;
  } cases[] = {
      {d + "/a.txt", 1},
      {d + "/sub", 1},  // a folder without a trailing separator
      {d + "\\" + kHyo, 1},
      {d + "/*.gz", 1},
      {d + "/*.none", 0},
      {d + "/missing.txt", 0},
      {d + "/missing", 0},
      {d + "/sub/", 0},  // the system search matches no path that ends in a separator
      {"/", 0},          // nor a bare root
      {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(PathExists(c.path.c_str()), c.exists);
  }
  EXPECT_EQ(PathExists(nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
