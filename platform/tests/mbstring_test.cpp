#include "platform/mbstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// 表 is 0x95 0x5C in code page 932: its second byte equals "\".
const std::string kHyo = "\x95\x5C";
// ソ is 0x83 0x5C, another character whose second byte is "\".
const std::string kSo = "\x83\x5C";

const unsigned char* U(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.c_str());
}

// The index of a found pointer in `s`, or -1 for null.
int IndexIn(const std::string& s, const unsigned char* found) {
  return found == nullptr ? -1 : static_cast<int>(found - U(s));
}

TEST(MbString, LeadBytesOfCodePage932) {
  for (unsigned int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(_ismbblead(b) != 0, lead) << b;
  }
  EXPECT_NE(_ismbblead(0x181), 0) << "only the low byte counts";
}

TEST(MbString, SearchesNeverMatchSecondBytes) {
  struct Case {
    std::string text;
    unsigned int c;
    int first, last;
  } cases[] = {
      {"C:\\" + kHyo, '\\', 2, 2},
      {kHyo + kSo, '\\', -1, -1},
      {"a\\" + kHyo + "\\b", '\\', 1, 4},
      {"abc", '\\', -1, -1},
      {"", '\\', -1, -1},
      {"a" + kHyo + "a", 0x955C, 1, 1},  // a double-byte character is found as a whole
      {"x\\y", 0, 3, 3},                 // 0 finds the terminator
      {"ab\x95", '\\', -1, -1},          // an incomplete character at the end: nothing past it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IndexIn(c.text, _mbschr(U(c.text), c.c)), c.first);
    EXPECT_EQ(IndexIn(c.text, _mbsrchr(U(c.text), c.c)), c.last);
  }
}

TEST(MbString, LengthCountsCharacters) {
  EXPECT_EQ(_mbslen(U("")), 0u);
  EXPECT_EQ(_mbslen(U("abc")), 3u);
  EXPECT_EQ(_mbslen(U("\\\\" + kHyo + "x")), 4u);
  EXPECT_EQ(_mbslen(U("a\x95")), 1u);  // an incomplete character at the end is not counted
}

TEST(MbString, BoundedCopyNeverEndsInsideACharacterAndPads) {
  struct Case {
    std::string source;
    std::size_t count;
    std::string expected;
  } cases[] = {
      {"abc", 5, "abc"},
      {"abcdef", 3, "abc"},
      {"a" + kHyo, 2, "a"},  // the second byte would not fit
      {"a" + kHyo, 3, "a" + kHyo},
      {"ab\x95", 5, "ab"},  // a lead byte before the terminator is dropped
      {"", 4, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source + " / " + std::to_string(c.count));
    unsigned char buffer[16];
    std::memset(buffer, 0xAA, sizeof buffer);
    _mbsnbcpy(buffer, U(c.source), c.count);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), c.expected.size()), c.expected);
    for (std::size_t i = c.expected.size(); i < c.count; ++i) EXPECT_EQ(buffer[i], 0) << i;
    EXPECT_EQ(buffer[c.count], 0xAA) << "nothing written past count";
  }
}

TEST(MbString, CompareTakesCharactersWhole) {
  EXPECT_EQ(_mbsnbcmp(U("\\\\server"), U("\\\\"), 2), 0);
  EXPECT_EQ(_mbsnbcmp(U("\\a"), U("\\\\"), 2), 1);
  EXPECT_LT(_mbsnbcmp(U("ab"), U("abc"), 3), 0);
  EXPECT_EQ(_mbsnbcmp(U("abc"), U("abd"), 2), 0);
  // A double-byte character compares above every single byte, as its 16-bit value.
  EXPECT_GT(_mbsnbcmp(U(kHyo), U("z"), 2), 0);
}

TEST(MbString, SetWritesAtMostTheTextAndKeepsItWellFormed) {
  unsigned char cut[] = "ab\\cd";
  _mbsnbset(cut + 2, 0, 1);
  EXPECT_STREQ(reinterpret_cast<char*>(cut), "ab");
  EXPECT_STREQ(reinterpret_cast<char*>(cut + 3), "cd");

  unsigned char shortText[8] = "ab";
  _mbsnbset(shortText, 'x', 6);
  EXPECT_STREQ(reinterpret_cast<char*>(shortText), "xx") << "never past the terminator";

#ifndef _WIN32
  // Wine's _mbsnbset sets plain bytes for a single-byte value and leaves 0x5C standing; the
  // Windows runtime pads the cut character with a blank, as here.
  std::string half = kHyo + "z";
  std::vector<unsigned char> bytes(half.begin(), half.end());
  bytes.push_back(0);
  _mbsnbset(bytes.data(), 'x', 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes.data())), "x z")
      << "an overwritten lead byte takes its second byte with it";
#endif
}

}  // namespace
