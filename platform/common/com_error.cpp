// ComError, shared by both backends.
#include <cstdio>

#include "platform/com.h"

namespace platform {

ComError::ComError(HRESULT hr) : hr_(hr) {
  std::snprintf(message_, sizeof message_, "COM error 0x%08X", static_cast<unsigned>(hr));
}

void RaiseComError(HRESULT hr) { throw ComError(hr); }

}  // namespace platform
