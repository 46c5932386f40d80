// Library loading over the dynamic loader, with the platform's built-in modules in front.
//
// Built-in modules stand for Windows system libraries whose functions this layer implements
// itself. They are not files: a lookup that Windows does through a system DLL keeps its
// load/look-up/free shape here without a shared object that would only forward to the
// platform (and without a file of that name on the library path to go missing or be
// replaced). Every handle that LoadLibraryA gives out is entered in one table with its count
// of references, so GetProcAddress and FreeLibrary refuse a handle they do not know instead
// of handing it to the loader.
#include "platform/module.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string_view>

#include "platform/codepage.h"
#include "platform/lasterror.h"
#include "platform/posix/host_path.h"
#include "platform/shell.h"
#include "platform/testing/seams.h"

namespace {

const platform::BuiltinExport kShfolderExports[] = {
    {"SHGetFolderPathA", reinterpret_cast<FARPROC>(&SHGetFolderPathA)},
};
const platform::BuiltinModule kBuiltinModules[] = {
    {"shfolder.dll", kShfolderExports, std::size(kShfolderExports)},
};

bool EqualIgnoringAsciiCase(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(left[i]) != lower(right[i])) return false;
  }
  return true;
}

const platform::BuiltinModule* FindInBuiltinTable(LPCSTR fileName) {
  for (const platform::BuiltinModule& module : kBuiltinModules) {
    if (EqualIgnoringAsciiCase(fileName, module.name)) return &module;
  }
  return nullptr;
}

// A handle given out by LoadLibraryA: a built-in module or a shared object of the loader.
struct LoadedModule {
  const platform::BuiltinModule* builtin = nullptr;  // null for a shared object
  void* object = nullptr;                            // the loader's handle, for a shared object
  std::size_t references = 0;
};

struct ModuleTable {
  std::mutex mutex;
  std::optional<std::string> dllDirectory;
  std::map<HMODULE, LoadedModule> loaded;
};

ModuleTable& Table() {
  static ModuleTable* table = new ModuleTable;  // never destroyed: usable until the process ends
  return *table;
}

void* OpenSharedObject(const std::string& hostName, const std::optional<std::string>& folder) {
  const bool bare = hostName.find('/') == std::string::npos;
  if (bare && folder && !folder->empty()) {
    std::string inFolder = platform::HostPath(*folder);
    if (inFolder.back() != '/') inFolder += '/';
    inFolder += hostName;
    if (void* object = dlopen(inFolder.c_str(), RTLD_NOW | RTLD_LOCAL)) return object;
  }
  return dlopen(hostName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

namespace platform {

std::optional<std::string> DllDirectory() {
  ModuleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.dllDirectory;
}

namespace seams {
Seam<const BuiltinModule*(LPCSTR fileName)> FindBuiltinModule(FindInBuiltinTable);
}

}  // namespace platform

BOOL SetDllDirectoryA(LPCSTR pathName) {
  ModuleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (pathName == nullptr) {
    table.dllDirectory.reset();
  } else {
    table.dllDirectory = pathName;
  }
  return TRUE;
}

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ModuleTable& table = Table();
  if (const platform::BuiltinModule* builtin = platform::seams::FindBuiltinModule(fileName)) {
    std::lock_guard<std::mutex> lock(table.mutex);
    HMODULE handle = reinterpret_cast<HMODULE>(const_cast<platform::BuiltinModule*>(builtin));
    LoadedModule& entry = table.loaded[handle];
    entry.builtin = builtin;
    ++entry.references;
    return handle;
  }
  const std::optional<std::string> folder = platform::DllDirectory();
  void* object = OpenSharedObject(platform::HostPath(fileName), folder);
  if (object == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(table.mutex);
  // The loader gives the same handle for the same object; each dlopen is one reference of it,
  // balanced by one dlclose in FreeLibrary.
  HMODULE handle = reinterpret_cast<HMODULE>(object);
  LoadedModule& entry = table.loaded[handle];
  entry.object = object;
  ++entry.references;
  return handle;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  if (procName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ModuleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  const auto found = table.loaded.find(module);
  if (found == table.loaded.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const LoadedModule& entry = found->second;
  if (entry.builtin != nullptr) {
    for (std::size_t i = 0; i < entry.builtin->exportCount; ++i) {
      const platform::BuiltinExport& item = entry.builtin->exports[i];
      if (std::string_view(item.name) == procName) return item.address;
    }
  } else if (void* symbol = dlsym(entry.object, procName)) {
    return reinterpret_cast<FARPROC>(symbol);
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  ModuleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  const auto found = table.loaded.find(module);
  if (found == table.loaded.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  LoadedModule& entry = found->second;
  if (entry.object != nullptr) dlclose(entry.object);
  if (--entry.references == 0) table.loaded.erase(found);
  return TRUE;
}
