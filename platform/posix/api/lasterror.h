// The thread's last-error value, as GetLastError and SetLastError keep it on Windows.
//
// The POSIX backend's own declarations of these names; on Windows platform/lasterror.h
// includes the system's headers instead.
#pragma once

#include "platform/posix/api/types.h"

// The calling thread's last-error code; 0 (ERROR_SUCCESS) on a new thread.
DWORD GetLastError();
// Sets the calling thread's last-error code.
void SetLastError(DWORD error);
