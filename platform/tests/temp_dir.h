// A scoped temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace platform_test {

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (;;) {
      path_ = std::filesystem::temp_directory_path() /
              ("linkstart-test-" + std::to_string(random() % 1000000000000ULL));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace platform_test
