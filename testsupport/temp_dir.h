// Scoped temporary folders and other scoped changes to the process for tests.
//
//   testsupport::TempDir dir;                       // a fresh, empty folder under /tmp
//   std::ofstream(dir.Path("a.txt")) << "x";        // a path below it
//   testsupport::ScopedCurrentPath cd(dir.Path());  // the current folder, for one scope
//
// Every test that touches the file system works inside such a folder and never in the user's
// own folders.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace testsupport {

// A fresh folder under /tmp (ASCII, so the same text in code page 932 and UTF-8), removed with
// everything in it when the object goes. Permissions a test took away are given back first, so
// that even a folder made unreadable is removed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder itself, or `below` under it.
  std::string Path(const std::string& below = "") const {
    return below.empty() ? path_ : path_ + "/" + below;
  }

 private:
  std::string path_;
};

// Makes `path` the current folder for one scope, and restores the previous one after.
class ScopedCurrentPath {
 public:
  explicit ScopedCurrentPath(const std::string& path);
  ~ScopedCurrentPath();
  ScopedCurrentPath(const ScopedCurrentPath&) = delete;
  ScopedCurrentPath& operator=(const ScopedCurrentPath&) = delete;

 private:
  std::filesystem::path saved_;
};

// Sets (or, with no value, removes) one environment variable for one scope.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

// Sets the time zone (TZ) for one scope and makes the C library read it, before and after.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<ScopedEnvironmentVariable> variable_;
};

// The whole content of a file, or none when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);

// `text` quoted for the POSIX shell.
std::string ShellQuote(const std::string& text);

// 表 in code page 932 (its second byte equals "\") and in UTF-8, as the file system stores it.
inline const std::string kHyo = "\x95\x5C";
inline const std::string kHyoUtf8 = "\xE8\xA1\xA8";

}  // namespace testsupport
