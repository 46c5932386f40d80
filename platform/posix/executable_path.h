// The path of the running program's executable. No operating-system headers.
#pragma once

#include <string>

namespace platform {

// Reads the executable's path (UTF-8, as the system gives it) into `path`, however long it is.
// False, with errno set by the system, when it cannot be read.
bool ReadExecutablePath(std::string& path);

}  // namespace platform
