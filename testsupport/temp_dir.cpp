#include "testsupport/temp_dir.h"

#include <stdlib.h>
#include <time.h>

#include <stdexcept>
#include <system_error>

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir() {
  char pattern[] = "/tmp/linkstart-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

ScopedCurrentPath::ScopedCurrentPath(const std::string& path) : saved_(fs::current_path()) {
  fs::current_path(path);
}

ScopedCurrentPath::~ScopedCurrentPath() {
  std::error_code ignored;
  fs::current_path(saved_, ignored);
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name,
                                                     const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* previous = ::getenv(name_.c_str())) saved_ = previous;
  if (value) {
    ::setenv(name_.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  if (saved_) {
    ::setenv(name_.c_str(), saved_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

ScopedTimeZone::ScopedTimeZone(const std::string& zone) {
  variable_.emplace("TZ", zone);
  ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  variable_.reset();
  ::tzset();
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace testsupport
