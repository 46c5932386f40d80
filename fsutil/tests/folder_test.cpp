#include "fsutil/folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/lasterror.h"
#include "testsupport/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using testsupport::kHyo;
using testsupport::kHyoUtf8;
using testsupport::ScopedCurrentPath;
using testsupport::TempDir;

TEST(FindLastByte, SkipsSecondBytes) {
  struct Case {
    std::string text;
    int byte;
    int expected;
  } cases[] = {
      {"C:\\" + kHyo, '\\', 2},  // not 4: that byte belongs to 表
      {"", '\\', -1},
      {"abc", '\\', -1},
      {"a\\b\\c", '\\', 3},
      {"a/b\\c/", '/', 5},
      {kHyo + kHyo, '\\', -1},
      {kHyo, 0x95, 0},            // a lead byte itself is compared
      {"a\\b", '\\' + 0x100, 1},  // only the low byte counts
      {"x\x95", '\\', -1},        // a lone lead byte at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FindLastByte(c.text, c.byte), c.expected);
  }
}

TEST(SafeLeft, NeverSplitsACharacter) {
  const std::string text = "a" + kHyo + "x";  // 0x61 0x95 0x5C 0x78
  struct Case {
    std::string text;
    int count;
    std::string expected;
    bool splits;  // CutSplitsCharacter(text, count)
  } cases[] = {
      {text, 1, "a", false},        {text, 2, "a" + kHyo, true},  // widened to 3 bytes
      {text, 3, "a" + kHyo, false}, {text, 9, text, false},
      {text, 0, "", false},         {kHyo, 1, kHyo, true},
      {kHyo, -3, "", false},        {kHyo, 5, kHyo, true},  // past the end: the last byte decides
      {"", 1, "", false},           {text, 2147483647, text, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " / " + std::to_string(c.count));
    EXPECT_EQ(SafeLeft(c.text, c.count), c.expected);
    EXPECT_EQ(CutSplitsCharacter(c.text, c.count), c.splits);
  }
}

class CreateFolderTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    fs::create_directory(dir_.Path("Docs"));
    std::ofstream(dir_.Path("Docs/report.txt")).put('x');
  }
  // Every entry below the temporary folder, as relative UTF-8 paths.
  std::vector<std::string> Tree() const {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.Path())) {
      entries.push_back(fs::relative(entry.path(), dir_.Path()).string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }
  TempDir dir_;
};

TEST_F(CreateFolderTreeTest, CreatesMissingAncestorsOutermostFirst) {
  const std::string d = dir_.Path();
  struct Case {
    std::string path;  // code page 932
    int result;
    std::string check;  // UTF-8 path that must then be a folder
  } cases[] = {
      // Only Docs exists: Logs, System and App are created.
      {d + "\\Docs\\Logs\\System\\App", 1, "Docs/Logs/System/App"},
      {d + "/Docs/a/b/c/d/e", 1, "Docs/a/b/c/d/e"},
      // One trailing "\" or "/" is dropped for splitting; the path is created as given.
      {d + "\\Docs\\New\\", 1, "Docs/New"},
      {d + "/Docs/Slash/More/", 1, "Docs/Slash/More"},
      // 表 at the end is no trailing separator, and in the middle no place to cut.
      {d + "\\Docs\\" + kHyo, 1, "Docs/" + kHyoUtf8},
      {d + "\\" + kHyo + "\\New", 1, kHyoUtf8 + "/New"},
      {d + "/" + kHyo + "x/" + kHyo + "/" + kHyo, 1, kHyoUtf8 + "x/" + kHyoUtf8 + "/" + kHyoUtf8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CreateFolderTree(c.path.c_str()), c.result);
    EXPECT_TRUE(fs::is_directory(fs::u8path(dir_.Path(c.check))));
  }
}

TEST_F(CreateFolderTreeTest, FailuresCreateNothing) {
  const std::string d = dir_.Path();
  fs::create_directories(dir_.Path("Docs/Exists/Below"));
  const std::vector<std::string> before = Tree();
  const char* cases[] = {
      // An existing folder: 0, nothing changes.
      "/Docs/Exists",
      "/Docs/Exists/",
      "/Docs",
      // A file where an ancestor should be: no creation is even attempted.
      "/Docs/report.txt/New",
      "/Docs/report.txt/New/Deeper/Still",
      // Doubled separators: after one is dropped the probed parent still ends in one, which the
      // system search never matches, and the recursion ends at the existing Docs.
      "/Docs//Double//Sep",
      // The temporary folder's parent is a root: "/" has no entry to create.
      "",
  };
  for (const char* below : cases) {
    const std::string path = below[0] == '\0' ? std::string("/") : d + below;
    SCOPED_TRACE(path);
    EXPECT_EQ(CreateFolderTree(path.c_str()), 0);
    EXPECT_EQ(Tree(), before);
  }
  EXPECT_EQ(CreateFolderTree(""), 0);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(CreateFolderTree(nullptr), 0);
  EXPECT_EQ(Tree(), before);
}

TEST_F(CreateFolderTreeTest, RelativePaths) {
  const ScopedCurrentPath inside(dir_.Path());
  EXPECT_EQ(CreateFolderTree("logs"), 1);  // no folder part: created without a probe
  EXPECT_EQ(CreateFolderTree("logs\\a\\b"), 1);
  EXPECT_TRUE(fs::is_directory(dir_.Path("logs/a/b")));
  // An ancestor that cannot be created (its name is longer than the file system allows): the
  // folders below it are not attempted.
  const std::string tooLong(256, 'n');
  EXPECT_EQ(CreateFolderTree((tooLong + "/sub/deeper").c_str()), 0);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_FALSE(fs::exists(dir_.Path("sub")));
}

#ifndef _WIN32
// Symbolic links and the MAX_PATH limit of the POSIX backend. Wine creates folders of 260 and
// more bytes through CreateDirectoryA, which Windows refuses.
TEST_F(CreateFolderTreeTest, AncestorThatCannotBeCreated) {
  // "link" is a dangling symbolic link: it is no folder, and the system refuses to create a
  // folder in its place. The folders below it are not attempted.
  fs::create_symlink(dir_.Path("nowhere/target"), dir_.Path("link"));
  const std::vector<std::string> before = Tree();
  EXPECT_EQ(CreateFolderTree(dir_.Path("link/sub/deeper").c_str()), 0);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Tree(), before);
}

TEST_F(CreateFolderTreeTest, PathsAroundTheLimit) {
  // 259 bytes fit MAX_PATH with the terminator; 260 and 261 do not. Every path has a missing
  // parent, which is created either way: only the final folder is refused.
  const std::string parent = dir_.Path("Docs/p");
  const std::string base = parent + "/";
  for (std::size_t length : {259u, 260u, 261u}) {
    SCOPED_TRACE(length);
    const std::string path = base + std::string(length - base.size(), 'n');
    EXPECT_EQ(CreateFolderTree(path.c_str()), length == 259 ? 1 : 0);
    EXPECT_EQ(fs::is_directory(path), length == 259);
    EXPECT_TRUE(fs::is_directory(parent));
  }
}

#endif

}  // namespace
