#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/lasterror.h"
#include "platform/testing/command_line.h"

namespace {

TEST(GetModuleFileNameATest, GivesTheExecutablePathAndTruncatesLikeWindows) {
  const std::string expected =
      platform::AnsiFromUtf8(std::filesystem::read_symlink("/proc/self/exe").string());
  char buffer[MAX_PATH * 4] = {};
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), expected.size());
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(GetModuleFileNameA(platform::ProgramModule(), buffer, sizeof buffer), expected.size());

  // Too small: size - 1 bytes and a terminator, the size as result, and the error.
  char small[8];
  std::fill(std::begin(small), std::end(small), 'x');
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), expected.substr(0, 4));
  EXPECT_EQ(small[5], 'x');

  int foreign = 0;
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(&foreign), buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

// Lines as CommandLineToArgvW splits them (its documented examples among them).
TEST(SplitCommandLineTest, FollowsTheWindowsRules) {
  struct Case {
    std::u16string line;
    std::vector<std::u16string> arguments;
  };
  const Case cases[] = {
      {u"prog \"abc\" d e", {u"prog", u"abc", u"d", u"e"}},
      {u"prog a\\\\b d\"e f\"g h", {u"prog", u"a\\\\b", u"de fg", u"h"}},
      {u"prog a\\\\\\\"b c d", {u"prog", u"a\\\"b", u"c", u"d"}},
      {u"prog a\\\\\\\\\"b c\" d e", {u"prog", u"a\\\\b c", u"d", u"e"}},
      {u"prog a\"b\"\" c d", {u"prog", u"ab\" c d"}},
      {u"\"C:\\Program Files\\a.exe\" x", {u"C:\\Program Files\\a.exe", u"x"}},
      {u"C:\\dir\\\"a b\" x", {u"C:\\dir\\a b", u"x"}},  // no escapes in the program name
      {u"prog", {u"prog"}},
      {u"prog   \t ", {u"prog"}},
      {u"prog \"\" x", {u"prog", u"", u"x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Utf8FromWide(c.line));
    EXPECT_EQ(platform::SplitCommandLine(c.line), c.arguments);
  }
}

TEST(BuildCommandLineTest, QuotesOnlyWhereNeededAndSplitsBack) {
  struct Case {
    std::vector<std::string> arguments;
    std::string line;
  };
  const Case cases[] = {
      {{"/opt/app/linkstart"}, "/opt/app/linkstart"},
      {{"/opt/my app/linkstart", "a"}, "\"/opt/my app/linkstart\" a"},
      {{"prog", "two words", ""}, "prog \"two words\" \"\""},
      {{"prog", "say \"hi\""}, "prog \"say \\\"hi\\\"\""},
      {{"prog", "a\\b", "c\\\\"}, "prog a\\b c\\\\"},
      {{"prog", "dir with space\\"}, "prog \"dir with space\\\\\""},
      {{"prog", "q\\\"x"}, "prog \"q\\\\\\\"x\""},
      {{"prog", "表示", "データ 連携"}, "prog 表示 \"データ 連携\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(platform::BuildCommandLine(c.arguments), c.line);
    std::vector<std::u16string> wide;
    for (const std::string& argument : c.arguments) {
      wide.push_back(platform::WideFromAnsi(platform::AnsiFromUtf8(argument)));
    }
    EXPECT_EQ(platform::SplitCommandLine(platform::WideFromAnsi(platform::AnsiFromUtf8(c.line))),
              wide);
  }
}

TEST(GetCommandLineATest, RebuildsTheProcessArgumentsInCodePage932) {
  // This test program never calls SetProcessArguments, so the arguments come from /proc.
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::u16string> expected;
  for (std::size_t start = 0; start < all.size();) {
    const std::size_t end = all.find('\0', start);
    expected.push_back(
        platform::WideFromAnsi(platform::AnsiFromUtf8(all.substr(start, end - start))));
    start = end + 1;
  }
  const std::string line = GetCommandLineA();
  EXPECT_EQ(platform::SplitCommandLine(platform::WideFromAnsi(line)), expected);
  EXPECT_EQ(GetCommandLineA(), GetCommandLineA());  // built once
}

}  // namespace
