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
//
// The POSIX backend's own declarations of these names; on Windows platform/shell.h
// includes the system's headers instead.
#pragma once

#include "platform/posix/api/types.h"

constexpr int CSIDL_PERSONAL = 0x0005;     // the user's Documents folder
constexpr int CSIDL_FLAG_CREATE = 0x8000;  // create the folder if it is missing
constexpr int CSIDL_FLAG_MASK = 0xFF00;    // the flag bits of a folder identifier
constexpr DWORD SHGFP_TYPE_CURRENT = 0;    // the folder's current location
constexpr DWORD SHGFP_TYPE_DEFAULT = 1;    // the folder's default location

// Writes the path of the folder `folder` (a CSIDL value, optionally or-ed with
// CSIDL_FLAG_CREATE) into `path`, which holds MAX_PATH bytes, zero-terminated; S_OK on
// success. `path` is set to the empty text first, so a failure leaves it empty. Failures
// (0x8007xxxx is the Win32 error xxxx as a result code, as HRESULT_FROM_WIN32 makes it):
//   E_INVALIDARG  null `path`, a folder other than CSIDL_PERSONAL, an unknown path type, or a
//                 non-null access token
//   0x80070002    (ERROR_FILE_NOT_FOUND) the folder does not exist and was not to be created,
//                 or no home folder is known
//   0x8007xxxx    the folder could not be created (the error of the failed creation)
//   0x800700CE    (ERROR_FILENAME_EXCED_RANGE) the path does not fit in MAX_PATH bytes
// `window` is not used.
HRESULT WINAPI SHGetFolderPathA(HWND window, int folder, HANDLE token, DWORD flags, LPSTR path);
