// Run-time loading of libraries: SetDllDirectoryA, LoadLibraryA, GetProcAddress, FreeLibrary.
//
// Two kinds of module sit behind an HMODULE here:
//   - built-in modules: a few Windows system libraries whose functions this platform layer
//     implements itself ("shfolder.dll" with SHGetFolderPathA). LoadLibraryA gives a handle to
//     the built-in table, GetProcAddress looks the name up in it, FreeLibrary releases the
//     reference. Nothing is read from disk, so the program's lookup code keeps the same shape
//     (load, look up, call, free) as on Windows, where the same names reach the system DLLs.
//   - shared objects: every other name is loaded with the dynamic loader (dlopen). A bare name
//     is searched first in the folder set with SetDllDirectoryA, then in the loader's own
//     search path (never the current folder). A name with a "\" or "/" is taken as a path;
//     both separators are accepted, and the second byte of a double-byte character is never
//     a separator. Names are code page 932 and reach the file system as UTF-8.
//
// Each successful LoadLibraryA takes one reference, which one FreeLibrary gives back; the
// shared object is unloaded when its last reference goes. A handle that LoadLibraryA did not
// give out (or that is already freed) is refused with ERROR_INVALID_HANDLE, never dereferenced.
//
//   HMODULE module = LoadLibraryA("shfolder.dll");
//   auto get = reinterpret_cast<SHGetFolderPathAFunction>(GetProcAddress(module,
//                                                                        "SHGetFolderPathA"));
//   ...
//   FreeLibrary(module);
//
// The functions may be called from any thread.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/module.h"
#endif
