// Linked into every test program: the whole run sees a home folder of its own and no display.
//
// The program's start-up writes its log configuration under the Documents folder of $HOME, and
// its error box opens a dialog when a display is set. A test that starts the program, in the
// process or as a child, must neither write into the real home folder nor wait for somebody to
// close a dialog; so before any test runs, HOME points to a fresh temporary folder (removed at
// the end) and DISPLAY, WAYLAND_DISPLAY and XDG_CONFIG_HOME are removed. Tests that need their
// own settings make them on top of this.
#include <gtest/gtest.h>

#include <memory>

#include "testsupport/temp_dir.h"

namespace testsupport {
namespace {

class IsolatedSession : public testing::Environment {
 public:
  void SetUp() override {
    home_ = std::make_unique<TempDir>();
    variables_.emplace_back(std::make_unique<ScopedEnvironmentVariable>("HOME", home_->Path()));
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME"}) {
      variables_.emplace_back(std::make_unique<ScopedEnvironmentVariable>(name, std::nullopt));
    }
  }
  void TearDown() override {
    variables_.clear();
    home_.reset();
  }

 private:
  std::unique_ptr<TempDir> home_;
  std::vector<std::unique_ptr<ScopedEnvironmentVariable>> variables_;
};

// Registered before main; GoogleTest owns and deletes the environment.
testing::Environment* const registered = testing::AddGlobalTestEnvironment(new IsolatedSession);

}  // namespace
}  // namespace testsupport
