// The real program as a user meets it: copied with its component into a temporary folder under
// the name Sample (or another name), started by the shell with a temporary home folder, no
// display, no XDG or locale settings, and the date set by faketime.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "testsupport/temp_dir.h"

namespace logsetup_test {

struct Outcome {
  int exitCode;
  std::string out;
  std::string err;
};

class SampleProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    // Open to the unprivileged user of the read-only cases.
    fs::permissions(root_, fs::perms::all & ~(fs::perms::group_write | fs::perms::others_write));
    fs::create_directories(root_ + "/app");
    fs::create_directories(home_() + "/Documents");
    fs::copy_file(LINKSTART_PROGRAM, root_ + "/app/Sample");
    fs::copy_file(LINKSTART_COMPONENT,
                  root_ + "/app/" + fs::path(LINKSTART_COMPONENT).filename().string());
    fs::copy_file(LINKSTART_SHARED_ASSEMBLY, root_ + "/app/Korvo.Suite.Shared.manifest");
  }

  std::string home_() const { return root_ + "/home"; }
  std::string logFolder() const { return home_() + "/Documents/Korvo/SystemLog"; }
  // The log file that Sample's generated configuration names for the day `yyyymmdd`.
  std::string logFile(const std::string& yyyymmdd) const {
    return logFolder() + "/Sample/Sample.1.0.0Log_" + yyyymmdd + ".txt";
  }

  // The shell command that starts the copy `program` in app/ on `day` (YYYY-MM-DD) at 10:00 with
  // `arguments`. `limit` is a command that runs the program under a resource limit (after
  // faketime, which cannot itself start under some of them); `asUser` runs it as another user
  // (setpriv), who then owns the temporary folder.
  std::string StartCommand(const std::string& day, const std::string& arguments = "",
                           const std::string& limit = "", const std::string& asUser = "",
                           const std::string& program = "Sample") const {
    std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME -u LC_ALL -u LANG HOME='" + home_() +
        "' "
        // libfaketime is preloaded before the sanitizer runtime.
        "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" ";
    if (!asUser.empty()) {
      command += "setpriv --reuid=" + asUser + " --regid=" + asUser + " --clear-groups ";
    }
    return command + "faketime '" + day + " 10:00:00' " + limit + " './app/" + program + "' " +
           arguments;
  }

  // Runs a shell script in the temporary folder and collects its output and errors.
  Outcome Run(const std::string& script) const {
    const std::string command = "cd '" + root_ + "' && { " + script + "; } >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1000,
            testsupport::ReadFile(root_ + "/out.txt").value_or(""),
            testsupport::ReadFile(root_ + "/err.txt").value_or("")};
  }

  // Starts the program once with the arguments "first second".
  Outcome Start(const std::string& day, const std::string& asUser = "",
                const std::string& program = "Sample") const {
    return Run(StartCommand(day, "first second", "", asUser, program));
  }

  testsupport::TempDir dir_;
  const std::string root_ = dir_.Path();
};

}  // namespace logsetup_test
