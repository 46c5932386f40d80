#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/lasterror.h"

namespace {

// "表示テスト" in code page 932 and UTF-16.
const std::string kAnsi = "\x95\x5C\x8E\xA6\x83\x65\x83\x58\x83\x67";
const std::u16string kWide = u"表示テスト";

TEST(MultiByteToWideChar, SizeQueryThenConversionIncludingTerminator) {
  const int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, kAnsi.c_str(), -1, nullptr, 0);
  ASSERT_EQ(needed, 6);
  std::vector<WCHAR> out(needed, u'#');
  ASSERT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, kAnsi.c_str(), -1, out.data(), needed), needed);
  EXPECT_EQ(std::u16string(out.data()), kWide);
  EXPECT_EQ(out[5], 0);
}

TEST(MultiByteToWideChar, ExplicitLengthAddsNoTerminator) {
  WCHAR out[8] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\\~b", 4, out, 8), 4);
  // Code page 932 as Windows defines it: 0x5C stays "\" and 0x7E stays "~".
  EXPECT_EQ(std::u16string(out, 4), u"a\\~b");
}

TEST(MultiByteToWideChar, ContractFailures) {
  WCHAR out[4];
  struct Case {
    const char* name;
    UINT codePage;
    DWORD flags;
    const char* text;
    int length;
    WCHAR* buffer;
    int size;
    DWORD error;
  } cases[] = {
      {"buffer too small", CP_ACP, 0, "abcdef", -1, out, 4, ERROR_INSUFFICIENT_BUFFER},
      {"zero source length", CP_ACP, 0, "abc", 0, out, 4, ERROR_INVALID_PARAMETER},
      {"negative source length", CP_ACP, 0, "abc", -2, out, 4, ERROR_INVALID_PARAMETER},
      {"null source", CP_ACP, 0, nullptr, -1, out, 4, ERROR_INVALID_PARAMETER},
      {"null buffer with a size", CP_ACP, 0, "abc", -1, nullptr, 4, ERROR_INVALID_PARAMETER},
      {"unknown code page", 1252, 0, "abc", -1, out, 4, ERROR_INVALID_PARAMETER},
      {"unknown flag", CP_ACP, 0x1, "abc", -1, out, 4, ERROR_INVALID_PARAMETER},
      {"invalid sequence, strict", CP_ACP, MB_ERR_INVALID_CHARS, "a\x81", 2, out, 4,
       ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(c.codePage, c.flags, c.text, c.length, c.buffer, c.size), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST(MultiByteToWideChar, LoneLeadByteIsOneDefaultCharacterAndNothingIsReadPastTheEnd) {
  // The lead byte is the last byte of a heap block, so reading past it would be caught by ASan.
  std::vector<char> text = {'a', '\x95'};
  WCHAR out[4] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text.data(), 2, out, 4), 2);
  EXPECT_EQ(out[0], u'a');
  EXPECT_EQ(out[1], 0x30FB);

  // Before the terminator, the lead byte does not swallow it.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\x95", -1, out, 4), 3);
  EXPECT_EQ(out[1], 0x30FB);
  EXPECT_EQ(out[2], 0);
}

TEST(MultiByteToWideChar, InvalidPairsBecomeOneDefaultCharacterWithoutSwallowingText) {
  struct Case {
    const char* name;
    std::string text;
    std::u16string expected;
  } cases[] = {
      {"undefined pair is one character", "a\x85\x40z", u"a\u30FBz"},
      {"lead byte before a space stands alone", "\x81 x", u"\u30FB x"},
      {"lead byte before a control byte stands alone", "\x95\x0Ax", u"\u30FB\nx"},
      {"invalid single byte", "\xFDx", u"\u30FBx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WCHAR out[8] = {};
    const int n =
        MultiByteToWideChar(CP_ACP, 0, c.text.data(), static_cast<int>(c.text.size()), out, 8);
    EXPECT_EQ(std::u16string(out, n > 0 ? n : 0), c.expected);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, c.text.data(),
                                  static_cast<int>(c.text.size()), out, 8),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }
}

TEST(MultiByteToWideChar, Utf8) {
  WCHAR out[8] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xE8\xA1\xA8x", -1, out, 8), 3);
  EXPECT_EQ(std::u16string(out), u"表x");
}

TEST(WideCharToMultiByte, SizeQueryThenConversion) {
  const int needed =
      WideCharToMultiByte(CP_THREAD_ACP, 0, kWide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  ASSERT_EQ(needed, 11);
  std::string out(needed, '#');
  ASSERT_EQ(
      WideCharToMultiByte(CP_THREAD_ACP, 0, kWide.c_str(), -1, &out[0], needed, nullptr, nullptr),
      needed);
  EXPECT_EQ(out, kAnsi + '\0');
}

TEST(WideCharToMultiByte, UnmappableCharactersBecomeTheDefault) {
  const std::u16string text =
      u"a\u00E9\U0001F600b\xD800";  // é, an emoji (surrogate pair), a lone surrogate
  char out[16] = {};
  BOOL used = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out,
                                    sizeof out, nullptr, &used);
  EXPECT_EQ(std::string(out, n), "a??b?");
  EXPECT_TRUE(used);

  used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"ok", 2, out, sizeof out, "*", &used), 2);
  EXPECT_FALSE(used);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u00E9", 1, out, sizeof out, "*", &used), 1);
  EXPECT_EQ(out[0], '*');
  EXPECT_TRUE(used);
}

TEST(WideCharToMultiByte, ContractFailures) {
  char out[4];
  BOOL used;
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, kWide.c_str(), -1, out, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", -1, out, 4, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xDC00", 2, out, 4, nullptr, nullptr),
      0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a", 0, out, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CodePageEdges, RoundTripsAndReplacement) {
  EXPECT_EQ(platform::Utf8FromAnsi(kAnsi), "表示テスト");
  EXPECT_EQ(platform::AnsiFromUtf8("表示テスト"), kAnsi);
  EXPECT_EQ(platform::AnsiFromUtf8("caf\xC3\xA9"), "caf?");
  EXPECT_EQ(platform::WideFromAnsi(kAnsi), kWide);
  EXPECT_EQ(platform::AnsiFromWide(kWide), kAnsi);
  EXPECT_EQ(platform::Utf8FromWide(u"表"), "表");
  EXPECT_EQ(platform::Utf8FromAnsi(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(WideTextFromUtf16, CombinesSurrogatePairsWhereWcharIsUtf32) {
  const std::u16string text = u"a\U0002000Bb\xD800";  // a pair, then a lone high surrogate
  const std::wstring wide = platform::WideTextFromUtf16(text);
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    EXPECT_EQ(wide, std::wstring(text.begin(), text.end()));
  } else {
    EXPECT_EQ(wide, (std::wstring{L'a', static_cast<wchar_t>(0x2000B), L'b',
                                  static_cast<wchar_t>(0xD800)}));
  }
}

}  // namespace
