// The property reader against log4cxx's own: the same ASCII texts go to both, and the library
// must end up with the same keys and values either way. Code page 932 text, which the library
// cannot read, is checked against the characters it holds.
#include "logsetup/property_text.h"

#include <gtest/gtest.h>
#include <log4cxx/helpers/bytearrayinputstream.h>
#include <log4cxx/helpers/transcoder.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace {

using log4cxx::LogString;
using LibraryMap = std::map<LogString, LogString>;

LibraryMap ContentsOf(const log4cxx::helpers::Properties& properties) {
  LibraryMap contents;
  for (const LogString& key : properties.propertyNames()) {
    contents[key] = properties.getProperty(key);
  }
  return contents;
}

// What the library's own reader makes of the bytes.
LibraryMap LibraryReads(const std::string& bytes) {
  log4cxx::helpers::Properties properties;
  properties.load(std::make_shared<log4cxx::helpers::ByteArrayInputStream>(
      log4cxx::helpers::ByteList(bytes.begin(), bytes.end())));
  return ContentsOf(properties);
}

// What the library holds after the program read the bytes and filled its properties.
LibraryMap ProgramHandsOver(const std::string& bytes) {
  const std::optional<logsetup::PropertyMap> read = logsetup::ReadCodePage932Properties(bytes);
  EXPECT_TRUE(read.has_value());
  log4cxx::helpers::Properties properties;
  if (read) logsetup::FillLibraryProperties(*read, properties);
  return ContentsOf(properties);
}

LogString Library(const std::wstring& text) {
  LogString converted;
  log4cxx::helpers::Transcoder::decode(text, converted);
  return converted;
}

// Shows control characters, so that a failing case can be read.
std::string Visible(const std::string& bytes) {
  std::string shown;
  for (const char c : bytes) {
    switch (c) {
      case '\r':
        shown += "<CR>";
        break;
      case '\n':
        shown += "<LF>";
        break;
      case '\t':
        shown += "<TAB>";
        break;
      case '\f':
        shown += "<FF>";
        break;
      case '\0':
        shown += "<NUL>";
        break;
      default:
        shown += c;
    }
  }
  return shown;
}

TEST(PropertyTextTest, AsciiTextsGiveTheLibrarysOwnProperties) {
  struct Case {
    const char* label;
    std::string text;
    std::size_t count;  // properties the library finds, so that no case is vacuous
  };
  const Case cases[] = {
      {"separators", "a=1\nb:2\nc 3\nd\t4\ne = 5\nf : 6\ng \t= : 7\nh==8\ni::9\n", 9},
      {"white space kept after a value", "key = value  \t\nnext=x", 2},
      {"white space before a key", "  \t key=1\r\n\t\tother=2\n", 2},
      {"key alone", "lonely\nlonely2\r\nlast", 3},
      {"key with separator only", "empty=\nempty2 :\r\n", 2},
      {"empty key", "=value\n: other\r\n", 1},
      {"empty key on the last line", "a=1\n=dropped", 1},
      {"comments", "# a=1\n! b=2\n  # c=3\nd=4 # not a comment\n#last", 1},
      {"comment ended by a lone CR", "# comment\rkey=1\r", 1},
      {"blank lines", "\n\n\r\n\r\r\n  \t \nkey=1\n\n", 1},
      {"escapes in values", "k=a\\tb\\nc\\rd\\fe\\\\f\\=g\\:h\\ i\\#j\\qk\n", 1},
      {"escapes in keys", "a\\ b=1\na\\=b=2\na\\:b=3\na\\tb=4\n\\#c=5\n\\!d=6\na\\\\b=7\n", 7},
      {"continued value, LF", "k=first \\\n   second\\\n\tthird\n", 1},
      {"continued value, CR LF", "k=first\\\r\n   second\r\nn=1", 2},
      {"continued value, lone CR", "k=first\\\r  second\rn=1", 2},
      {"continued key", "ke\\\n  y=1\nlong\\\r\n  key\\\r\n  =2\n", 2},
      {"continuation onto a blank line", "k=a\\\n\nn=1\n", 2},
      {"continuation onto a comment", "k=a\\\n# not a comment\n", 1},
      {"continuation at the end", "k=a\\\n", 1},
      {"backslash at the end", "k=a\\", 1},
      {"even backslashes end the line", "k=a\\\\\nn=1\n", 2},
      {"duplicate keys, last wins", "k=1\nk=2\nk\nj=1\nj=3", 2},
      {"form feed is no white space", "\fk=1\nk\f=2\n", 2},
      {"last line without a line end", "a=1\r\nb=2", 2},
      {"windows path doubled", "File = C:\\\\Users\\\\u\\\\Log.txt\r\n", 1},
      {"windows path single", "File = C:\\Users\\table\\new.txt\r\n", 1},
      {"NUL inside", std::string("k=a\0b\n\0=c\n", 10), 2},
  };
  for (const Case& c : cases) {
    const LibraryMap expected = LibraryReads(c.text);
    EXPECT_EQ(expected.size(), c.count) << c.label;
    EXPECT_EQ(ProgramHandsOver(c.text), expected) << c.label << ": " << Visible(c.text);
  }
}

TEST(PropertyTextTest, GeneratedAsciiTextsGiveTheLibrarysOwnProperties) {
  // Pieces that every rule reacts to; random sequences of them make keys, separators, escapes,
  // continuations, comments and line ends in every order.
  const std::vector<std::string> pieces = {
      "key", "k.x", "v",    "1",      " ",     "  ",      "\t",     "=",   ":",
      " = ", "#",   "!",    "\\",     "\\\\",  "\\t",     "\\n",    "\\r", "\\f",
      "\\q", "\\ ", "\\=",  "\\#",    "\\\n",  "\\\r\n",  "\\\r",   "\n",  "\r\n",
      "\r",  "\f",  "\n  ", "\r\n\t", "# c\n", "dup=1\n", "dup=2\n"};
  std::mt19937 random(20240307);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(0, 40);
  std::size_t found = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
    const LibraryMap expected = LibraryReads(text);
    found += expected.size();
    ASSERT_EQ(ProgramHandsOver(text), expected) << "text " << i << ": " << Visible(text);
  }
  EXPECT_GT(found, 3000u);  // the batch is about properties, not about empty results
}

TEST(PropertyTextTest, CodePage932TextKeepsItsCharacters) {
  struct Case {
    const char* label;
    std::string text;  // code page 932 bytes
    std::map<std::wstring, std::wstring> expected;
  };
  const Case cases[] = {
      // 表 is 0x95 0x5C: its second byte is no backslash, the true ones around it are escaped.
      {"trail byte 0x5C",
       "File = C:\\\\Users\\\\\x95\x5C\\\\\x95\x5C.1.0.0Log_20240307.txt\r\n",
       {{L"File", L"C:\\Users\\\u8868\\\u8868.1.0.0Log_20240307.txt"}}},
      {"trail byte 0x5C before a line end",
       "k=\x95\x5C\nn=\x95\x5C",
       {{L"k", L"\u8868"}, {L"n", L"\u8868"}}},
      {"Documents folder ドキュメント",
       "File = /home/u/\x83h\x83L\x83\x85\x83\x81\x83\x93\x83g/Korvo/x.txt\r\n",
       {{L"File", L"/home/u/\u30C9\u30AD\u30E5\u30E1\u30F3\u30C8/Korvo/x.txt"}}},
      {"non-ASCII key",
       "\x8eR\x93"
       "c = \xb1\r\n",
       {{L"\u5C71\u7530", L"\uFF71"}}},
      // A lead byte before a line end stands alone and the line still ends.
      {"lead byte before CR LF", "k=a\x81\r\nn=b", {{L"k", L"a\u30FB"}, {L"n", L"b"}}},
      {"lead byte at the end", "k=a\x81", {{L"k", L"a\u30FB"}}},
#ifndef _WIN32
      // The POSIX backend leaves the "=" after a lone lead byte standing; Wine's conversion
      // takes it into the default character, so there the key is "\u30FB1" with no value.
      {"lead byte before a separator", "\x81=1\n", {{L"\u30FB", L"1"}}},
#endif
  };
  for (const Case& c : cases) {
    LibraryMap expected;
    for (const auto& [key, value] : c.expected) expected[Library(key)] = Library(value);
    EXPECT_EQ(ProgramHandsOver(c.text), expected) << c.label;
  }
}

// Texts longer than one decoded piece (64 KiB): no character is cut in two where a piece ends,
// whether the text has line ends to cut at or none for 100 KB.
TEST(PropertyTextTest, LongTextsKeepTheirCharacters) {
  std::string lines;
  for (int i = 0; i < 5000; ++i) {
    // ドキュメント表, then a lone lead byte before the line end.
    lines += "k" + std::to_string(i) + "=\x83h\x83L\x83\x85\x83\x81\x83\x93\x83g\x95\x5C\x81\r\n";
  }
  std::string run = "run=";
  for (int i = 0; i < 50000; ++i) run += "\x95\x5C";  // 表: no byte below 0x40 at all
  const std::string texts[] = {lines, run, run + "\r\nlast=1", lines + run};

  const std::u16string line = u"\u30C9\u30AD\u30E5\u30E1\u30F3\u30C8\u8868\u30FB";
  for (const std::string& text : texts) {
    const std::optional<logsetup::PropertyMap> read = logsetup::ReadCodePage932Properties(text);
    ASSERT_TRUE(read.has_value());
    const bool hasLines = text.compare(0, 2, "k0") == 0;
    const bool hasRun = text.find("run=") != std::string::npos;
    const bool hasLast = text.find("last=") != std::string::npos;
    EXPECT_EQ(read->size(), (hasLines ? 5000u : 0u) + hasRun + hasLast);
    if (hasLines) {
      for (int i = 0; i < 5000; ++i) {
        std::u16string key = u"k";
        for (const char digit : std::to_string(i)) key += static_cast<char16_t>(digit);
        ASSERT_EQ(read->at(key), line) << i;
      }
    }
    if (hasRun) {
      EXPECT_EQ(read->at(u"run"), std::u16string(50000, u'\u8868'));
    }
    if (hasLast) {
      EXPECT_EQ(read->at(u"last"), u"1");
    }
  }
}

TEST(PropertyTextTest, EmptyTextHasNoProperties) {
  const std::optional<logsetup::PropertyMap> read = logsetup::ReadCodePage932Properties("");
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->empty());
}

}  // namespace
