#include "platform/crt_time.h"

#include <time.h>

#include "platform/testing/seams.h"

namespace {

constexpr __time64_t kLatestTime = 32535215999;  // 3000-12-31 23:59:59 UTC

bool InRange(__time64_t value) { return value >= 0 && value <= kLatestTime; }

__time64_t SystemTime() { return static_cast<__time64_t>(::time(nullptr)); }

}  // namespace

namespace platform::seams {
Seam<__time64_t()> CurrentTime(SystemTime);
}

__time64_t _time64(__time64_t* timer) {
  const __time64_t now = platform::seams::CurrentTime();
  if (timer != nullptr) *timer = now;
  return now;
}

std::tm* _localtime64(const __time64_t* timer) {
  thread_local std::tm result;
  if (timer == nullptr || !InRange(*timer)) return nullptr;
  const time_t value = static_cast<time_t>(*timer);
  return ::localtime_r(&value, &result) != nullptr ? &result : nullptr;
}

__time64_t _mktime64(std::tm* time) {
  if (time == nullptr) return -1;
  std::tm copy = *time;
  const time_t value = ::mktime(&copy);
  if (value == static_cast<time_t>(-1) || !InRange(value)) return -1;
  *time = copy;
  return static_cast<__time64_t>(value);
}
