// Code page 932 paths as the host system takes them. Pure code: no operating-system headers.
#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace platform {

// A code page 932 path as the system takes it: UTF-8 with "/" for every separator ("\" or "/").
// The conversion comes first: after it a byte 0x5C can only be a "\" of its own, since UTF-8
// never uses it inside a character, while in code page 932 it may be a second byte.
inline std::string HostPath(std::string_view ansi) {
  std::string path = Utf8FromAnsi(ansi);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace platform
