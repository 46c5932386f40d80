#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHyo = "\x95\x5C";  // 表: its second byte equals "\"

TEST(MatchesWildcard, WindowsRules) {
  struct Case {
    std::string pattern, name;
    bool matches;
  } cases[] = {
      {"*", "a.txt", true},
      {"*", ".", true},
      {"*.*", "a.txt", true},
      {"*.*", "noext", true},  // "*.*" matches names without a dot too
      {"*.*", ".profile", true},
      {"*.txt", "a.txt", true},
      {"*.txt", "a.txt.bak", false},
      {"*.txt", "a.TXT", false},  // case-sensitive, as the file system stores names
      {"report.*", "report", true},
      {"report.*", "report.tar.gz", true},
      {"report.*", "reports", false},
      {"a.", "a", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "a" + kHyo + "c", true},  // "?" takes a double-byte character whole
      {"a??c", "a" + kHyo + "c", false},
      {"*c", "abcabc", true},
      {"*b*b", "abcab", true},
      {"*b*b", "abca", false},
      {"a*", "a", true},
      {"", "a", false},
      {"abc", "abc", true},
      {"abc", "abcd", false},
      {kHyo + "*", kHyo + "x", true},
      // A name whose second byte is "\" does not match a pattern byte by byte.
      {"\x95*", kHyo, false},
      {"*\\", kHyo, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern + " / " + c.name);
    EXPECT_EQ(platform::MatchesWildcard(c.pattern, c.name), c.matches);
  }
}

TEST(MatchesWildcard, ManyStarsStayFast) {
  const std::string name(255, 'a');
  EXPECT_FALSE(platform::MatchesWildcard("*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(platform::MatchesWildcard("*a*a*a*a*a*a*a*a*a*a*", name));
}

TEST(HasWildcard, OnlyCharactersOfTheirOwn) {
  EXPECT_TRUE(platform::HasWildcard("a*"));
  EXPECT_TRUE(platform::HasWildcard("?"));
  EXPECT_FALSE(platform::HasWildcard("a.txt"));
  EXPECT_FALSE(platform::HasWildcard(kHyo));
}

}  // namespace
