#include "platform/ui.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace {

TEST(MessageBoxATest, WithoutADisplayWritesTheTextAsUtf8AndReturns) {
  const std::string text = platform::AnsiFromUtf8("表示できません。\n二行目");
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(GetActiveWindow(), text.c_str(), nullptr, MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "表示できません。\n二行目\n");
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

}  // namespace
