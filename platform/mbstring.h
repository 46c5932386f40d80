// Multibyte-string routines of the C runtime for code page 932 (Shift_JIS).
//
// A character of code page 932 is one byte, or two bytes when the first is a lead byte
// (0x81-0x9F, 0xE0-0xFC). The second byte of a double-byte character may have any value from
// 0x40 up, 0x5C ("\") among them, as in 表 (0x95 0x5C). Every routine here walks the text
// character by character, so it never matches, counts or cuts inside a double-byte character,
// and never reads past the terminating zero. A lead byte directly before the terminator is an
// incomplete character: it counts as one character of its own.
//
// The signatures follow the runtime's: texts are `unsigned char` byte strings.
#pragma once

#ifdef _WIN32
#include <mbstring.h>
#else
#include "platform/posix/api/mbstring.h"
#endif
