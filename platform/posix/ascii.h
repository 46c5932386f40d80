// Whether text is ASCII alone. Pure code: no operating-system headers.
#pragma once

#include <cstddef>
#include <string_view>
#include <type_traits>

namespace platform {

// Whether every unit of `text` (bytes or UTF-16 units) is below 0x80. Such text is the same in
// code page 932, UTF-8 and UTF-16.
template <typename Unit>
constexpr bool IsAscii(const Unit* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (static_cast<std::make_unsigned_t<Unit>>(text[i]) >= 0x80) return false;
  }
  return true;
}

constexpr bool IsAscii(std::string_view text) { return IsAscii(text.data(), text.size()); }

}  // namespace platform
