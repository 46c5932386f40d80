#include "logsetup/documents_folder.h"

#include "platform/module.h"
#include "platform/shell.h"

namespace {

bool Succeeded(HRESULT result, const char* buffer) { return result >= 0 && buffer[0] != '\0'; }

}  // namespace

int GetDocumentsFolder(char* buffer) { return GetShellFolderPath(buffer, CSIDL_PERSONAL, 1); }

int GetShellFolderPath(char* buffer, int folderId, int retryWithCreate) {
  if (buffer == nullptr) return 0;
  buffer[0] = '\0';
  // An empty text (not null) takes the current folder out of the library search order, so
  // that a planted shfolder.dll there is never loaded.
  SetDllDirectoryA("");

  HMODULE library = LoadLibraryA("shfolder.dll");
  if (library == nullptr) return 0;
  const auto getFolderPath =
      reinterpret_cast<SHGetFolderPathAFunction>(GetProcAddress(library, "SHGetFolderPathA"));
  if (getFolderPath == nullptr) {
    FreeLibrary(library);
    return 0;
  }

  int found = 0;
  if (Succeeded(getFolderPath(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, buffer), buffer)) {
    found = 1;
  } else if (retryWithCreate != 0) {
    const HRESULT result =
        getFolderPath(nullptr, folderId | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_DEFAULT, buffer);
    found = Succeeded(result, buffer) ? 1 : 0;
  }
  FreeLibrary(library);
  return found;
}
