#include "testsupport/temp_dir.h"

#include <stdlib.h>
#include <time.h>
#ifdef _WIN32
#include <process.h>
#endif

#include <stdexcept>
#include <system_error>

namespace testsupport {

namespace fs = std::filesystem;

#ifdef _WIN32
namespace {
// The Windows C runtime's names for setenv and unsetenv.
int setenv(const char* name, const char* value, int) { return ::_putenv_s(name, value); }
int unsetenv(const char* name) { return ::_putenv_s(name, ""); }
}  // namespace
#endif

#ifdef _WIN32
// The Windows C runtime has no mkdtemp: a new name under the temporary folder, created with
// create_directory, which fails when the name exists, until one is free.
TempDir::TempDir() {
  const fs::path base = fs::temp_directory_path();
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const fs::path candidate =
        base / ("linkstart-test-" + std::to_string(::_getpid()) + "-" + std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      // Forward slashes: the paths are built on with "/" by the tests, which Windows reads too.
      path_ = candidate.generic_string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}
#else
TempDir::TempDir() {
  char pattern[] = "/tmp/linkstart-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}
#endif

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
    setenv(name_.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  if (saved_) {
    setenv(name_.c_str(), saved_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

namespace {
void ResetTimeZone() {
#ifdef _WIN32
  ::_tzset();
#else
  ::tzset();
#endif
}
}  // namespace

ScopedTimeZone::ScopedTimeZone(const std::string& zone) {
  variable_.emplace("TZ", zone);
  ResetTimeZone();
}

ScopedTimeZone::~ScopedTimeZone() {
  variable_.reset();
  ResetTimeZone();
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
