// The real dialog, on a private Xvfb display: found, photographed and closed with a key press.
// The screenshot is kept in the build folder (launcher/artifacts/error-dialog.png).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testsupport/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(DialogTest, MissingComponentShowsTheErrorDialogUntilClosed) {
  if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  testsupport::TempDir dir;
  fs::copy_file(LINKSTART_PROGRAM, dir.Path("linkstart"));
  const fs::path artifacts = LINKSTART_ARTIFACT_DIR;
  fs::remove(artifacts / "error-dialog.png");
  const std::string command =
      testsupport::ShellQuote(std::string(LINKSTART_TEST_SCRIPTS) + "/dialog-under-xvfb.sh") + " " +
      testsupport::ShellQuote(dir.Path("linkstart")) + " " +
      testsupport::ShellQuote(artifacts.string()) + " >" +
      testsupport::ShellQuote(dir.Path("report.txt"));
  ASSERT_EQ(std::system(command.c_str()), 0)
      << testsupport::ReadFile(dir.Path("report.txt")).value_or("");
  EXPECT_EQ(testsupport::ReadFile(dir.Path("report.txt")).value_or(""), "status=255\n");
  EXPECT_TRUE(fs::exists(artifacts / "error-dialog.png"));
  EXPECT_EQ(testsupport::ReadFile((artifacts / "dialog-stderr.txt").string()).value_or(""),
            "AppRunオブジェクトの作成に失敗しました。\n処理を継続することができません。\n");
}

}  // namespace
