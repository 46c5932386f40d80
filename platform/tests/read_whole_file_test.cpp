// ReadWholeFile: the bytes as they are on disk, found by a code page 932 path, and no result
// for what is not a readable file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_stream.h"
#include "testsupport/temp_dir.h"

namespace {

namespace fs = std::filesystem;

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
