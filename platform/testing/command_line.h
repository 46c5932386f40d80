// Test support: the arguments behind GetCommandLineA and the Windows command-line quoting in
// both directions. The POSIX entry records its arguments here; tests, fuzzers and the stand-in
// component use the quoting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace platform {

// Records the arguments the process was started with (UTF-8, as the POSIX entry gets them);
// call it before the first GetCommandLineA, which builds its text once. Without this call
// GetCommandLineA reads the arguments from /proc/self/cmdline.
void SetProcessArguments(int argc, const char* const* argv);

// Joins arguments (UTF-8) into one Windows command line (UTF-8); GetCommandLineA converts the
// result to code page 932 afterwards, so that the second byte of a double-byte character, which
// may be 0x5C, is never taken for a backslash. The first is the program path: it is quoted
// when it holds a space or tab, or is empty, and never escaped (CommandLineToArgvW takes it
// verbatim up to the closing quote). Every other argument follows the runtime's rules: quoted
// when it holds a space, tab or quote or is empty; a quote is written as \" and backslashes
// before a quote or before the closing quote are doubled.
std::string BuildCommandLine(const std::vector<std::string>& arguments);

// Splits a command line as CommandLineToArgvW does (program name first, with its own rule;
// the rest with the runtime's backslash and quote rules, "" inside quotes giving one quote).
std::vector<WideString> SplitCommandLine(WideStringView commandLine);

}  // namespace platform
