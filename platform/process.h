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

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/process.h"
#endif

#include "platform/types.h"

namespace platform {

// The handle that stands for the program's own executable file (the hInstance of WinMain).
HMODULE ProgramModule();

}  // namespace platform
