// The code page 932 routines of platform/mbstring.h on arbitrary zero-terminated text.
//
// The first four bytes give the searched character and a count; the rest, up to its first
// zero, is the text, held in a heap buffer of exactly its length plus the terminator so that
// a read past the terminator shows as an overrun. Results are checked against what the
// routines promise: found characters lie inside the text on a character boundary, copies and
// fills never cut a double-byte character, and the text keeps its length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/mbstring.h"

namespace {

using Text = std::unique_ptr<unsigned char[]>;

Text Terminated(const uint8_t* data, size_t size, size_t& length) {
  length = strnlen(reinterpret_cast<const char*>(data), size);
  Text text(new unsigned char[length + 1]);
  std::memcpy(text.get(), data, length);
  text[length] = 0;
  return text;
}

// The character boundaries of `text`, as the routines walk it: a lead byte takes the next byte
// with it unless that byte is the terminator.
std::vector<bool> Boundaries(const unsigned char* text, size_t length) {
  std::vector<bool> starts(length + 1, false);
  for (size_t at = 0; at < length;) {
    starts[at] = true;
    at += (_ismbblead(text[at]) && text[at + 1] != 0) ? 2 : 1;
  }
  starts[length] = true;
  return starts;
}

size_t CharacterCount(const std::vector<bool>& starts) {
  size_t count = 0;
  for (size_t i = 0; i + 1 < starts.size(); ++i) count += starts[i] ? 1 : 0;
  return count;
}

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const unsigned int c = data[0] | (data[1] & 1 ? (data[2] << 8) : 0);
  const size_t count = data[3];
  data += 4;
  size -= 4;

  size_t length = 0;
  Text text = Terminated(data, size, length);
  const std::vector<bool> starts = Boundaries(text.get(), length);

  // A lead byte that starts the last character, right before the terminator, is incomplete and
  // not counted.
  const bool incompleteAtEnd =
      length > 0 && starts[length - 1] && _ismbblead(text.get()[length - 1]);
  if (_mbslen(text.get()) != CharacterCount(starts) - (incompleteAtEnd ? 1 : 0)) std::abort();

  for (const unsigned char* found : {_mbschr(static_cast<const unsigned char*>(text.get()), c),
                                     _mbsrchr(static_cast<const unsigned char*>(text.get()), c)}) {
    if (found == nullptr) continue;
    const size_t at = static_cast<size_t>(found - text.get());
    if (found < text.get() || at > length || !starts[at]) std::abort();
  }
  if (_mbschr(static_cast<const unsigned char*>(text.get()), 0) != text.get() + length) {
    std::abort();
  }

  // A copy of `count` bytes into a buffer of exactly `count` bytes.
  {
    Text copy(new unsigned char[count > 0 ? count : 1]);
    _mbsnbcpy(copy.get(), text.get(), count);
    const size_t copied = count > 0 ? strnlen(reinterpret_cast<char*>(copy.get()), count) : 0;
    if (copied > length || std::memcmp(copy.get(), text.get(), copied) != 0) std::abort();
    if (copied < length && !starts[copied]) std::abort();  // never cut inside a character
    for (size_t i = copied; i < count; ++i) {
      if (copy[i] != 0) std::abort();
    }
  }

  // Comparisons: equal to itself, antisymmetric, and a byte-identical prefix compares equal.
  {
    size_t half_length = 0;
    Text other = Terminated(data + size / 2, size - size / 2, half_length);
    if (_mbsnbcmp(text.get(), text.get(), count) != 0) std::abort();
    const int forward = _mbsnbcmp(text.get(), other.get(), count);
    const int backward = _mbsnbcmp(other.get(), text.get(), count);
    if (Sign(forward) != -Sign(backward)) std::abort();
    const size_t limit = count < length + 1 ? count : length + 1;
    if (limit <= half_length + 1 && std::memcmp(text.get(), other.get(), limit) == 0 &&
        forward != 0) {
      std::abort();
    }
  }

  // A fill with a character that has no zero byte never moves the terminator.
  if ((c & 0xFF) != 0) {
    Text filled(new unsigned char[length + 1]);
    std::memcpy(filled.get(), text.get(), length + 1);
    _mbsnbset(filled.get(), c, count);
    if (strnlen(reinterpret_cast<char*>(filled.get()), length + 1) != length) std::abort();
  }
  return 0;
}
