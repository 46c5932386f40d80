// The runtime library's path routines: splitting a path into its parts and forming an absolute
// path. Both read "\" and "/" as separators and never take the second byte of a double-byte
// character of code page 932 (such as 0x5C in 表, 0x95 0x5C) for a separator or a dot.
#pragma once

#ifdef _WIN32
#include <stdlib.h>
#else
#include "platform/posix/api/path.h"
#endif
