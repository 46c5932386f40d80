// The Windows error code that stands for a POSIX errno value. No operating-system headers.
#pragma once

#include "platform/types.h"

namespace platform {

// The Windows error for the errno value `error` of a failed file-system call; an errno with no
// closer match gives ERROR_ACCESS_DENIED.
DWORD ErrorFromErrno(int error);

}  // namespace platform
