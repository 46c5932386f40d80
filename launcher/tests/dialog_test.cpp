// The real dialog, on a private Xvfb display: found, photographed and closed with a key press.
// The screenshot is kept in the build folder (launcher/artifacts/error-dialog.png).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "launcher/tests/program_runner.h"
#include "platform/tests/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(DialogTest, MissingComponentShowsTheErrorDialogUntilClosed) {
  if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  platform_test::TempDir dir;
  fs::copy_file(LINKSTART_PROGRAM, dir.path() / "linkstart");
  const fs::path artifacts = LINKSTART_ARTIFACT_DIR;
  fs::remove(artifacts / "error-dialog.png");
  const std::string command =
      launcher_test::ShellQuote(std::string(LINKSTART_TEST_SCRIPTS) + "/dialog-under-xvfb.sh") +
      " " + launcher_test::ShellQuote((dir.path() / "linkstart").string()) + " " +
      launcher_test::ShellQuote(artifacts.string()) + " >" +
      launcher_test::ShellQuote((dir.path() / "report.txt").string());
  ASSERT_EQ(std::system(command.c_str()), 0) << launcher_test::ReadFile(dir.path() / "report.txt");
  EXPECT_EQ(launcher_test::ReadFile(dir.path() / "report.txt"), "status=255\n");
  EXPECT_TRUE(fs::exists(artifacts / "error-dialog.png"));
  EXPECT_EQ(launcher_test::ReadFile(artifacts / "dialog-stderr.txt"),
            "AppRunオブジェクトの作成に失敗しました。\n処理を継続することができません。\n");
}

}  // namespace
