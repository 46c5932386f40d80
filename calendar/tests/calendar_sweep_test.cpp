// Day-by-day checks of the calendar against <chrono>'s civil calendar (C++20), which shares no
// code with it. Mismatches are counted and the first few reported, so that a fault does not
// flood the output with millions of lines.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <iostream>

#include "calendar/calendar_date.h"

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int kReportedMismatches = 10;

class Mismatches {
 public:
  template <typename Describe>
  void Add(Describe describe) {
    if (++count_ <= kReportedMismatches) ADD_FAILURE() << describe();
  }
  int count() const { return count_; }

 private:
  int count_ = 0;
};

const sys_days kSerialZero = sys_days{std::chrono::year{1758} / 1 / 1};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every serial of the range reads as the day that many days after 1758-01-01, and SetDate of
// that day gives the serial back, unadjusted.
TEST(CalendarSweep, EverySerialAndBack) {
  const auto start = std::chrono::steady_clock::now();
  Mismatches mismatches;
  for (int32_t serial = 0; serial <= CalendarDate::kLastSerial; ++serial) {
    const year_month_day expected{kSerialZero + days{serial}};
    const auto year = static_cast<int32_t>(static_cast<int>(expected.year()));
    const auto month = static_cast<int32_t>(static_cast<unsigned>(expected.month()));
    const auto day = static_cast<int32_t>(static_cast<unsigned>(expected.day()));
    const CalendarDate date(serial);
    if (date.year != year || date.month != month || date.day != day || date.adjusted != 0) {
      mismatches.Add([&] {
        return ::testing::Message()
               << "serial " << serial << " reads " << date.year << '-' << date.month << '-'
               << date.day << ", expected " << year << '-' << month << '-' << day;
      });
    }
    const CalendarDate back(year, month, day);
    if (back.serial != serial || back.adjusted != 0) {
      mismatches.Add([&] {
        return ::testing::Message()
               << year << '-' << month << '-' << day << " gives serial " << back.serial
               << " adjusted " << int{back.adjusted} << ", expected " << serial;
      });
    }
  }
  EXPECT_EQ(mismatches.count(), 0);
  std::cout << "[ sweep    ] serials 0..3010327 and back in " << SecondsSince(start) << " s\n";
}

// Every year, month and day 1 to 31 of the range: a day inside its month is stored as given,
// a day past the month's end lands that many days after the 1st, adjusted.
TEST(CalendarSweep, EveryDayNumberOfEveryMonth) {
  Mismatches mismatches;
  for (int32_t year = CalendarDate::kFirstYear; year <= CalendarDate::kLastYear; ++year) {
    for (int32_t month = 1; month <= 12; ++month) {
      const std::chrono::year_month ym{std::chrono::year{year},
                                       std::chrono::month{static_cast<unsigned>(month)}};
      const sys_days first{ym / 1};
      const auto lastDay =
          static_cast<int32_t>(static_cast<unsigned>((ym / std::chrono::last).day()));
      for (int32_t day = 1; day <= 31; ++day) {
        const sys_days expected = first + days{day - 1};
        const int64_t serial = (expected - kSerialZero).count();
        const int adjusted = day > lastDay ? 1 : 0;
        const CalendarDate date(year, month, day);
        // 9999-12-31 is the last day, so no spill leaves the range.
        if (date.serial != serial || date.adjusted != adjusted) {
          mismatches.Add([&] {
            return ::testing::Message() << year << '-' << month << '-' << day << " gives serial "
                                        << date.serial << " adjusted " << int{date.adjusted}
                                        << ", expected " << serial << " adjusted " << adjusted;
          });
        }
      }
    }
  }
  EXPECT_EQ(mismatches.count(), 0);
}

// Serials outside the range read as the proleptic Gregorian day. Checked against <chrono> for
// the years it covers and against the civil_from_days algorithm of Howard Hinnant (written
// here in 64-bit arithmetic) over the whole int32_t range.
struct Civil {
  int64_t year;
  int64_t month;
  int64_t day;
};

Civil CivilFromDays(int64_t z) {  // z: days since 1970-01-01
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;                                       // [0, 146096]
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
  const int64_t mp = (5 * doy + 2) / 153;                                     // [0, 11]
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;                           // [1, 31]
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;                            // [1, 12]
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr int64_t kSerialZeroFrom1970 = -77431;  // 1758-01-01 in days since 1970-01-01

TEST(CalendarSweep, SerialsOutsideTheRange) {
  Mismatches mismatches;
  const auto check = [&](int64_t serial) {
    const Civil expected = CivilFromDays(serial + kSerialZeroFrom1970);
    const CalendarDate date(static_cast<int32_t>(serial));
    if (date.year != expected.year || date.month != expected.month || date.day != expected.day ||
        date.serial != serial || date.adjusted != 0) {
      mismatches.Add([&] {
        return ::testing::Message()
               << "serial " << serial << " reads " << date.year << '-' << date.month << '-'
               << date.day << ", expected " << expected.year << '-' << expected.month << '-'
               << expected.day;
      });
    }
  };
  // Every day of the years 1 to 1757 and 10000 to 12000, against <chrono> as well.
  for (int64_t serial = -641731; serial < 0; ++serial) check(serial);
  for (int64_t serial = CalendarDate::kLastSerial + 1; serial < 3740000; ++serial) check(serial);
  const year_month_day chronoCheck{kSerialZero + days{-641731}};
  EXPECT_EQ(chronoCheck, std::chrono::year{1} / 1 / 1);
  // A stride through the whole int32_t range, and its ends.
  for (int64_t serial = INT32_MIN; serial <= INT32_MAX; serial += 9973) check(serial);
  for (int64_t serial = INT32_MIN; serial < INT32_MIN + 800; ++serial) check(serial);
  for (int64_t serial = INT32_MAX - 800; serial <= INT32_MAX; ++serial) check(serial);
  EXPECT_EQ(mismatches.count(), 0);
}

}  // namespace
