// The command line as the component receives it: converted from the ANSI code page into a BSTR.
// Needs no seams, so it runs on both backends.
#include <gtest/gtest.h>

#include <string>

#include "launcher/startup.h"
#include "platform/types.h"

namespace {

TEST(CommandLineToBstrTest, ConvertsWithTheAnsiCodePage) {
  struct Case {
    std::string text;  // code page 932
    platform::WideString expected;
  };
  const Case cases[] = {
      {"", PLATFORM_WIDE("")},
      {"C:\\app\\linkstart.exe", PLATFORM_WIDE("C:\\app\\linkstart.exe")},
      {"prog \x95\x5C\x8E\xA6", PLATFORM_WIDE("prog 表示")},  // 表's second byte is 0x5C
      {"prog \x95", PLATFORM_WIDE("prog \u30FB")},            // a lone lead byte at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    BSTR text = launcher::CommandLineToBstr(c.text);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), c.expected.size());
    EXPECT_EQ(platform::WideString(text, SysStringLen(text)), c.expected);
    EXPECT_EQ(text[SysStringLen(text)], 0);
    SysFreeString(text);
  }
}

}  // namespace
