// The POSIX program's entry: what the Windows C runtime does before it calls WinMain.
//
// Linked into the program only (target platform_entry); WinMain itself is the program's. The
// show command is SW_SHOWDEFAULT, as when the starter of a Windows process gave none.
#include <clocale>
#include <csignal>

#include "platform/process.h"
#include "platform/testing/command_line.h"
#include "platform/ui.h"

int main(int argc, char** argv) {
  // The text of this process is code page 932 inside and UTF-8 at its edges; the C library's
  // multibyte functions (and the logging library's path decoding) need a UTF-8 locale.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  // A write past the process's file-size limit (ulimit -f) fails like any other write instead
  // of ending the process: a Windows process has no such signal, and nothing that start-up
  // writes may stop it.
  std::signal(SIGXFSZ, SIG_IGN);
  platform::SetProcessArguments(argc, argv);
  return WinMain(platform::ProgramModule(), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
