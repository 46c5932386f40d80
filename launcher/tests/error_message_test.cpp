// The error box over crafted string tables: the walk through a block's counted entries, and the
// text that reaches the box.
#include "launcher/error_message.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"
#include "platform/resource.h"
#include "platform/testing/resources.h"
#include "platform/tests/res_builder.h"
#include "testsupport/temp_dir.h"

namespace {

using platform_test::Bytes;
using platform_test::PutWord;
using platform_test::ResBuilder;
using platform_test::StringBlock;

const std::string kClosing = "\n処理を継続することができません。";
const std::string kDefault = "致命的なエラーが発生しました。";

class ErrorMessageTest : public testing::Test {
 protected:
  void SetUp() override {
    // Block 2 (messages 16-31) ends inside entry 17, whose count says 100 units. It is the
    // last resource of the file, so a read past it would leave the file's bytes.
    Bytes cut;
    PutWord(cut, 1);
    PutWord(cut, u'a');
    PutWord(cut, 100);
    PutWord(cut, u'b');
    PutWord(cut, u'c');
    Bytes odd = {1, 0, 'x'};  // block 4: a count and half a code unit
    ResBuilder()
        .Add(6, 1, 0x0411, StringBlock({{0, u"最初"}, {7, u"表示\\"}, {15, u"最後"}}))
        .Add(6, 5, 0x0409, StringBlock({{0, u"English"}}))
        .Add(6, 5, 0x0411, StringBlock({{0, u"日本語"}}))
        .Add(6, 4, 0x0411, odd)
        .Add(6, 2, 0x0411, cut)
        .Write(dir_.Path("strings.res"));
    file_ = platform::OpenResourceFile(dir_.Path("strings.res"));
    ASSERT_NE(file_, nullptr);
  }

  testsupport::TempDir dir_;
  std::unique_ptr<platform::ResourceFile> file_;
};

TEST_F(ErrorMessageTest, ShowsTheEntryOrTheDefaultTextAlwaysWithTheClosingLine) {
  struct Case {
    UINT id;
    std::string shown;  // UTF-8; "" for the default text
  };
  const Case cases[] = {
      {0, "最初"},               // first entry of a block, no skip
      {15, "最後"},              // last entry, after fifteen skips
      {7, "表示\\"},  {5, ""},   // empty entry
      {16, "a"},      {17, ""},  // count runs past the end of its block
      {18, ""},                  // entry index past the end of its block
      {31, ""},       {32, ""},  // no block 3
      {48, ""},                  // block 4 ends inside the entry's first code unit
      {64, "日本語"},            // the Japanese variant of block 5
      {0xFFFFFu, ""},            // block name wraps to 0
  };
  platform::ScopedResourceModules modules(file_->Module());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    testing::internal::CaptureStderr();
    ShowErrorMessage(c.id);
    const std::string expected = (c.shown.empty() ? kDefault : c.shown) + kClosing + "\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);

    std::string text = "unchanged";
    const bool found = LoadStringText(text, file_->Module(), c.id);
    EXPECT_EQ(found, !c.shown.empty());
    EXPECT_EQ(text, c.shown.empty() ? "unchanged" : platform::AnsiFromUtf8(c.shown));
    EXPECT_EQ(FindStringModule(c.id), c.shown.empty() ? nullptr : file_->Module());
  }
}

TEST_F(ErrorMessageTest, FindStringEntryPointsAtTheCountedEntry) {
  HMODULE module = file_->Module();
  HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(1), 0);
  ASSERT_NE(block, nullptr);
  const WCHAR* entry = FindStringEntry(module, block, 15);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(std::u16string(entry + 1, entry[0]), u"最後");
  EXPECT_EQ(FindStringEntry(module, nullptr, 15), nullptr);
  HRSRC cut = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(2), 0);
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(FindStringEntry(module, cut, 17), nullptr);
}

// The program's own table, as linked into this test program.
TEST(ProgramErrorMessageTest, MessageTenThousandTen) {
  testing::internal::CaptureStderr();
  ShowErrorMessage(10010);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "AppRunオブジェクトの作成に失敗しました。" + kClosing + "\n");
  EXPECT_EQ(launcher::kDefaultErrorText, platform::AnsiFromUtf8(kDefault));
  EXPECT_EQ(launcher::kClosingLine, platform::AnsiFromUtf8(kClosing));
  testing::internal::CaptureStderr();
  ShowErrorMessage(10011);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), kDefault + kClosing + "\n");
}

}  // namespace
