// WinMain, RunApplication and the command line's conversion to a BSTR.
#include "launcher/startup.h"

#include <clocale>

#include "apprun/iapprun.h"
#include "launcher/error_message.h"
#include "logsetup/log_configuration.h"
#include "platform/codepage.h"
#include "platform/path.h"
#include "platform/process.h"

namespace launcher {

BSTR CommandLineToBstr(const std::string& commandLine) {
  const int units = MultiByteToWideChar(CP_THREAD_ACP, 0, commandLine.c_str(), -1, nullptr, 0);
  // The length leaves the terminator out; SysAllocStringLen adds one of its own.
  BSTR text = units > 0 ? SysAllocStringLen(nullptr, static_cast<UINT>(units - 1)) : nullptr;
  if (text == nullptr) platform::RaiseComError(E_OUTOFMEMORY);
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, commandLine.c_str(), -1, text, units) != units) {
    SysFreeString(text);
    platform::RaiseComError(E_OUTOFMEMORY);
  }
  return text;
}

int Main(int argc, char** argv) {
  // The text of this process is code page 932 inside and UTF-8 at its edges; the C library's
  // multibyte functions (and the logging library's path decoding) need a UTF-8 locale.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  platform::IgnoreFileSizeSignal();
  platform::SetProcessArguments(argc, argv);
  return WinMain(platform::ProgramModule(), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}

}  // namespace launcher

int RunApplication(const std::string& commandLine, int showCommand) {
  int result = -1;
  IAppRun* app = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun,
                                      reinterpret_cast<void**>(&app));
  if (FAILED(hr)) {
    // The failure code is neither shown nor logged: the user can do nothing with it.
    ShowErrorMessage(IDS_APPRUN_CREATE_FAILED);
  } else {
    BSTR text = launcher::CommandLineToBstr(commandLine);
    result = app->Run(text, showCommand);
    SysFreeString(text);
  }
  if (app != nullptr) app->Release();
  return result;
}

void InitProgramLog() {
  char path[MAX_PATH] = {};
  char drive[_MAX_DRIVE] = {};
  char folder[_MAX_DIR] = {};
  char name[_MAX_FNAME] = {};
  char extension[_MAX_EXT] = {};
  if (GetModuleFileNameA(nullptr, path, MAX_PATH) != 0) {
    _splitpath(path, drive, folder, name, extension);
  }
  SetUpLogging(name, 1, 0, 0, 0);
}

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  // Logging first, so that it is in force even when COM cannot be initialised.
  InitProgramLog();

  // The command line is taken whole, as the process received it, never parsed.
  const std::string commandLine = GetCommandLineA();

  // A single-threaded apartment for AppRun. S_FALSE (already initialised) is success too and
  // is balanced by the CoUninitialize below like S_OK.
  if (FAILED(CoInitialize(nullptr))) return 1;
  const int result = RunApplication(commandLine, showCommand);
  CoUninitialize();
  return result;
}
