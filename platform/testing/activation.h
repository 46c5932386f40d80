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
