// COM apartments, registration-free activation from the embedded application manifest, and
// OLE automation strings.
//
// Apartments are counted per thread. Component files are loaded with dlopen by absolute path
// from the executable's folder and stay loaded until no thread of the process is initialised
// any more, as Windows frees in-process servers when COM is uninitialised.
#include "platform/com.h"

#include <dlfcn.h>
#include <expat.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>

#include "platform/posix/executable_path.h"
#include "platform/process.h"
#include "platform/resource.h"
#include "platform/testing/activation.h"
#include "platform/testing/seams.h"

namespace platform {

struct ActivationAccess {
  static const std::string& Manifest(const ScopedActivationContext& c) { return c.manifest_; }
  static const std::string& Folder(const ScopedActivationContext& c) { return c.folder_; }
};

}  // namespace platform

namespace {

// A component file loaded with dlopen; closed with the object.
class Library {
 public:
  explicit Library(void* handle) : handle_(handle) {}
  ~Library() { dlclose(handle_); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  LPFNGETCLASSOBJECT GetClassObject() const {
    return reinterpret_cast<LPFNGETCLASSOBJECT>(dlsym(handle_, "DllGetClassObject"));
  }

 private:
  void* handle_;
};

struct Registration {
  DWORD cookie;
  CLSID clsid;
  IUnknown* object;
  DWORD context;
};

struct Apartment {
  int count = 0;
  DWORD kind = COINIT_APARTMENTTHREADED;
  std::vector<Registration> registrations;
};

thread_local Apartment apartment;
thread_local const platform::ScopedActivationContext* activeContext = nullptr;

std::mutex processMutex;
int initialisedThreads = 0;
DWORD nextCookie = 1;
std::map<std::string, std::unique_ptr<Library>> libraries;  // by absolute path

bool ProgramFolder(std::string& folder) {
  std::string buffer;
  if (!platform::ReadExecutablePath(buffer)) return false;
  const std::size_t slash = buffer.rfind('/');
  if (slash == std::string::npos) return false;
  folder = buffer.substr(0, slash == 0 ? 1 : slash);
  return true;
}

// The embedded manifest's bytes, which stay mapped for the life of the process.
std::string_view ProgramManifest() {
  HRSRC found = FindResourceExW(platform::ProgramModule(), RT_MANIFEST, MAKEINTRESOURCEW(1), 0);
  if (found == nullptr) return {};
  const void* data = LockResource(LoadResource(platform::ProgramModule(), found));
  const DWORD size = SizeofResource(platform::ProgramModule(), found);
  if (data == nullptr) return {};
  return std::string_view(static_cast<const char*>(data), size);
}

// A file name that names a file inside the folder itself, nothing else.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

// Loads the component file `name` from `folder` (or finds it loaded) and returns its
// DllGetClassObject.
HRESULT ClassObjectEntry(const std::string& folder, const std::string& name,
                         LPFNGETCLASSOBJECT& entry) {
  if (!IsPlainFileName(name) || folder.empty() || folder.front() != '/') return CO_E_DLLNOTFOUND;
  const std::string path = folder.back() == '/' ? folder + name : folder + '/' + name;
  std::lock_guard<std::mutex> lock(processMutex);
  auto it = libraries.find(path);
  if (it == libraries.end()) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return CO_E_DLLNOTFOUND;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return CO_E_ERRORINDLL;
    it = libraries.emplace(path, std::make_unique<Library>(handle)).first;
  }
  entry = it->second->GetClassObject();
  return entry != nullptr ? S_OK : CO_E_ERRORINDLL;
}

HRESULT CreateFromClassObject(IUnknown* classObject, IUnknown* outer, REFIID iid, void** object) {
  IClassFactory* factory = nullptr;
  HRESULT hr = classObject->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  if (factory == nullptr) return E_NOINTERFACE;
  hr = factory->CreateInstance(outer, iid, object);
  factory->Release();
  return hr;
}

bool IsAsmElement(const XML_Char* name, const char* local);
std::string AttributeText(const XML_Char** attributes, const char* name);

// The root assemblyIdentity of a manifest file, read by PrivateAssemblyFound.
struct IdentityReader {
  int depth = 0;
  bool rootOk = false;
  bool found = false;
  std::string name;
  std::string version;
};

void XMLCALL StartIdentity(void* userData, const XML_Char* name, const XML_Char** attributes) {
  auto& reader = *static_cast<IdentityReader*>(userData);
  ++reader.depth;
  if (reader.depth == 1) {
    reader.rootOk = IsAsmElement(name, "assembly");
  } else if (reader.depth == 2 && reader.rootOk && !reader.found &&
             IsAsmElement(name, "assemblyIdentity")) {
    reader.found = true;
    reader.name = AttributeText(attributes, "name");
    reader.version = AttributeText(attributes, "version");
  }
}

void XMLCALL EndIdentity(void* userData, const XML_Char*) {
  --static_cast<IdentityReader*>(userData)->depth;
}

bool SameAsciiText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Whether the assembly `dependency` lies beside the program as a private assembly, probed as
// Windows probes for one: <folder>/<name>.manifest, then <folder>/<name>/<name>.manifest, whose
// root identity must carry the same name (without regard to case) and version. Windows and Wine
// refuse the whole activation context when a dependency cannot be found, so no class of the
// manifest can be created then.
bool PrivateAssemblyFound(const platform::AssemblyIdentity& dependency, const std::string& folder) {
  if (!IsPlainFileName(dependency.name)) return false;
  const std::string base = folder.back() == '/' ? folder : folder + '/';
  for (const std::string& path : {base + dependency.name + ".manifest",
                                  base + dependency.name + '/' + dependency.name + ".manifest"}) {
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
    if (parser == nullptr) return false;
    IdentityReader reader;
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, StartIdentity, EndIdentity);
    const bool wellFormed =
        xml.size() <= static_cast<std::size_t>(INT32_MAX) &&
        XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    if (wellFormed && reader.found && SameAsciiText(reader.name, dependency.name) &&
        reader.version == dependency.version) {
      return true;
    }
  }
  return false;
}

HRESULT CreateFromManifest(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object) {
  std::string_view manifest;
  std::string folder;
  if (activeContext != nullptr) {
    manifest = platform::ActivationAccess::Manifest(*activeContext);
    folder = platform::ActivationAccess::Folder(*activeContext);
  } else {
    manifest = ProgramManifest();
    if (!ProgramFolder(folder)) return CO_E_DLLNOTFOUND;
  }
  platform::ManifestClass provider;
  if (!platform::FindManifestClass(manifest, clsid, provider) || !provider.listed) {
    return REGDB_E_CLASSNOTREG;
  }
  for (const platform::AssemblyIdentity& dependency : provider.dependencies) {
    if (folder.empty() || !PrivateAssemblyFound(dependency, folder)) return REGDB_E_CLASSNOTREG;
  }

  LPFNGETCLASSOBJECT entry = nullptr;
  HRESULT hr = ClassObjectEntry(folder, provider.fileName, entry);
  if (FAILED(hr)) return hr;
  IClassFactory* factory = nullptr;
  hr = entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  if (factory == nullptr) return E_UNEXPECTED;
  hr = factory->CreateInstance(outer, iid, object);
  factory->Release();
  return hr;
}

// Expat callbacks for ReadManifestFiles and FindManifestClass. Element names arrive as
// "namespace|local".
constexpr char kAsmV1[] = "urn:schemas-microsoft-com:asm.v1";

struct ManifestReader {
  std::vector<platform::ManifestFile> files;
  std::vector<platform::AssemblyIdentity> dependencies;
  // Set for FindManifestClass: the parse stops at the first declaration of this class.
  XML_Parser parser = nullptr;
  const CLSID* wanted = nullptr;
  bool found = false;
  int depth = 0;
  bool rootOk = false;
  bool inFile = false;
  bool inDependency = false;
  bool inDependentAssembly = false;
};

bool IsAsmElement(const XML_Char* name, const char* local) {
  const std::size_t nsLength = sizeof kAsmV1 - 1;
  return std::strncmp(name, kAsmV1, nsLength) == 0 && name[nsLength] == '|' &&
         std::strcmp(name + nsLength + 1, local) == 0;
}

const XML_Char* Attribute(const XML_Char** attributes, const char* name) {
  for (int i = 0; attributes[i] != nullptr; i += 2) {
    if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
  }
  return nullptr;
}

std::string AttributeText(const XML_Char** attributes, const char* name) {
  const XML_Char* value = Attribute(attributes, name);
  return value != nullptr ? value : "";
}

platform::AssemblyIdentity IdentityFrom(const XML_Char** attributes) {
  return {AttributeText(attributes, "type"),
          AttributeText(attributes, "name"),
          AttributeText(attributes, "version"),
          AttributeText(attributes, "processorArchitecture"),
          AttributeText(attributes, "publicKeyToken"),
          AttributeText(attributes, "language")};
}

void ReadClass(ManifestReader& reader, const XML_Char** attributes) {
  const XML_Char* text = Attribute(attributes, "clsid");
  CLSID clsid{};
  if (text == nullptr || !platform::GuidFromString(text, clsid)) return;
  reader.files.back().classes.push_back(clsid);
  if (reader.wanted != nullptr && clsid == *reader.wanted) {
    reader.found = true;
    // Nothing after the declaration matters to this activation.
    XML_StopParser(reader.parser, XML_FALSE);
  }
}

void XMLCALL StartElement(void* userData, const XML_Char* name, const XML_Char** attributes) {
  auto& reader = *static_cast<ManifestReader*>(userData);
  ++reader.depth;
  if (reader.depth == 1) {
    reader.rootOk = IsAsmElement(name, "assembly");
  } else if (reader.depth == 2 && reader.rootOk) {
    if (IsAsmElement(name, "file")) {
      reader.files.push_back({AttributeText(attributes, "name"), {}, 0});
      reader.inFile = true;
    } else {
      reader.inDependency = IsAsmElement(name, "dependency");
    }
  } else if (reader.depth == 3 && reader.inFile) {
    if (IsAsmElement(name, "comClass")) {
      ReadClass(reader, attributes);
    } else if (IsAsmElement(name, "typelib")) {
      ++reader.files.back().typeLibraries;
    }
  } else if (reader.depth == 3 && reader.inDependency) {
    reader.inDependentAssembly = IsAsmElement(name, "dependentAssembly");
  } else if (reader.depth == 4 && reader.inDependentAssembly &&
             IsAsmElement(name, "assemblyIdentity")) {
    reader.dependencies.push_back(IdentityFrom(attributes));
  }
}

void XMLCALL EndElement(void* userData, const XML_Char*) {
  auto& reader = *static_cast<ManifestReader*>(userData);
  if (reader.depth == 2) reader.inFile = reader.inDependency = false;
  if (reader.depth == 3) reader.inDependentAssembly = false;
  --reader.depth;
}

// Parses `xml` with `reader`'s callbacks. False when the text read is not well-formed or the
// root is not an asm.v1 assembly; a parse that the reader stopped has read enough. The text is
// handed over in chunks, because expat copies each buffer it is given before parsing it: a
// lookup that stops early then neither copies nor parses the rest.
bool ParseManifest(std::string_view xml, ManifestReader& reader) {
  constexpr std::size_t kChunk = 1024;
  std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreateNS(nullptr, '|'),
                                                                 XML_ParserFree);
  if (parser == nullptr) return false;
  reader.parser = parser.get();
  XML_SetUserData(parser.get(), &reader);
  XML_SetElementHandler(parser.get(), StartElement, EndElement);
  XML_Status status = XML_STATUS_OK;
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min(kChunk, xml.size() - offset);
    const bool last = offset + length == xml.size();
    status = XML_Parse(parser.get(), xml.data() + offset, static_cast<int>(length),
                       last ? XML_TRUE : XML_FALSE);
    offset += length;
  } while (status == XML_STATUS_OK && offset < xml.size());
  reader.parser = nullptr;
  const bool stopped = reader.found && status == XML_STATUS_ERROR &&
                       XML_GetErrorCode(parser.get()) == XML_ERROR_ABORTED;
  return (status == XML_STATUS_OK || stopped) && reader.rootOk;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

namespace platform {

Seam<BSTR(const OLECHAR*, UINT)> seams::SysAllocStringLen([](const OLECHAR* text,
                                                             UINT length) -> BSTR {
  // Header of 8 bytes (the byte length in its last 4, so the text is 8-byte aligned), the
  // text, and the terminator.
  if (length > 0x7FFFFFF0u) return nullptr;
  const std::size_t units = std::size_t{length} + 1;
  auto* block = static_cast<unsigned char*>(std::malloc(8 + units * sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const std::uint32_t bytes = length * static_cast<std::uint32_t>(sizeof(OLECHAR));
  std::memcpy(block + 4, &bytes, 4);
  auto* string = reinterpret_cast<OLECHAR*>(block + 8);
  if (text != nullptr) {
    std::memcpy(string, text, std::size_t{length} * sizeof(OLECHAR));
  } else {
    std::memset(string, 0, std::size_t{length} * sizeof(OLECHAR));
  }
  string[length] = 0;
  return string;
});

bool GuidFromString(std::string_view text, GUID& guid) {
  // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  unsigned char bytes[16];
  int count = 0;
  for (std::size_t i = 1; i < 37;) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (text[i] != '-') return false;
      ++i;
      continue;
    }
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[count++] = static_cast<unsigned char>(high * 16 + low);
    i += 2;
  }
  guid.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
               (std::uint32_t{bytes[2]} << 8) | bytes[3];
  guid.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  std::memcpy(guid.Data4, bytes + 8, 8);
  return true;
}

bool ReadManifestFiles(std::string_view xml, std::vector<ManifestFile>& files) {
  files.clear();
  ManifestReader reader;
  if (!ParseManifest(xml, reader)) return false;
  files = std::move(reader.files);
  return true;
}

bool FindManifestClass(std::string_view xml, const CLSID& clsid, ManifestClass& found) {
  found = {};
  ManifestReader reader;
  reader.wanted = &clsid;
  if (!ParseManifest(xml, reader)) return false;
  found.dependencies = std::move(reader.dependencies);
  found.listed = reader.found;
  if (reader.found) found.fileName = std::move(reader.files.back().name);
  return true;
}

ScopedActivationContext::ScopedActivationContext(std::string manifest, std::string folder)
    : previous_(activeContext), manifest_(std::move(manifest)), folder_(std::move(folder)) {
  activeContext = this;
}

ScopedActivationContext::~ScopedActivationContext() { activeContext = previous_; }

}  // namespace platform

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (reserved != nullptr) return E_INVALIDARG;
  if (coInit != COINIT_APARTMENTTHREADED && coInit != COINIT_MULTITHREADED) return E_INVALIDARG;
  if (apartment.count > 0) {
    if (apartment.kind != coInit) return RPC_E_CHANGED_MODE;
    ++apartment.count;
    return S_FALSE;
  }
  apartment.kind = coInit;
  apartment.count = 1;
  std::lock_guard<std::mutex> lock(processMutex);
  ++initialisedThreads;
  return S_OK;
}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
  if (apartment.count == 0) return;
  if (--apartment.count > 0) return;
  std::vector<Registration> registrations;
  registrations.swap(apartment.registrations);
  for (const Registration& registration : registrations) registration.object->Release();
  std::map<std::string, std::unique_ptr<Library>> unloading;
  {
    std::lock_guard<std::mutex> lock(processMutex);
    if (--initialisedThreads == 0) unloading.swap(libraries);
  }
  // The libraries close here, outside the lock.
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         LPVOID* object) {
  if (object == nullptr) return E_INVALIDARG;
  *object = nullptr;
  if (apartment.count == 0) return CO_E_NOTINITIALIZED;
  HRESULT hr = REGDB_E_CLASSNOTREG;
  bool registered = false;
  for (const Registration& registration : apartment.registrations) {
    if (registration.clsid == clsid && (registration.context & context) != 0) {
      registered = true;
      hr = CreateFromClassObject(registration.object, outer, iid, object);
      break;
    }
  }
  if (!registered && (context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)) != 0) {
    hr = CreateFromManifest(clsid, outer, iid, object);
  }
  if (FAILED(hr)) *object = nullptr;
  return hr;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags,
                              DWORD* cookie) {
  if (cookie != nullptr) *cookie = 0;
  if (classObject == nullptr || cookie == nullptr || flags > REGCLS_MULTIPLEUSE) {
    return E_INVALIDARG;
  }
  if (apartment.count == 0) return CO_E_NOTINITIALIZED;
  {
    std::lock_guard<std::mutex> lock(processMutex);
    *cookie = nextCookie++;
  }
  classObject->AddRef();
  apartment.registrations.push_back({*cookie, clsid, classObject, context});
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  auto& registrations = apartment.registrations;
  for (auto it = registrations.begin(); it != registrations.end(); ++it) {
    if (it->cookie == cookie) {
      IUnknown* object = it->object;
      registrations.erase(it);
      object->Release();
      return S_OK;
    }
  }
  return CO_E_OBJNOTREG;
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  return platform::seams::SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<unsigned char*>(text) - 8);
}

UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(text) - 4, 4);
  return bytes / sizeof(OLECHAR);
}
