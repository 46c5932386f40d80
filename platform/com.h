// The COM subset the program uses: apartments, registration-free activation, class objects
// registered in the process, and OLE automation strings.
//
// Interfaces are plain abstract classes whose virtual functions are in COM slot order, with no
// virtual destructor (an object is destroyed by its own Release). Results are HRESULTs judged
// by their sign.
//
// Activation: CoCreateInstance finds the class in the application manifest embedded in the
// executable (resource type 24, identifier 1). A class is created only from the file the
// manifest lists for it, loaded by absolute path from the executable's folder (never from the
// current folder, never by a bare name); the file's exported DllGetClassObject gives the class
// factory and IClassFactory::CreateInstance the object:
//
//   CoInitialize(nullptr);
//   IAppRun* app = nullptr;
//   if (SUCCEEDED(CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun,
//                                  reinterpret_cast<void**>(&app)))) { ...; app->Release(); }
//   CoUninitialize();
#pragma once

#include <exception>

#ifdef _WIN32
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#else
#include "platform/posix/api/com.h"
#endif

#include "platform/types.h"

// Marks a component file's exported entry (DllGetClassObject): unmangled, and visible outside
// the file. On Windows the build also exports it undecorated (no "@12" suffix).
#ifdef _WIN32
#define PLATFORM_COMPONENT_EXPORT extern "C" __declspec(dllexport)
#else
#define PLATFORM_COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace platform {

// The error raised (and not handled) when a COM call fails where no result can be returned,
// such as the out-of-memory condition while building a BSTR.
class ComError : public std::exception {
 public:
  explicit ComError(HRESULT hr);
  HRESULT Error() const { return hr_; }
  const char* what() const noexcept override { return message_; }

 private:
  HRESULT hr_;
  char message_[48];
};

[[noreturn]] void RaiseComError(HRESULT hr);

}  // namespace platform
