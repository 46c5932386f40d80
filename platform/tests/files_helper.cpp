// Runs one file operation and prints the thread's last error (0 on success), so that tests can
// run it as another user: files_helper mkdir|find <code page 932 path>.
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/lasterror.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  DWORD error = ERROR_SUCCESS;
  if (std::strcmp(argv[1], "mkdir") == 0) {
    if (!CreateDirectoryA(argv[2], nullptr)) error = GetLastError();
  } else if (std::strcmp(argv[1], "find") == 0) {
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(argv[2], &data);
    if (search == INVALID_HANDLE_VALUE) {
      error = GetLastError();
    } else {
      FindClose(search);
    }
  } else {
    return 2;
  }
  std::printf("%u\n", static_cast<unsigned>(error));
  return 0;
}
