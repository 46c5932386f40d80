// The runtime's 64-bit time functions.
//
// A time value counts seconds since 1970-01-01 00:00:00 UTC. As in the Windows runtime, the
// functions cover 1970-01-01 00:00:00 to 3000-12-31 23:59:59 UTC: outside that range
// _localtime64 gives null and _mktime64 gives -1.
#pragma once

#ifdef _WIN32
#include <time.h>
#else
#include "platform/posix/api/crt_time.h"
#endif
