// Windows wildcard matching over code page 932 names. Pure code: valid on every platform.
#include "platform/wildcard.h"

#include <cstddef>

#include "platform/posix/cp932.h"

namespace platform {
namespace {

// Whether what is left of the pattern matches an empty rest of the name: only "*", and at most
// one "." (which then stands before nothing but "*").
bool MatchesEmpty(std::string_view pattern) {
  bool dotSeen = false;
  for (char c : pattern) {
    if (c == '*') continue;
    if (c == '.' && !dotSeen) {
      dotSeen = true;
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (pattern.empty()) return false;
  // Greedy matching with one back-tracking point: the last "*" and the name position it was
  // tried at. Linear in practice, at worst pattern length times name length; no allocation.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    const std::size_t nameWidth = CharWidth(name, n);
    if (p < pattern.size()) {
      const std::size_t patternWidth = CharWidth(pattern, p);
      if (pattern[p] == '*') {
        star = p++;
        starName = n;
        continue;
      }
      if (pattern[p] == '?') {
        ++p;
        n += nameWidth;
        continue;
      }
      if (patternWidth == nameWidth && pattern.compare(p, patternWidth, name, n, nameWidth) == 0) {
        p += patternWidth;
        n += nameWidth;
        continue;
      }
    }
    if (star == std::string_view::npos) return false;
    // Let the last "*" take one more character and try again after it.
    p = star + 1;
    starName += CharWidth(name, starName);
    n = starName;
  }
  return MatchesEmpty(pattern.substr(p));
}

bool HasWildcard(std::string_view text) {
  for (std::size_t at = 0; at < text.size(); at += CharWidth(text, at)) {
    if (text[at] == '*' || text[at] == '?') return true;
  }
  return false;
}

}  // namespace platform
