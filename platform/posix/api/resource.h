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
//
// The POSIX backend's own declarations of these names; on Windows platform/resource.h includes
// the system's headers instead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/posix/api/types.h"

inline LPCWSTR MAKEINTRESOURCEW(WORD id) {
  return reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(id));
}
inline bool IS_INTRESOURCE(LPCWSTR name) {
  return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}

inline LPCWSTR const RT_ICON = MAKEINTRESOURCEW(3);
inline LPCWSTR const RT_STRING = MAKEINTRESOURCEW(6);
inline LPCWSTR const RT_GROUP_ICON = MAKEINTRESOURCEW(14);
inline LPCWSTR const RT_VERSION = MAKEINTRESOURCEW(16);
inline LPCWSTR const RT_MANIFEST = MAKEINTRESOURCEW(24);

constexpr WORD LANG_JAPANESE_JAPAN = 0x0411;

// The last error of a file that is not in the expected format.
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;

// Finds a resource by type, name and language; null with ERROR_RESOURCE_DATA_NOT_FOUND (module
// without resources), ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or
// ERROR_RESOURCE_LANG_NOT_FOUND.
HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
// FindResourceExW with language 0 (note the order of name and type, as on Windows).
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
// The handle of a found resource's data; null for a null or foreign `resource`.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The first byte of the data; null for null.
LPVOID LockResource(HGLOBAL data);
// The size of the data in bytes; 0 for a null or foreign `resource`.
DWORD SizeofResource(HMODULE module, HRSRC resource);
