// Test support: the application manifest reader behind CoCreateInstance and a scoped
// activation context, so that tests and fuzzers can put a manifest of their own in force.
// POSIX backend only; production code never includes this header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com.h"

namespace platform {

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
