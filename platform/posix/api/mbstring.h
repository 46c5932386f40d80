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
//
// The POSIX backend's own declarations of these names; on Windows platform/mbstring.h
// includes the system's headers instead.
#pragma once

#include <cstddef>

// Nonzero when `c` (its low byte) is a lead byte of code page 932.
int _ismbblead(unsigned int c);

// The last occurrence of the character `c` in `text`, or null. A lead byte of a double-byte
// character is part of that character and is not matched on its own; `c` may be a double-byte
// character given as (lead << 8) | trail. Searching for 0 gives the terminator.
const unsigned char* _mbsrchr(const unsigned char* text, unsigned int c);
unsigned char* _mbsrchr(unsigned char* text, unsigned int c);

// The first occurrence of the character `c` in `text`, or null; same rules as _mbsrchr.
const unsigned char* _mbschr(const unsigned char* text, unsigned int c);
unsigned char* _mbschr(unsigned char* text, unsigned int c);

// The number of characters in `text`, a double-byte character counting as one; a lead byte
// right before the terminator (an incomplete character) is not counted.
std::size_t _mbslen(const unsigned char* text);

// Copies at most `count` bytes of `source` into `destination`. A double-byte character that
// does not fit whole, or whose second byte is the terminator, is not copied: a zero byte takes
// the place of its lead byte. When `source` ends before `count` bytes, the rest of the `count`
// bytes of `destination` are set to zero. `destination` must hold `count` bytes.
unsigned char* _mbsnbcpy(unsigned char* destination, const unsigned char* source,
                         std::size_t count);

// Compares at most the first `count` bytes of two texts character by character; a
// double-byte character compares as its 16-bit value. Negative, zero or positive.
int _mbsnbcmp(const unsigned char* left, const unsigned char* right, std::size_t count);

// Sets at most `count` bytes of `text` (never past its terminator) to the character `c`. A
// double-byte `c` that does not fit in the last byte leaves a space there; a double-byte
// character of `text` whose lead byte was overwritten loses its second byte to a space too, so
// the text stays well formed.
unsigned char* _mbsnbset(unsigned char* text, unsigned int c, std::size_t count);
