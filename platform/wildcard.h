// Matching of file names against the wildcard patterns of the Windows file search.
#pragma once

#include <string_view>

namespace platform {

// Whether `name` matches `pattern`, both code page 932 text; pure code. The rules of the
// Windows search:
//   "*"  matches any run of characters, the empty run included;
//   "?"  matches exactly one character (a double-byte character counts as one);
//   "."  followed only by wildcards, or standing last, also matches the end of a name that has
//        no further dot, so "*.*" matches every name and "report.*" also matches "report";
//   any other character matches itself; names compare as the file system stores them
//        (case-sensitive).
// An empty pattern matches nothing.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Whether `text` contains "*" or "?" as a character of its own.
bool HasWildcard(std::string_view text);

}  // namespace platform
