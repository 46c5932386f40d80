// The process's own file name and command line, as GetModuleFileNameA and GetCommandLineA give
// them on Windows.
//
// On POSIX the entry point hands its arguments to SetProcessArguments before anything else;
// GetCommandLineA then rebuilds the one command-line string that Windows would have passed, in
// code page 932, quoted so that CommandLineToArgvW would split it back into the same arguments.
//
//   int main(int argc, char** argv) {
//     platform::SetProcessArguments(argc, argv);
//     ...  GetCommandLineA()  ->  "/opt/app/linkstart \"two words\" 表"  (code page 932)
//   }
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

// Writes the full path of the program's executable file (code page 932) into `fileName` and
// returns its length without the terminator. `module` must be null or platform::ProgramModule();
// any other handle fails with ERROR_MOD_NOT_FOUND. When `size` bytes cannot hold path and
// terminator, the path is truncated to size - 1 bytes plus a terminator, the result is `size`
// and the last error is ERROR_INSUFFICIENT_BUFFER (as on Windows since XP). Returns 0 with the
// last error set when the path cannot be read.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// The process's command line in code page 932: the program path as it was started, then every
// argument, quoted where needed. The text stays valid for the life of the process.
LPSTR GetCommandLineA();

namespace platform {

// The handle that stands for the program's own executable file (the hInstance of WinMain).
HMODULE ProgramModule();

// Records the arguments the process was started with (UTF-8, as the POSIX entry gets them);
// call it before the first GetCommandLineA, which builds its text once. Without this call
// GetCommandLineA reads the arguments from /proc/self/cmdline.
void SetProcessArguments(int argc, const char* const* argv);

// Makes a write past the process's file-size limit (ulimit -f) fail like any other write
// instead of ending the process with SIGXFSZ: a Windows process has no such signal, and
// nothing that start-up writes may stop it. The POSIX entry calls it first.
void IgnoreFileSizeSignal();

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
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

}  // namespace platform
