// The calendar date: one day of the Gregorian calendar as a serial day number.
//
// A CalendarDate holds a serial day number, counted from 1758-01-01 (serial 0) to 9999-12-31
// (serial 3010327), together with the year, month and day it stands for. The serial is the
// master: every operation that changes it derives year, month and day from it again
// (Recompute). The record is packed (17 bytes, no padding, also in arrays) and is copied by
// value.
//
//   CalendarDate date(0);
//   date.SetToday();                      // today's local date, adjusted 0
//   CalendarDate carried(2023, 13, 5);    // 2024-01-05, adjusted 0 (month carried)
//   CalendarDate spilled(2023, 4, 31);    // 2023-05-01, adjusted 1 (day past month end)
//   CalendarDate invalid(2023, 1, 0);     // serial 0 (reads 1758-01-01), adjusted 1
//
// Validity policy of SetDate: carry the month into the year, validate the year (1758..9999),
// month (1..12) and day (1..31), then count the day from the 1st of the month, so that a day
// past the end of its month lands in the next month. `adjusted` tells the caller that the
// stored date differs from the one asked for. An invalid date never raises an error: it
// becomes serial 0 with `adjusted` 1.
//
// Every input has a defined result, without overflow, for the whole int32_t range:
// - A serial outside 0..3010327 is stored unchanged and reads as the proleptic Gregorian day
//   that many days from 1758-01-01: 3010328 is 10000-01-01, -1 is 1757-12-31, INT32_MAX is
//   5881368-07-11 and INT32_MIN is -5877853-06-23 (year 0 is 1 BC).
// - SetDate carries months with 64-bit arithmetic, so INT32_MIN and INT32_MAX in any argument
//   give an invalid date (serial 0, adjusted 1) instead of overflowing.
//
// The calendar keeps no shared state: February's length is computed from the year where it is
// needed, so dates may be used on several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// True for a leap year of the proleptic Gregorian calendar (every int32_t year, 0 included).
constexpr bool IsLeapYear(int32_t year);

// The serial day number of 1 January of `year`: 0 for 1758, 365 for 1759, 88388 for 2000 and
// 3010328 for 10000. Exact for every int32_t year (negative before 1758); the 64-bit result
// never overflows.
constexpr int64_t DaysBeforeYear(int32_t year);

// The number of days of `year` before the 1st of `month`: 0 for January, 31 for February,
// 59 or 60 for March. A month below 1 gives 0 and a month above 12 gives the length of the
// year (365 or 366).
constexpr int32_t DaysBeforeMonth(int32_t year, int32_t month);

// True when 1758 <= year <= 9999, 1 <= month <= 12 and 1 <= day <= 31. The day is not checked
// against the length of its month: SetDate carries such a day into the next month.
constexpr bool IsValidDate(int64_t year, int32_t month, int32_t day);

#pragma pack(push, 1)
class CalendarDate {
 public:
  static constexpr int32_t kFirstYear = 1758;
  static constexpr int32_t kLastYear = 9999;
  static constexpr int32_t kLastSerial = 3010327;  // 9999-12-31

  // The date of `serial`, stored without a range test; adjusted 0.
  constexpr explicit CalendarDate(int32_t serial);
  // adjusted 0, then SetDate(year, month, day).
  constexpr CalendarDate(int32_t year, int32_t month, int32_t day);

  // Sets the date to year-month-day after month carrying:
  //   month <= 0:  month + 12 of the year before (once only: month -12 or less stays invalid);
  //   month > 12:  as many whole years carried forward as the month holds.
  // Then validates (IsValidDate) and stores the serial, or serial 0 for an invalid date, and
  // derives year, month and day from it. `adjusted` becomes 1 when the derived date differs
  // from the carried year and month and the given day, 0 otherwise:
  //   (2023, 0, 15) -> 2022-12-15, adjusted 0;   (2023, 2, 29) -> 2023-03-01, adjusted 1;
  //   (2023, -12, 1) -> serial 0, adjusted 1;    (9999, 13, 1) -> serial 0, adjusted 1.
  constexpr void SetDate(int32_t year, int32_t month, int32_t day);

  // Sets the date to today's local date (TodayParts) and returns the date itself. When the
  // current time cannot be converted to a local date, the date becomes invalid: serial 0,
  // adjusted 1.
  CalendarDate& SetToday();

  // Derives year, month and day from the serial, in that order.
  constexpr void Recompute();

  // The year of `serial`, for every int32_t serial (see the file comment).
  static constexpr int32_t YearOfSerial(int32_t serial);
  // The month of `serial` within `year`. A serial before `year` gives 1 and one after it 12.
  static constexpr int32_t MonthOfSerial(int32_t serial, int32_t year);
  // serial - DaysBeforeYear(year) - DaysBeforeMonth(year, month) + 1: the day of the month when
  // year and month are those of the serial. For inconsistent arguments the difference is
  // clamped to the int32_t range.
  static constexpr int32_t DayOfSerial(int32_t serial, int32_t year, int32_t month);

  int32_t serial;
  int32_t year;
  int32_t month;
  int32_t day;
  uint8_t adjusted;  // 0 or 1
};
#pragma pack(pop)

static_assert(sizeof(CalendarDate) == 17, "CalendarDate is a packed 17-byte record");
static_assert(offsetof(CalendarDate, adjusted) == 16, "fields follow one another");
static_assert(std::is_trivially_copyable<CalendarDate>::value, "CalendarDate is a value");

// Today's local date, read with _time64 and _localtime64. When the local-time conversion
// fails (the clock lies outside the runtime's range), all three fields are 0, which SetDate
// takes for an invalid date.
struct TodayParts {
  TodayParts();

  int32_t year;   // tm_year + 1900
  int32_t month;  // tm_mon + 1
  int32_t day;    // tm_mday
};

// ---------------------------------------------------------------------------------------------
// Implementation. Constant expressions, so that tables of dates (the era starts) are built by
// the compiler, before any code of the program runs.

namespace calendar_detail {

// Days from 0001-01-01 to 1758-01-01: serial 0 as a day count of the proleptic calendar.
constexpr int64_t kEpochDays = 641731;
constexpr int64_t kDaysPer400Years = 146097;
constexpr int64_t kDaysPer100Years = 36524;
constexpr int64_t kDaysPer4Years = 1461;

// Days of the months before each month of a common year; index 12 is the whole year.
constexpr int32_t kCommonDaysBefore[13] = {0,   31,  59,  90,  120, 151, 181,
                                           212, 243, 273, 304, 334, 365};

// 400 Gregorian years are exactly 146097 days. Counts of years and days are shifted forward
// by this many whole cycles, which makes every int32_t year and serial positive, so that the
// divisions below round down without a branch on the sign; the shift is taken off again after.
constexpr int64_t kShiftCycles = 5368710;  // 2147484000 years, more than any int32_t year

constexpr int32_t DaysInMonth(int32_t year, int32_t month) {  // month in [1, 12]
  return kCommonDaysBefore[month] - kCommonDaysBefore[month - 1] +
         (month == 2 && IsLeapYear(year) ? 1 : 0);
}

}  // namespace calendar_detail

constexpr bool IsLeapYear(int32_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int64_t DaysBeforeYear(int32_t year) {
  using namespace calendar_detail;
  // Whole years since year 1, shifted to be positive: [1, 2^32 + 2^31).
  const auto before = static_cast<uint64_t>(int64_t{year} - 1 + 400 * kShiftCycles);
  const auto days = static_cast<int64_t>(365 * before + before / 4 - before / 100 + before / 400);
  return days - kShiftCycles * kDaysPer400Years - kEpochDays;
}

constexpr int32_t DaysBeforeMonth(int32_t year, int32_t month) {
  using namespace calendar_detail;
  if (month < 1) return 0;
  if (month > 13) month = 13;
  return kCommonDaysBefore[month - 1] + (month > 2 && IsLeapYear(year) ? 1 : 0);
}

constexpr bool IsValidDate(int64_t year, int32_t month, int32_t day) {
  return year >= CalendarDate::kFirstYear && year <= CalendarDate::kLastYear && month >= 1 &&
         month <= 12 && day >= 1 && day <= 31;
}

constexpr CalendarDate::CalendarDate(int32_t serial)
    : serial(serial), year(0), month(0), day(0), adjusted(0) {
  Recompute();
}

constexpr CalendarDate::CalendarDate(int32_t year, int32_t month, int32_t day)
    : serial(0), year(0), month(0), day(0), adjusted(0) {
  SetDate(year, month, day);
}

constexpr void CalendarDate::SetDate(int32_t newYear, int32_t newMonth, int32_t newDay) {
  // Month carrying in 64 bits: year - 1 and year + (month - 1) / 12 may leave int32_t.
  int64_t carriedYear = newYear;
  int32_t carriedMonth = newMonth;
  if (carriedMonth <= 0) {
    carriedMonth += 12;  // no overflow: the month is at most 0 here
    carriedYear -= 1;
  } else if (carriedMonth > 12) {
    carriedYear += (carriedMonth - 1) / 12;
    carriedMonth = (carriedMonth - 1) % 12 + 1;  // [1, 12]
  }

  serial = 0;
  if (IsValidDate(carriedYear, carriedMonth, newDay)) {
    const auto validYear = static_cast<int32_t>(carriedYear);  // [1758, 9999]
    const int64_t value =
        DaysBeforeYear(validYear) + DaysBeforeMonth(validYear, carriedMonth) + newDay - 1;
    if (value <= kLastSerial) {
      serial = static_cast<int32_t>(value);
      // A day inside its month is the derived date itself; only a day past the month's end
      // needs the derivation from the serial.
      if (newDay <= calendar_detail::DaysInMonth(validYear, carriedMonth)) {
        year = validYear;
        month = carriedMonth;
        day = newDay;
        adjusted = 0;
        return;
      }
    }
  }
  Recompute();
  adjusted = (year != carriedYear || month != carriedMonth || day != newDay) ? 1 : 0;
}

constexpr void CalendarDate::Recompute() {
  year = YearOfSerial(serial);
  month = MonthOfSerial(serial, year);
  day = DayOfSerial(serial, year, month);
}

constexpr int32_t CalendarDate::YearOfSerial(int32_t serial) {
  using namespace calendar_detail;
  // Days since 0001-01-01 (shifted to be positive), split into 400-year cycles, centuries,
  // four-year cycles and years.
  const auto days =
      static_cast<uint64_t>(int64_t{serial} + kEpochDays + kShiftCycles * kDaysPer400Years);
  const int64_t cycles = static_cast<int64_t>(days / kDaysPer400Years) - kShiftCycles;
  uint64_t rest = days % kDaysPer400Years;             // [0, 146096]
  const uint64_t centuries = rest / kDaysPer100Years;  // [0, 4]: 4 on a cycle's last day
  rest -= centuries * kDaysPer100Years;                // [0, 36524]
  const uint64_t quads = rest / kDaysPer4Years;        // [0, 24]
  rest -= quads * kDaysPer4Years;                      // [0, 1460]
  const uint64_t years = rest / 365;                   // [0, 4]: 4 on a leap year's last day
  const auto whole = static_cast<int32_t>(
      400 * cycles + static_cast<int64_t>(100 * centuries + 4 * quads + years));
  // `whole` counts the years before the day, so the day lies in year whole + 1, except on the
  // two days where the uncapped quotients above counted the day's own year: the last day of a
  // 400-year cycle (centuries 4) and 31 December of a leap year (years 4).
  return serial >= DaysBeforeYear(whole + 1) ? whole + 1 : whole;
}

constexpr int32_t CalendarDate::MonthOfSerial(int32_t serial, int32_t year) {
  using namespace calendar_detail;
  const int64_t dayOfYear = int64_t{serial} - DaysBeforeYear(year);
  // Before the year stays in January; past December stays in December.
  const auto d = static_cast<int32_t>(dayOfYear < 0 ? 0 : dayOfYear > 365 ? 365 : dayOfYear);
  // d / 32 + 1 is the month holding d or the one before it (no month is longer than 31 days).
  int32_t month = d / 32 + 1;  // [1, 12]
  if (month < 12 && d >= DaysBeforeMonth(year, month + 1)) ++month;
  return month;
}

constexpr int32_t CalendarDate::DayOfSerial(int32_t serial, int32_t year, int32_t month) {
  const int64_t day = int64_t{serial} - DaysBeforeYear(year) - DaysBeforeMonth(year, month) + 1;
  if (day < INT32_MIN) return INT32_MIN;
  if (day > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(day);
}
