// Win32 resources: the program's own resources, compiled by a resource compiler into the
// standard .res format and embedded in the executable, read with the Windows functions.
//
//   HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(626), 0);
//   HGLOBAL loaded = LoadResource(module, found);
//   const void* data = LockResource(loaded);        // SizeofResource(module, found) bytes
//
// A module is the executable (null or platform::ProgramModule()) or a .res file opened with
// platform::OpenResourceFile. Names and types are integer identifiers (MAKEINTRESOURCEW) or
// UTF-16 strings, compared without regard to case as Windows does.
//
// Language: a nonzero language picks exactly that variant. Language 0, the language-neutral
// request, picks by the thread's preference: a neutral variant, then the thread's UI language
// (Japanese, 0x0411, the language of this process), then US English, then the first variant
// the module has.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/resource.h"
#endif

#include "platform/types.h"

namespace platform {

// The program's list of resource modules, searched in order for string resources. It holds
// the executable alone; nothing adds to it.
int ResourceModuleCount();
HMODULE ResourceModuleAt(int index);  // null outside [0, ResourceModuleCount())

}  // namespace platform
