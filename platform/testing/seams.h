// Test support: the platform entries that tests replace (platform/testing/seam.h), because
// their failures cannot be produced on demand, and the built-in module table behind
// LoadLibraryA. POSIX backend only; production code never includes this header.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/com.h"
#include "platform/crt_time.h"
#include "platform/module.h"
#include "platform/testing/seam.h"

namespace platform {

// The folder recorded by the last SetDllDirectoryA: none after a null argument (or when it was
// never called), else the text it was given, possibly empty.
std::optional<std::string> DllDirectory();

// One exported function of a built-in module.
struct BuiltinExport {
  const char* name;
  FARPROC address;
};

// A built-in module: its file name (compared without regard to ASCII case, as Windows does)
// and its exports.
struct BuiltinModule {
  const char* name;
  const BuiltinExport* exports;
  std::size_t exportCount;
};

namespace seams {
// Finds the built-in module for a library name, or null when the name is not built in (and
// LoadLibraryA goes on to the dynamic loader). A test replaces it to take a built-in module
// away or to put one with other exports in its place, since the platform's own table cannot
// fail on demand.
extern Seam<const BuiltinModule*(LPCSTR fileName)> FindBuiltinModule;
}  // namespace seams

namespace seams {
// SysAllocStringLen's allocation, replaceable by tests because memory cannot be exhausted on
// demand.
extern Seam<BSTR(const OLECHAR*, UINT)> SysAllocStringLen;
}  // namespace seams

}  // namespace platform

namespace platform::seams {
// The clock behind _time64, so that tests can start on a fixed day.
extern Seam<__time64_t()> CurrentTime;
}  // namespace platform::seams
