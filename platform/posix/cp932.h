// Code page 932 character boundaries, shared by the routines that walk multibyte text.
// Pure code: no operating-system headers.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// Whether `byte` starts a double-byte character of code page 932.
constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The width in bytes of the character that starts at `p` in zero-terminated text: 2 for a lead
// byte followed by a second byte, else 1 (an incomplete character before the terminator counts
// alone).
constexpr std::size_t CharWidth(const unsigned char* p) {
  return IsLeadByte(p[0]) && p[1] != 0 ? 2 : 1;
}

// The same for the character at `at` in the zero-terminated `text`.
constexpr std::size_t CharWidth(const char* text, std::size_t at) {
  return IsLeadByte(static_cast<unsigned char>(text[at])) && text[at + 1] != 0 ? 2 : 1;
}

// The width of the character at `at` in `text`, which need not be terminated: a lead byte at
// the very end is a character of its own.
constexpr std::size_t CharWidth(std::string_view text, std::size_t at) {
  return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

}  // namespace platform
