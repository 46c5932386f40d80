// Replacing a small file whole and reading one back: the outcomes the log configuration relies
// on.
#include "platform/file_stream.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/lasterror.h"
#include "platform/types.h"
#include "testsupport/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

const std::string kOld = "old content that is longer than the new one\r\n";
const std::string kNew = "new\r\n";

// The file's content; none for a folder or a missing file.
std::optional<std::string> Content(const std::string& path) {
  if (!fs::is_regular_file(path)) return std::nullopt;
  return ReadFile(path);
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(WriteSharedFile, CreatesOrReplacesTheWholeFile) {
  testsupport::TempDir dir;
  const std::string path = dir.Path("a.ini");
  ASSERT_TRUE(platform::WriteSharedFile(path, kOld));
  EXPECT_EQ(ReadFile(path), kOld);
  ASSERT_TRUE(platform::WriteSharedFile(path, kNew));
  EXPECT_EQ(ReadFile(path), kNew);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a.ini"});
}

// The same bytes again (every start of the same day): the file is not replaced, not even a
// read-only one.
TEST(WriteSharedFile, LeavesAFileThatHoldsTheContentAlready) {
  testsupport::TempDir dir;
  const std::string path = dir.Path("a.ini");
  ASSERT_TRUE(platform::WriteSharedFile(path, kNew));
  fs::permissions(path, fs::perms::owner_read);
  struct stat before = {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  EXPECT_TRUE(platform::WriteSharedFile(path, kNew));
  struct stat after = {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ReadFile(path), kNew);
  // A longer or a different content of the same length is written as usual.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(platform::WriteSharedFile(path, "NEW\r\n"));
  EXPECT_EQ(ReadFile(path), "NEW\r\n");
  EXPECT_TRUE(platform::WriteSharedFile(path, kNew + kNew));
  EXPECT_EQ(ReadFile(path), kNew + kNew);
}

TEST(WriteSharedFile, KeepsThePermissionsOfTheOldFile) {
  testsupport::TempDir dir;
  const std::string path = dir.Path("a.ini");
  std::ofstream(path) << kOld;
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(platform::WriteSharedFile(path, kNew));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(WriteSharedFile, FailuresLeaveTheOldFileAndNoOtherFile) {
  struct Case {
    const char* what;
    void (*prepare)(const std::string& path);
    DWORD error;
  };
  const Case cases[] = {
      // The read-only attribute binds every user, root included.
      {"read-only file",
       [](const std::string& path) {
         std::ofstream(path) << kOld;
         fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
       },
       ERROR_ACCESS_DENIED},
      {"folder of that name", [](const std::string& path) { fs::create_directory(path); },
       ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::TempDir dir;
    const std::string path = dir.Path("a.ini");
    c.prepare(path);
    const auto before = Content(path);
    const bool wasFolder = fs::is_directory(path);
    SetLastError(0);
    EXPECT_FALSE(platform::WriteSharedFile(path, kNew));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(Content(path), before);
    EXPECT_EQ(fs::is_directory(path), wasFolder);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a.ini"});
  }
}

TEST(WriteSharedFile, MissingFolderFails) {
  testsupport::TempDir dir;
  SetLastError(0);
  EXPECT_FALSE(platform::WriteSharedFile(dir.Path("missing/a.ini"), kNew));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

// A write cut part-way by the file-size limit (with SIGXFSZ ignored, as the program's entry
// does) fails and leaves the old file whole, not a mix of both.
TEST(WriteSharedFile, WriteCutPartWayKeepsTheOldFile) {
  testsupport::TempDir dir;
  const std::string path = dir.Path("a.ini");
  std::ofstream(path) << kOld;
  const std::string longer(4096, 'x');

  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction saved = {};
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &saved), 0);
  rlimit limit = {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small = {100, limit.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  SetLastError(0);
  const bool written = platform::WriteSharedFile(path, longer);
  const DWORD error = GetLastError();
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::sigaction(SIGXFSZ, &saved, nullptr);

  EXPECT_FALSE(written);
  EXPECT_EQ(error, ERROR_FILE_TOO_LARGE);
  EXPECT_EQ(ReadFile(path), kOld);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a.ini"});
}

// ReadWholeFile: the bytes as they are on disk, found by a code page 932 path, and no result
// for what is not a readable file.
void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ReadWholeFileTest, GivesTheBytesUnchanged) {
  testsupport::TempDir dir;
  // CR LF, a lone CR, NUL, Ctrl-Z and code page 932 bytes, with a 0x5C trail byte, stay as
  // they are; more than one read buffer's worth comes back whole.
  const std::string content =
      std::string("a\r\nb\rc\0d\x1A\x95\x5C\x83h\n", 14) + std::string(200000, 'x') + "end";
  WriteBytes(dir.Path("\xE8\xA1\xA8.ini"), content);  // 表.ini as this file system names it
  WriteBytes(dir.Path("empty.ini"), "");

  EXPECT_EQ(platform::ReadWholeFile(dir.Path() + "/\x95\x5C.ini"), content);
  EXPECT_EQ(platform::ReadWholeFile(dir.Path() + "\\\x95\x5C.ini"), content);  // "\" separates
  EXPECT_EQ(platform::ReadWholeFile(dir.Path("empty.ini")), std::string());
}

TEST(ReadWholeFileTest, NoResultForWhatCannotBeRead) {
  testsupport::TempDir dir;
  fs::create_directories(dir.Path("KDefault.ini"));
  EXPECT_EQ(platform::ReadWholeFile(dir.Path("KDefault.ini")), std::nullopt);
  EXPECT_EQ(platform::ReadWholeFile(dir.Path("missing.ini")), std::nullopt);
  EXPECT_EQ(platform::ReadWholeFile(dir.Path("missing/a.ini")), std::nullopt);
  EXPECT_EQ(platform::ReadWholeFile(""), std::nullopt);
}

}  // namespace
