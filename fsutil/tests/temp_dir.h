// A fresh folder under the system's temporary folder for one test, removed with everything in
// it afterwards. The tests never touch the user's own folders.
#pragma once

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace fsutil_test {

class TempDir {
 public:
  TempDir() {
    std::random_device random;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate =
          std::filesystem::temp_directory_path() /
          ("linkstart-fsutil-" + std::to_string(stamp % 1000000) + "-" +
           std::to_string(random() % 1000000));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder (ASCII: the same text in code page 932 and UTF-8), or a path below it.
  std::string Path(const std::string& below = "") const {
    return below.empty() ? path_ : path_ + "/" + below;
  }

 private:
  std::string path_;
};

// Changes the current folder for one scope.
class ScopedCurrentPath {
 public:
  explicit ScopedCurrentPath(const std::string& path) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~ScopedCurrentPath() {
    std::error_code ignored;
    std::filesystem::current_path(saved_, ignored);
  }
  ScopedCurrentPath(const ScopedCurrentPath&) = delete;
  ScopedCurrentPath& operator=(const ScopedCurrentPath&) = delete;

 private:
  std::filesystem::path saved_;
};

// 表 in code page 932 (its second byte equals "\") and in UTF-8, as the file system stores it.
inline const std::string kHyo = "\x95\x5C";
inline const std::string kHyoUtf8 = "\xE8\xA1\xA8";

}  // namespace fsutil_test
