// The program's start-up: COM initialisation, activation of the application object AppRun and
// the hand-over of the whole command line to it.
//
// WinMain runs once on the process's only thread and returns the process's exit code:
//   1   COM cannot be initialised on the thread (nothing shown),
//   -1  AppRun cannot be created (the error box with message 10010 was shown),
//   otherwise what AppRun's Run returned, unchanged.
#pragma once

#include <string>

#include "platform/com.h"
#include "platform/types.h"

// The show command the runtime hands to WinMain when the starter gave none.
constexpr int SW_SHOWDEFAULT = 10;

// The message shown when AppRun cannot be created.
constexpr UINT IDS_APPRUN_CREATE_FAILED = 10010;

// Sets up the process's logging (SetUpLogging) for this program: its name is the program
// file's name without folder and extension (empty when the path cannot be read), its version
// parts 1, 0, 0, 0. Runs first in start-up, before COM is initialised; whatever it achieves,
// start-up goes on.
void InitProgramLog();

// The Windows entry point. Only `showCommand` is used; the command line is taken whole from
// GetCommandLineA.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

// Creates AppRun and calls its Run with `commandLine` (code page 932) and `showCommand`.
// Returns -1 when AppRun cannot be created (after the error box), else Run's result. Requires
// COM to be initialised on the calling thread. Raises platform::ComError(E_OUTOFMEMORY) when
// the command line cannot be made into a BSTR; Run is not called then.
int RunApplication(const std::string& commandLine, int showCommand);

namespace launcher {

// The command line as a BSTR of as many UTF-16 code units as it converts to (terminator not
// counted), converted with the thread's ANSI code page. The caller frees it with
// SysFreeString. Raises platform::ComError(E_OUTOFMEMORY) when it cannot be made.
BSTR CommandLineToBstr(const std::string& commandLine);

// The entry of the POSIX program: sets the locale, ignores SIGXFSZ, hands the arguments to the
// platform and runs WinMain with SW_SHOWDEFAULT.
int Main(int argc, char** argv);

}  // namespace launcher
