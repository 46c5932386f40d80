// A stand-in for the suite's user-interface library: its AppRun object reports what it was
// given and returns an exit code, so the program can be run and tested end to end.
//
// Run prints the command line (as UTF-8) and the show command on standard output and returns
// 0, or N when its own command line holds "--exit N". The program itself interprets no option.
// It also logs one Info and one Debug line through log4cxx, the library instance the program
// configured at start-up, so a run shows which configuration the object ran under.
//
// No exception crosses the COM boundary: the caller is not C++ code that could catch it. A log
// call that throws (log4cxx 1.0.0 throws IOException when its file cannot be written, as on a
// full disk) loses that line and Run goes on; anything else that throws ends the method with a
// failure result. The real component must behave the same way.
#include <log4cxx/logger.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "apprun/iapprun.h"
#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/testing/command_line.h"

namespace {

// What Run returns when it cannot finish: the program's own failure code.
constexpr LONG kRunFailed = -1;

class AppRun final : public IAppRun {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IAppRun) {
      *object = static_cast<IAppRun*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  LONG STDMETHODCALLTYPE Run(BSTR commandLine, INT showCommand) noexcept override {
    try {
      const platform::WideStringView line =
          commandLine != nullptr ? commandLine : PLATFORM_WIDE("");
      std::printf("AppRun command line: %s\n", platform::Utf8FromWide(line).c_str());
      std::printf("AppRun show command: %d\n", showCommand);
      std::fflush(stdout);
      // One line per level, so a run shows which logging configuration the object ran under. A
      // line that cannot be written is lost; Run goes on.
      const log4cxx::LoggerPtr logger = log4cxx::Logger::getLogger("AppRun");
      try {
        LOG4CXX_INFO(logger, "AppRun started");
      } catch (...) {
      }
      try {
        LOG4CXX_DEBUG(logger, "AppRun show command " << showCommand);
      } catch (...) {
      }
      return ExitCodeOf(platform::SplitCommandLine(line));
    } catch (...) {
      return kRunFailed;
    }
  }

 private:
  // N when the arguments after the program hold "--exit N", else 0.
  static LONG ExitCodeOf(const std::vector<platform::WideString>& arguments) {
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
      if (arguments[i] == PLATFORM_WIDE("--exit")) {
        const std::string value = platform::Utf8FromWide(arguments[i + 1]);
        return static_cast<LONG>(std::strtol(value.c_str(), nullptr, 10));
      }
    }
    return 0;
  }

  ULONG references_ = 1;
};

// The class object lives as long as the library; its count only guards against misuse.
class AppRunFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* app = new (std::nothrow) AppRun;
    if (app == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = app->QueryInterface(iid, object);
    app->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

AppRunFactory factory;

}  // namespace

PLATFORM_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                                      void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_AppRun) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, object);
}
