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
//
// The POSIX backend's own declarations of these names; on Windows platform/process.h includes
// the system's headers instead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/api/types.h"

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

// The program's entry point, which the program defines and the POSIX entry (posix/entry.cpp)
// calls, as the Windows C runtime does.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);
