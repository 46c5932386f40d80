// A temporary home folder for tests: HOME points to it and XDG_CONFIG_HOME is unset while the
// fixture lives; both are restored and the folder removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace logsetup_test {

class TempHome : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/linkstart-logsetup-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    home_ = pattern;
    Save("HOME", savedHome_);
    Save("XDG_CONFIG_HOME", savedConfigHome_);
    setenv("HOME", home_.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
  }
  void TearDown() override {
    Restore("HOME", savedHome_);
    Restore("XDG_CONFIG_HOME", savedConfigHome_);
    std::filesystem::remove_all(home_);
  }

  // Writes $HOME/.config/user-dirs.dirs.
  void WriteUserDirs(const std::string& content) {
    std::filesystem::create_directories(home_ + "/.config");
    std::ofstream(home_ + "/.config/user-dirs.dirs") << content;
  }

  std::string home_;

 private:
  static void Save(const char* name, std::optional<std::string>& saved) {
    if (const char* value = getenv(name)) saved = value;
  }
  static void Restore(const char* name, const std::optional<std::string>& saved) {
    if (saved) {
      setenv(name, saved->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::optional<std::string> savedHome_;
  std::optional<std::string> savedConfigHome_;
};

// The whole content of a file, or none when it cannot be read.
inline std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

}  // namespace logsetup_test
