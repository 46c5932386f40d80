// The manifest reader behind CoCreateInstance on arbitrary text.
//
// The bytes are read whole with platform::ReadManifestFiles, up to AppRun's declaration with
// platform::FindManifestClass, and put in force with a ScopedActivationContext whose component
// folder is empty, so CoCreateInstance of AppRun can only fail, and must fail with the code that
// the lookup calls for: REGDB_E_CLASSNOTREG when the text read is refused or does not list the
// class, CO_E_DLLNOTFOUND when it lists the class for a file (no file is in the folder). Where
// the whole text reads, the lookup must agree with it; where the lookup refuses the text, so
// must the whole read. Nothing is ever loaded.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "apprun/iapprun.h"
#include "platform/com.h"
#include "platform/testing/activation.h"

namespace {

const std::string& EmptyFolder() {
  // Never destroyed: the clean-up at exit still reads it.
  static const std::string& path = *new std::string([] {
    char name[] = "/tmp/linkstart-fuzz-com-XXXXXX";
    if (mkdtemp(name) == nullptr) std::abort();
    std::atexit([] { rmdir(EmptyFolder().c_str()); });
    return std::string(name);
  }());
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialised = SUCCEEDED(CoInitialize(nullptr));
  if (!initialised) std::abort();

  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  std::vector<platform::ManifestFile> files;
  const bool read = platform::ReadManifestFiles(xml, files);
  if (!read && !files.empty()) std::abort();
  const platform::ManifestFile* provider = nullptr;
  for (const auto& file : files) {
    if (file.typeLibraries < 0) std::abort();
    for (const CLSID& clsid : file.classes) {
      if (clsid == CLSID_AppRun && provider == nullptr) provider = &file;
    }
  }
  platform::ManifestClass found;
  const bool looked = platform::FindManifestClass(xml, CLSID_AppRun, found);
  if (!looked && (read || found.listed || !found.dependencies.empty())) std::abort();
  if (read && (found.listed != (provider != nullptr) ||
               (provider != nullptr && found.fileName != provider->name))) {
    std::abort();
  }
  if (!found.listed && !found.fileName.empty()) std::abort();

  platform::ScopedActivationContext context(std::string(xml), EmptyFolder());
  IAppRun* app = reinterpret_cast<IAppRun*>(&files);  // must be cleared
  const HRESULT hr = CoCreateInstance(CLSID_AppRun, nullptr, CLSCTX_ALL, IID_IAppRun,
                                      reinterpret_cast<void**>(&app));
  if (app != nullptr || SUCCEEDED(hr)) std::abort();
  // The component folder is empty: a listed class fails on its missing file, unless a dependency
  // (which no private assembly there can satisfy) refuses the whole context first.
  const HRESULT expected =
      found.listed && found.dependencies.empty() ? CO_E_DLLNOTFOUND : REGDB_E_CLASSNOTREG;
  if (hr != expected) std::abort();

  // The GUID parser on the same bytes, and on the text between the first pair of braces.
  GUID guid{};
  platform::GuidFromString(xml, guid);
  const std::size_t open = xml.find('{');
  if (open != std::string_view::npos) {
    const std::size_t close = xml.find('}', open);
    if (close != std::string_view::npos) {
      platform::GuidFromString(xml.substr(open, close - open + 1), guid);
    }
  }
  return 0;
}
