// Test support: .res files opened as resource modules, and a scoped resource-module list.
// POSIX backend only; production code never includes this header.
#pragma once

#include <memory>
#include <string>

#include "platform/resource.h"

namespace platform {

// A .res file opened as a module, as LoadLibraryExA with LOAD_LIBRARY_AS_DATAFILE opens a
// file for its resources only. Closed when the object goes.
class ResourceFile {
 public:
  struct Data;  // the file's bytes and entries, private to the backend
  ResourceFile(const ResourceFile&) = delete;
  ResourceFile& operator=(const ResourceFile&) = delete;
  ~ResourceFile();
  HMODULE Module() const;

 private:
  friend std::unique_ptr<ResourceFile> OpenResourceFile(const std::string& path);
  explicit ResourceFile(std::unique_ptr<Data> data);
  std::unique_ptr<Data> data_;
};

// Opens a .res file (path in code page 932). Null when the file cannot be read
// (ERROR_FILE_NOT_FOUND, ...) or is not in the .res format (ERROR_BAD_EXE_FORMAT).
std::unique_ptr<ResourceFile> OpenResourceFile(const std::string& path);

// For tests: while the object lives, the resource-module list holds `module` alone.
class ScopedResourceModules {
 public:
  explicit ScopedResourceModules(HMODULE module);
  ~ScopedResourceModules();
  ScopedResourceModules(const ScopedResourceModules&) = delete;
  ScopedResourceModules& operator=(const ScopedResourceModules&) = delete;

 private:
  HMODULE previous_;
};

}  // namespace platform
