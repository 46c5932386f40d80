// The user's Documents folder, asked of the shell folder library at run time.
//
// The library ("shfolder.dll") is loaded, its SHGetFolderPathA looked up by name, asked, and
// freed again within one call; nothing is kept between calls. A first request asks for the
// folder's current location; when that fails or gives an empty text, a second request (when
// allowed) asks for its default location and has it created:
//
//   char folder[MAX_PATH] = {};
//   GetDocumentsFolder(folder);   // 1 with the path in `folder`, else 0
//
// The one lasting effect is the library search order: SetDllDirectoryA("") takes the current
// folder out of it for the rest of the process.
#pragma once

#include "platform/types.h"

// The Documents folder (CSIDL_PERSONAL), with the second request: GetShellFolderPath(buffer,
// CSIDL_PERSONAL, 1).
int GetDocumentsFolder(char* buffer);

// Writes the path of the shell folder `folderId` into `buffer` (at least MAX_PATH bytes),
// zero-terminated, in code page 932. Returns 1 when a request returned a non-negative result
// code and a non-empty text, else 0. The buffer holds the empty text when the library or its
// function is missing, else what the last request left there. `retryWithCreate` nonzero allows
// the second request, with CSIDL_FLAG_CREATE and SHGFP_TYPE_DEFAULT. A null `buffer` gives 0
// and nothing else happens.
int GetShellFolderPath(char* buffer, int folderId, int retryWithCreate);
