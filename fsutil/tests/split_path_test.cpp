#include "fsutil/split_path.h"

#include <gtest/gtest.h>

#include <string>

#include "testsupport/temp_dir.h"

namespace {

using testsupport::kHyo;

struct Row {
  std::string path, drive, server, dir, title, ext, folderPath, fileName;
};

void ExpectFields(const ISplitPath& split, const Row& row) {
  EXPECT_EQ(split.Drive, row.drive);
  EXPECT_EQ(split.Server, row.server);
  EXPECT_EQ(split.Dir, row.dir);
  EXPECT_EQ(split.Title, row.title);
  EXPECT_EQ(split.Ext, row.ext);
  EXPECT_EQ(split.FolderPath, row.folderPath);
  EXPECT_EQ(split.FileName, row.fileName);
}

TEST(ISplitPath, WorkedExamplesAndEdgeCases) {
  const Row rows[] = {
      {"C:\\Users\\me\\Documents\\log.txt", "C:", "", "\\Users\\me\\Documents\\", "log", ".txt",
       "C:\\Users\\me\\Documents\\", "log.txt"},
      {"\\\\server\\share\\logs\\app.ini", "\\\\server", "server", "\\share\\logs\\", "app", ".ini",
       "\\\\server\\share\\logs\\", "app.ini"},
      {"\\\\server\\share", "\\\\server", "server", "\\", "share", "", "\\\\server\\", "share"},
      {"\\\\server", "", "", "", "server", "", "", "server"},
      {"logs\\app.ini", "", "", "logs\\", "app", ".ini", "logs\\", "app.ini"},
      {"C:", "C:", "", "", "", "", "C:", ""},
      {"C:\\a.b.c", "C:", "", "\\", "a.b", ".c", "C:\\", "a.b.c"},
      {"//server/share/x", "", "", "//server/share/", "x", "", "//server/share/", "x"},
      // Two backslashes, with nothing or one character after them.
      {"\\\\", "", "", "", "", "", "", ""},
      {"\\\\a", "", "", "", "a", "", "", "a"},
      // 表 (0x95 0x5C) in a folder name, at the end of a path, in a server name.
      {"C:\\" + kHyo + "\\a.txt", "C:", "", "\\" + kHyo + "\\", "a", ".txt", "C:\\" + kHyo + "\\",
       "a.txt"},
      {"C:\\Docs\\" + kHyo, "C:", "", "\\Docs\\", kHyo, "", "C:\\Docs\\", kHyo},
      {"\\\\" + kHyo + "\\share\\x.txt", "\\\\" + kHyo, kHyo, "\\share\\", "x", ".txt",
       "\\\\" + kHyo + "\\share\\", "x.txt"},
      {"\\\\srv" + kHyo + "\\s", "\\\\srv" + kHyo, "srv" + kHyo, "\\", "s", "",
       "\\\\srv" + kHyo + "\\", "s"},
      // Relative paths, bare names, a leading dot.
      {"logs", "", "", "", "logs", "", "", "logs"},
      {".profile", "", "", "", "", ".profile", "", ".profile"},
      {"/home/me/.profile", "", "", "/home/me/", "", ".profile", "/home/me/", ".profile"},
      {"", "", "", "", "", "", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const ISplitPath split(row.path.c_str());
    EXPECT_EQ(split.Source, row.path);
    ExpectFields(split, row);
  }
}

TEST(ISplitPath, NullPathLeavesEverythingEmpty) {
  ISplitPath split(nullptr);
  EXPECT_EQ(split.Source, std::string());
  ExpectFields(split, Row{});
  EXPECT_EQ(split.Split(nullptr), 0);
  EXPECT_EQ(split.Split("C:\\x"), 1);
  EXPECT_EQ(split.Dir, std::string("\\"));
}

TEST(ISplitPath, LongPathsAreCutNeverOverrun) {
  // Source keeps the first 260 bytes, 259 when the 260th begins a double-byte character.
  const std::string folder = "/" + std::string(200, 'd') + "/";
  struct Case {
    std::string path, source;
  } cases[] = {
      {folder + std::string(57, 'n'), folder + std::string(57, 'n')},  // 259 bytes
      {folder + std::string(58, 'n'), folder + std::string(58, 'n')},  // 260 bytes
      {folder + std::string(59, 'n'), folder + std::string(58, 'n')},  // 261 bytes: cut
      {folder + std::string(56, 'n') + kHyo, folder + std::string(56, 'n') + kHyo},
      {folder + std::string(57, 'n') + kHyo, folder + std::string(57, 'n')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.size());
    const ISplitPath split(c.path.c_str());
    EXPECT_EQ(split.Source, c.source);
    EXPECT_EQ(split.Dir, folder);
    EXPECT_EQ(split.FolderPath, folder);
    EXPECT_EQ(split.FileName, c.source.substr(folder.size()));
  }
  // A folder part longer than 255 bytes is not split at all: no part is cut short.
  const std::string longFolder = "/" + std::string(254, 'd') + "/x";  // folder: 256 bytes
  const ISplitPath split(longFolder.c_str());
  EXPECT_EQ(split.Source, longFolder);
  ExpectFields(split, Row{});
}

}  // namespace
