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

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "platform/seam.h"
#include "platform/types.h"

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

// COM result codes beyond the common ones in types.h.
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);
constexpr HRESULT CO_E_OBJNOTREG = static_cast<HRESULT>(0x800401FBu);
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);

// Creation contexts.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_ALL =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Apartment kinds for CoInitializeEx.
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// Class object registration flags.
constexpr DWORD REGCLS_SINGLEUSE = 0;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;
};

// What a component file exports: gives the class object of `clsid` as interface `iid`.
using LPFNGETCLASSOBJECT = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);

// Makes the calling thread a single-threaded apartment: S_OK the first time, S_FALSE when the
// thread already is one (each success needs its CoUninitialize), RPC_E_CHANGED_MODE when the
// thread is a multithreaded apartment. `reserved` must be null (E_INVALIDARG otherwise).
HRESULT CoInitialize(LPVOID reserved);
// As CoInitialize, with the apartment kind given by `coInit` (COINIT_APARTMENTTHREADED or
// COINIT_MULTITHREADED).
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// Balances one successful CoInitialize(Ex). The last one revokes the thread's registered class
// objects and frees the component files once no thread of the process is initialised. Without
// a matching initialisation it does nothing.
void CoUninitialize();

// Creates an object of class `clsid` and returns its interface `iid` in *object (null on
// failure). Class objects registered with CoRegisterClassObject come first, then the manifest.
// Failures: CO_E_NOTINITIALIZED (thread not initialised), REGDB_E_CLASSNOTREG (class not
// registered, or no in-process context asked for), CO_E_DLLNOTFOUND (the listed file is not in
// the executable's folder), CO_E_ERRORINDLL (the file cannot be loaded or has no
// DllGetClassObject), E_INVALIDARG (null `object`), and whatever DllGetClassObject or the
// factory returns (E_NOINTERFACE, CLASS_E_NOAGGREGATION, ...).
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         LPVOID* object);

// Registers `classObject` (AddRef'd) as the class object of `clsid` for the calling thread's
// apartment until CoRevokeClassObject(*cookie) or the thread's last CoUninitialize.
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags,
                              DWORD* cookie);
// Revokes a registration and releases its class object; CO_E_OBJNOTREG for an unknown cookie.
HRESULT CoRevokeClassObject(DWORD cookie);

// OLE automation strings: UTF-16 code units after a 32-bit byte-length prefix, zero-terminated.
using BSTR = OLECHAR*;

// Allocates a string of `length` code units, copied from `text` when it is not null, else
// zero-filled, followed by a terminator. Null when memory is exhausted.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Frees a string from SysAllocStringLen; null is allowed.
void SysFreeString(BSTR text);
// The length in code units (terminator not counted); 0 for null.
UINT SysStringLen(BSTR text);

namespace platform {

namespace seams {
// SysAllocStringLen's allocation, replaceable by tests because memory cannot be exhausted on
// demand.
extern Seam<BSTR(const OLECHAR*, UINT)> SysAllocStringLen;
}  // namespace seams

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

// Parses "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (hex digits of either case).
bool GuidFromString(std::string_view text, GUID& guid);

// What an application manifest makes creatable: each listed file with its COM classes and the
// number of its type libraries, in manifest order.
struct ManifestFile {
  std::string name;
  std::vector<CLSID> classes;
  int typeLibraries = 0;
};
// Reads the files of an application manifest (UTF-8 XML). False when the XML is not
// well-formed or its root is not an assembly of urn:schemas-microsoft-com:asm.v1.
bool ReadManifestFiles(std::string_view xml, std::vector<ManifestFile>& files);

// An assembly that an application manifest depends on
// (<dependency><dependentAssembly><assemblyIdentity .../>); absent attributes are empty.
struct AssemblyIdentity {
  std::string type;
  std::string name;
  std::string version;
  std::string processorArchitecture;
  std::string publicKeyToken;
  std::string language;
};

// What activation needs of the manifest for one class: the dependencies declared before the
// class and the file that declares it first (empty when no file does).
struct ManifestClass {
  std::vector<AssemblyIdentity> dependencies;
  std::string fileName;
  bool listed = false;
};

// Reads an application manifest only as far as the first declaration of `clsid`, so a start
// does not pay for the classes of every other file. False when the text read is not
// well-formed or the root is not an assembly of urn:schemas-microsoft-com:asm.v1, as with
// ReadManifestFiles; faults after the declaration are not seen (the embedded manifest is
// checked whole by the build's tests, so only a damaged executable can have them). A class
// that no file lists reads the whole manifest and gives true with `listed` false.
bool FindManifestClass(std::string_view xml, const CLSID& clsid, ManifestClass& found);

// Puts another manifest and component folder in force for CoCreateInstance on the calling
// thread while the object lives, as an activated activation context does on Windows. Used by
// tests; the program always uses its embedded manifest and its own folder.
class ScopedActivationContext {
 public:
  ScopedActivationContext(std::string manifest, std::string folder);
  ~ScopedActivationContext();
  ScopedActivationContext(const ScopedActivationContext&) = delete;
  ScopedActivationContext& operator=(const ScopedActivationContext&) = delete;

 private:
  const ScopedActivationContext* previous_;
  std::string manifest_;
  std::string folder_;
  friend struct ActivationAccess;
};

}  // namespace platform
