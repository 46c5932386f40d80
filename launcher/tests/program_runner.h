// Runs a copy of the built program in a folder of its own and collects what it leaves: exit
// status, standard output and standard error. DISPLAY is unset, so no dialog ever blocks.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "testsupport/temp_dir.h"

namespace launcher_test {

using testsupport::ShellQuote;

struct Outcome {
  int status = -1;  // the exit status as the shell sees it (0-255; 128 + n for signal n)
  std::string out;
  std::string err;
};

// Starts `command` (the program as it is to be started: a path, or a bare name found through
// `path`) with `arguments` in `folder`; results are kept in `scratch`.
inline Outcome RunProgram(const std::string& command, const std::vector<std::string>& arguments,
                          const std::filesystem::path& folder, const std::filesystem::path& scratch,
                          const std::string& path = "") {
  std::string line = "cd " + ShellQuote(folder.string()) + " && env -u DISPLAY -u WAYLAND_DISPLAY";
  if (!path.empty()) line += " PATH=" + ShellQuote(path);
  line += " " + ShellQuote(command);
  for (const std::string& argument : arguments) line += " " + ShellQuote(argument);
  const auto out = scratch / "stdout.txt";
  const auto err = scratch / "stderr.txt";
  const auto status = scratch / "status.txt";
  line += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) + "; echo $? >" +
          ShellQuote(status.string());
  Outcome outcome;
  if (std::system(line.c_str()) != 0) return outcome;
  outcome.status = std::stoi(testsupport::ReadFile(status).value_or("-1"));
  outcome.out = testsupport::ReadFile(out).value_or("");
  outcome.err = testsupport::ReadFile(err).value_or("");
  return outcome;
}

}  // namespace launcher_test
