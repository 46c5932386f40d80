// Code page 932 multibyte-string routines. Pure code: valid on every platform.
#include "platform/mbstring.h"

#include <cstring>

#include "platform/posix/cp932.h"

namespace {

using platform::CharWidth;
using platform::IsLeadByte;

// The character at `p` as a 16-bit value (lead << 8 | trail) or its single byte.
unsigned int CharValue(const unsigned char* p, std::size_t width) {
  return width == 2 ? (static_cast<unsigned int>(p[0]) << 8) | p[1] : p[0];
}

// `c` as the runtime reads a character argument: a 16-bit value whose high byte, when nonzero,
// makes it a double-byte character.
unsigned int Normalise(unsigned int c) { return c & 0xFFFF; }

}  // namespace

int _ismbblead(unsigned int c) { return IsLeadByte(static_cast<unsigned char>(c)) ? 1 : 0; }

const unsigned char* _mbsrchr(const unsigned char* text, unsigned int c) {
  c = Normalise(c);
  const unsigned char* found = nullptr;
  for (const unsigned char* p = text;;) {
    const std::size_t width = *p == 0 ? 1 : CharWidth(p);
    if (CharValue(p, width) == c) found = p;
    if (*p == 0) break;
    p += width;
  }
  return found;
}

unsigned char* _mbsrchr(unsigned char* text, unsigned int c) {
  return const_cast<unsigned char*>(_mbsrchr(static_cast<const unsigned char*>(text), c));
}

const unsigned char* _mbschr(const unsigned char* text, unsigned int c) {
  c = Normalise(c);
  for (const unsigned char* p = text;;) {
    const std::size_t width = *p == 0 ? 1 : CharWidth(p);
    if (CharValue(p, width) == c) return p;
    if (*p == 0) return nullptr;
    p += width;
  }
}

unsigned char* _mbschr(unsigned char* text, unsigned int c) {
  return const_cast<unsigned char*>(_mbschr(static_cast<const unsigned char*>(text), c));
}

std::size_t _mbslen(const unsigned char* text) {
  std::size_t characters = 0;
  for (const unsigned char* p = text; *p != 0; p += CharWidth(p)) {
    // A lead byte right before the terminator is an incomplete character, which the Windows
    // runtime does not count.
    if (IsLeadByte(*p) && p[1] == 0) break;
    ++characters;
  }
  return characters;
}

unsigned char* _mbsnbcpy(unsigned char* destination, const unsigned char* source,
                         std::size_t count) {
  std::size_t copied = 0;
  while (copied < count && source[copied] != 0) {
    const std::size_t width = CharWidth(source + copied);
    if (width == 2 && copied + 2 > count) break;          // the second byte would not fit
    if (width == 1 && IsLeadByte(source[copied])) break;  // incomplete character before the end
    std::memcpy(destination + copied, source + copied, width);
    copied += width;
  }
  std::memset(destination + copied, 0, count - copied);
  return destination;
}

int _mbsnbcmp(const unsigned char* left, const unsigned char* right, std::size_t count) {
  std::size_t at = 0;
  while (at < count) {
    const std::size_t leftWidth = left[at] == 0 ? 1 : CharWidth(left + at);
    const std::size_t rightWidth = right[at] == 0 ? 1 : CharWidth(right + at);
    // A double-byte character cut by `count` compares by its lead byte alone.
    const bool cut = at + 2 > count;
    const unsigned int a = cut ? left[at] : CharValue(left + at, leftWidth);
    const unsigned int b = cut ? right[at] : CharValue(right + at, rightWidth);
    if (a != b) return a < b ? -1 : 1;
    if (left[at] == 0) return 0;
    at += leftWidth;
  }
  return 0;
}

unsigned char* _mbsnbset(unsigned char* text, unsigned int c, std::size_t count) {
  c = Normalise(c);
  const std::size_t length = std::strlen(reinterpret_cast<const char*>(text));
  if (count > length) count = length;
  const bool doubleByte = c > 0xFF;
  std::size_t at = 0;
  // Before overwriting, find where the last overwritten character ends, so that a double-byte
  // character cut in two does not leave a stray second byte behind.
  std::size_t end = 0;
  while (end < count) end += CharWidth(text + end);
  for (; at < count; ++at) {
    if (doubleByte) {
      if (at + 1 < count) {
        text[at] = static_cast<unsigned char>(c >> 8);
        text[++at] = static_cast<unsigned char>(c & 0xFF);
      } else {
        text[at] = ' ';
      }
    } else {
      text[at] = static_cast<unsigned char>(c);
    }
  }
  if (end > count) text[count] = ' ';
  return text;
}
