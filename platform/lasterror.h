// The thread's last-error value, as GetLastError and SetLastError keep it on Windows.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/lasterror.h"
#endif
