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
//
// The POSIX backend's own declarations of these names; on Windows platform/module.h includes
// the system's headers instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/posix/api/types.h"

// Records `pathName` as the folder searched for bare library names before the loader's own
// search path. An empty text sets no folder and takes the current folder out of the search
// order (this loader never searches it anyway); null restores the default order. Always TRUE.
BOOL SetDllDirectoryA(LPCSTR pathName);

// Loads a module (above) and returns its handle, or null with ERROR_MOD_NOT_FOUND (no such
// module, or it cannot be loaded) or ERROR_INVALID_PARAMETER (null or empty name).
HMODULE LoadLibraryA(LPCSTR fileName);

// The address of the exported function `procName` of `module`, or null with
// ERROR_PROC_NOT_FOUND (no such export), ERROR_INVALID_HANDLE (not a loaded module) or
// ERROR_INVALID_PARAMETER (null name). Ordinals are not supported.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// Gives back one reference taken by LoadLibraryA. FALSE with ERROR_INVALID_HANDLE when
// `module` holds no reference.
BOOL FreeLibrary(HMODULE module);
