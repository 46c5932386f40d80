// The shell's folder lookup, SHGetFolderPathA, for the user's Documents folder.
//
// On Windows the function lives in "shfolder.dll"; here it is part of the platform layer and is
// reached the same way, through the built-in module "shfolder.dll" of platform/module.h (it can
// also be called directly).
//
// Locations of the Documents folder (CSIDL_PERSONAL) on this platform:
//   - current location (SHGFP_TYPE_CURRENT): the XDG documents directory, XDG_DOCUMENTS_DIR in
//     $XDG_CONFIG_HOME/user-dirs.dirs ($HOME/.config/user-dirs.dirs when XDG_CONFIG_HOME is
//     unset, empty or relative); when that file does not set it, the default location below.
//   - default location (SHGFP_TYPE_DEFAULT): $HOME/Documents.
// The home folder is $HOME, or the password database's entry when HOME is unset or relative.
//
// The user-dirs.dirs format (as xdg-user-dirs writes it): lines KEY="VALUE"; blank lines and
// lines starting with "#" are skipped, as is any line that does not have this form. VALUE is
// "$HOME/..." (relative to the home folder), "$HOME" alone, or an absolute path; inside the
// quotes a backslash takes the next character literally. The last valid line for a key wins.
//
// The folder must exist, as on Windows, unless CSIDL_FLAG_CREATE is given: then a missing
// folder is created (one level; its parent must exist). The path is returned in code page 932
// (a character that the code page cannot hold becomes "?"), without a trailing "/". Flag bits
// other than CSIDL_FLAG_CREATE are accepted and have no effect.
#pragma once

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#else
#include "platform/posix/api/shell.h"
#endif

// The signature of SHGetFolderPathA, for callers that look it up with GetProcAddress.
using SHGetFolderPathAFunction = HRESULT(WINAPI*)(HWND window, int folder, HANDLE token,
                                                  DWORD flags, LPSTR path);
