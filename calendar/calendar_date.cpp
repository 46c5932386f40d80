#include "calendar/calendar_date.h"

#include <ctime>

#include "platform/crt_time.h"

TodayParts::TodayParts() : year(0), month(0), day(0) {
  const __time64_t now = _time64(nullptr);
  const std::tm* local = _localtime64(&now);
  if (local == nullptr) return;  // stays 0-0-0, an invalid date
  year = local->tm_year + 1900;
  month = local->tm_mon + 1;
  day = local->tm_mday;
}

CalendarDate& CalendarDate::SetToday() {
  const TodayParts today;
  SetDate(today.year, today.month, today.day);
  return *this;
}
