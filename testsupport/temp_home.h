// A test fixture with a home folder of its own: while each test runs, HOME points to a fresh
// temporary folder and XDG_CONFIG_HOME is unset; both are restored and the folder removed after.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "testsupport/temp_dir.h"

namespace testsupport {

class TempHomeTest : public testing::Test {
 protected:
  // Writes user-dirs.dirs with `content` into `configFolder` ($HOME/.config when empty).
  void WriteUserDirs(const std::string& content, std::string configFolder = "") {
    if (configFolder.empty()) configFolder = home_ + "/.config";
    std::filesystem::create_directories(configFolder);
    std::ofstream(configFolder + "/user-dirs.dirs") << content;
  }

  TempDir dir_;
  const std::string home_ = dir_.Path();

 private:
  ScopedEnvironmentVariable homeVariable_{"HOME", home_};
  ScopedEnvironmentVariable configHomeVariable_{"XDG_CONFIG_HOME", std::nullopt};
};

}  // namespace testsupport
