// The thread's last-error value, as GetLastError and SetLastError keep it on Windows.
#pragma once

#include "platform/types.h"

// The calling thread's last-error code; 0 (ERROR_SUCCESS) on a new thread.
DWORD GetLastError();
// Sets the calling thread's last-error code.
void SetLastError(DWORD error);
