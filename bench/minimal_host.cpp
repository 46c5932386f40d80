// The least a host can do to run the component under a logging configuration: configure
// log4cxx from a given file and activate AppRun straight from its file, with no folder work, no
// configuration writing and no manifest. The peer of the real program in startup_bench.
//
//   minimal_host <configuration file> <component file>
#include <log4cxx/file.h>
#include <log4cxx/propertyconfigurator.h>

#include <clocale>

#include "apprun/iapprun.h"
#include "platform/com.h"
#include "platform/module.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  // As the program's entry does: paths reach log4cxx through a UTF-8 character type.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  log4cxx::PropertyConfigurator::configure(log4cxx::File(argv[1]));

  HMODULE component = LoadLibraryA(argv[2]);
  if (component == nullptr) return 3;
  const auto getClassObject =
      reinterpret_cast<LPFNGETCLASSOBJECT>(GetProcAddress(component, "DllGetClassObject"));
  IClassFactory* factory = nullptr;
  if (getClassObject == nullptr ||
      FAILED(getClassObject(CLSID_AppRun, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
    return 4;
  }
  IAppRun* app = nullptr;
  const HRESULT created =
      factory->CreateInstance(nullptr, IID_IAppRun, reinterpret_cast<void**>(&app));
  factory->Release();
  if (FAILED(created)) return 5;
  const char16_t kCommandLine[] = u"minimal_host";
  BSTR commandLine = SysAllocStringLen(kCommandLine, sizeof kCommandLine / 2 - 1);
  const int result = app->Run(commandLine, 10);
  SysFreeString(commandLine);
  app->Release();
  return result;
}
