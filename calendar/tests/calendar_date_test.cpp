#include "calendar/calendar_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "platform/crt_time.h"
#include "platform/testing/seams.h"
#include "testsupport/temp_dir.h"

namespace {

struct Ymd {
  int32_t year;
  int32_t month;
  int32_t day;
};

std::ostream& operator<<(std::ostream& out, const Ymd& d) {
  return out << d.year << '-' << d.month << '-' << d.day;
}

void ExpectDate(const CalendarDate& date, int32_t serial, Ymd ymd, int adjusted) {
  EXPECT_EQ(+date.serial, serial);
  EXPECT_EQ(+date.year, ymd.year);
  EXPECT_EQ(+date.month, ymd.month);
  EXPECT_EQ(+date.day, ymd.day);
  EXPECT_EQ(+date.adjusted, adjusted);
}

constexpr Ymd kSerialZero = {1758, 1, 1};

TEST(CalendarDate, SetDateCarriesMonthsValidatesAndAdjusts) {
  struct Case {
    Ymd given;
    int32_t serial;
    Ymd stored;
    int adjusted;
  };
  const Case cases[] = {
      // February and days past the end of their month.
      {{2024, 2, 29}, 97213, {2024, 2, 29}, 0},
      {{2023, 2, 29}, 96848, {2023, 3, 1}, 1},
      {{2023, 2, 30}, 96849, {2023, 3, 2}, 1},
      {{2024, 2, 30}, 97214, {2024, 3, 1}, 1},
      {{1900, 2, 29}, 51923, {1900, 3, 1}, 1},
      {{2000, 2, 29}, 88447, {2000, 2, 29}, 0},
      {{2023, 4, 31}, 96909, {2023, 5, 1}, 1},
      {{2023, 12, 31}, 97153, {2023, 12, 31}, 0},
      {{9999, 11, 31}, 3010297, {9999, 12, 1}, 1},
      // Month carrying alone does not adjust.
      {{2023, 0, 15}, 96772, {2022, 12, 15}, 0},
      {{2023, 13, 5}, 97158, {2024, 1, 5}, 0},
      {{2023, 13, 15}, 97168, {2024, 1, 15}, 0},
      {{2023, 25, 15}, 97534, {2025, 1, 15}, 0},
      {{2023, -11, 15}, 96438, {2022, 1, 15}, 0},
      {{1758, 13, 1}, 365, {1759, 1, 1}, 0},
      {{1757, 13, 1}, 0, {1758, 1, 1}, 0},
      {{10000, 0, 1}, 3010297, {9999, 12, 1}, 0},
      // The ends of the range.
      {{1758, 1, 1}, 0, {1758, 1, 1}, 0},
      {{9999, 12, 31}, 3010327, {9999, 12, 31}, 0},
      // Invalid dates: serial 0, adjusted 1.
      {{2023, -12, 15}, 0, kSerialZero, 1},
      {{2023, 1, 0}, 0, kSerialZero, 1},
      {{2023, 6, 32}, 0, kSerialZero, 1},
      {{1757, 12, 31}, 0, kSerialZero, 1},
      {{10000, 1, 1}, 0, kSerialZero, 1},
      {{9999, 13, 1}, 0, kSerialZero, 1},
      {{9999, 12, 32}, 0, kSerialZero, 1},
      {{1758, 0, 1}, 0, kSerialZero, 1},
      // Extremes of every argument: carrying must not overflow.
      {{INT32_MAX, 1, 1}, 0, kSerialZero, 1},
      {{INT32_MIN, 1, 1}, 0, kSerialZero, 1},
      {{INT32_MIN, 0, 1}, 0, kSerialZero, 1},
      {{INT32_MAX, 13, 1}, 0, kSerialZero, 1},
      {{INT32_MAX, INT32_MAX, 1}, 0, kSerialZero, 1},
      {{2023, INT32_MAX, 1}, 0, kSerialZero, 1},
      {{2023, INT32_MIN, 1}, 0, kSerialZero, 1},
      {{INT32_MIN, INT32_MIN, INT32_MIN}, 0, kSerialZero, 1},
      {{2023, 1, INT32_MAX}, 0, kSerialZero, 1},
      {{2023, 1, INT32_MIN}, 0, kSerialZero, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "given " << c.given);
    ExpectDate(CalendarDate(c.given.year, c.given.month, c.given.day), c.serial, c.stored,
               c.adjusted);
    // SetDate on a date that was adjusted before gives the same result.
    CalendarDate reused(2023, 2, 30);
    reused.SetDate(c.given.year, c.given.month, c.given.day);
    ExpectDate(reused, c.serial, c.stored, c.adjusted);
  }
}

TEST(CalendarDate, SerialDerivesYearMonthDay) {
  struct Case {
    int32_t serial;
    Ymd date;
  };
  const Case cases[] = {
      {0, {1758, 1, 1}},
      {364, {1758, 12, 31}},
      {365, {1759, 1, 1}},
      {1095, {1760, 12, 31}},  // 31 December of a leap year
      {1096, {1761, 1, 1}},
      {15340, {1800, 1, 1}},
      {51864, {1900, 1, 1}},
      {77431, {1970, 1, 1}},
      {88388, {2000, 1, 1}},
      {88753, {2000, 12, 31}},  // last day of a 400-year cycle
      {95448, {2019, 5, 1}},
      {97086, {2023, 10, 25}},
      {3010327, {9999, 12, 31}},
      // Outside the calendar's range: the proleptic Gregorian calendar goes on.
      {3010328, {10000, 1, 1}},
      {-1, {1757, 12, 31}},
      {-641731, {1, 1, 1}},
      {-641732, {0, 12, 31}},
      {INT32_MAX, {5881368, 7, 11}},
      {INT32_MIN, {-5877853, 6, 23}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "serial " << c.serial);
    ExpectDate(CalendarDate(c.serial), c.serial, c.date, 0);
  }
}

TEST(CalendarDate, PackedValueRecord) {
  static_assert(sizeof(CalendarDate[2]) == 34, "no padding between dates in an array");
  CalendarDate dates[2] = {CalendarDate(2023, 4, 31), CalendarDate(97086)};
  CalendarDate copy = dates[0];
  dates[0].SetDate(2000, 1, 1);
  ExpectDate(copy, 96909, {2023, 5, 1}, 1);
  ExpectDate(dates[1], 97086, {2023, 10, 25}, 0);
}

TEST(CalendarFunctions, LeapYears) {
  struct Case {
    int32_t year;
    bool leap;
  };
  const Case cases[] = {{1758, false},     {1760, true},      {1800, false}, {1900, false},
                        {2000, true},      {2023, false},     {2024, true},  {2100, false},
                        {0, true},         {-4, true},        {-100, false}, {-400, true},
                        {INT32_MIN, true}, {INT32_MAX, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.year);
    EXPECT_EQ(IsLeapYear(c.year), c.leap);
  }
}

TEST(CalendarFunctions, DaysBeforeYear) {
  struct Case {
    int32_t year;
    int64_t days;
  };
  const Case cases[] = {
      {1758, 0},
      {1759, 365},
      {1760, 730},
      {1761, 1096},
      {1800, 15340},
      {2000, 88388},
      {10000, 3010328},
      {1, -641731},
      {0, -642097},
      {INT32_MAX, 784351653843},
      {INT32_MIN, -784352938402},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.year);
    EXPECT_EQ(DaysBeforeYear(c.year), c.days);
  }
}

TEST(CalendarFunctions, DaysBeforeMonth) {
  struct Case {
    int32_t year;
    int32_t month;
    int32_t days;
  };
  const Case cases[] = {
      {2023, 1, 0},    {2023, 2, 31},   {2023, 3, 59},          {2024, 3, 60}, {2023, 12, 334},
      {2024, 12, 335}, {1900, 3, 59},   {2000, 3, 60},          {2023, 0, 0},  {2023, INT32_MIN, 0},
      {2023, 13, 365}, {2024, 13, 366}, {2024, INT32_MAX, 366},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.year << " month " << c.month);
    EXPECT_EQ(DaysBeforeMonth(c.year, c.month), c.days);
  }
}

TEST(CalendarFunctions, ValidityRanges) {
  struct Case {
    Ymd date;
    bool valid;
  };
  const Case cases[] = {
      {{1758, 1, 1}, true},   {{9999, 12, 31}, true}, {{2023, 2, 31}, true},
      {{1757, 1, 1}, false},  {{10000, 1, 1}, false}, {{2023, 0, 1}, false},
      {{2023, 13, 1}, false}, {{2023, 1, 0}, false},  {{2023, 1, 32}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(IsValidDate(c.date.year, c.date.month, c.date.day), c.valid);
  }
}

TEST(CalendarFunctions, DerivationStepsWithInconsistentArguments) {
  // A serial before its year stays in January, one after it in December.
  EXPECT_EQ(CalendarDate::MonthOfSerial(-5, 2023), 1);
  EXPECT_EQ(CalendarDate::MonthOfSerial(INT32_MIN, INT32_MAX), 1);
  EXPECT_EQ(CalendarDate::MonthOfSerial(3010327, 1758), 12);
  EXPECT_EQ(CalendarDate::MonthOfSerial(INT32_MAX, INT32_MIN), 12);
  EXPECT_EQ(CalendarDate::MonthOfSerial(97086 - 1, 2023), 10);  // consistent: 2023-10-24
  // The day count saturates instead of overflowing.
  EXPECT_EQ(CalendarDate::DayOfSerial(INT32_MAX, INT32_MIN, 1), INT32_MAX);
  EXPECT_EQ(CalendarDate::DayOfSerial(INT32_MIN, INT32_MAX, 12), INT32_MIN);
  EXPECT_EQ(CalendarDate::DayOfSerial(97086, 2023, 10), 25);
  EXPECT_EQ(CalendarDate::DayOfSerial(97086, 2023, 9), 55);
}

#ifndef _WIN32
// The clock is the POSIX backend's seam; on Windows SetToday reads the system's clock only.
constexpr __time64_t kMarch7Noon = 1709769600 + 12 * 3600;  // 2024-03-07 12:00 UTC
__time64_t March7Noon() { return kMarch7Noon; }
__time64_t BeforeTheRuntimeRange() { return -1; }

// The same instant is a different day east and west of the date line: today is the local day.
TEST(CalendarDate, SetTodayTakesTheLocalDate) {
  const struct {
    const char* zone;
    int32_t serial;
    Ymd local;
  } cases[] = {
      {"UTC", 97220, {2024, 3, 7}},
      {"Asia/Tokyo", 97220, {2024, 3, 7}},          // 21:00
      {"Pacific/Kiritimati", 97221, {2024, 3, 8}},  // UTC+14: 02:00 the next day
      {"Pacific/Pago_Pago", 97220, {2024, 3, 7}},   // UTC-11: 01:00
  };
  platform::ScopedOverride<__time64_t()> clock(platform::seams::CurrentTime, March7Noon);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zone);
    const testsupport::ScopedTimeZone zone(c.zone);
    CalendarDate date(0);
    EXPECT_EQ(&date.SetToday(), &date);
    ExpectDate(date, c.serial, c.local, 0);

    const TodayParts today;
    EXPECT_EQ(today.year, c.local.year);
    EXPECT_EQ(today.month, c.local.month);
    EXPECT_EQ(today.day, c.local.day);
  }
}

TEST(CalendarDate, SetTodayWithoutLocalTimeGivesAnInvalidDate) {
  platform::ScopedOverride<__time64_t()> clock(platform::seams::CurrentTime, BeforeTheRuntimeRange);
  const TodayParts today;
  EXPECT_EQ(today.year, 0);
  EXPECT_EQ(today.month, 0);
  EXPECT_EQ(today.day, 0);
  CalendarDate date(97086);
  ExpectDate(date.SetToday(), 0, kSerialZero, 1);
}
#endif

TEST(CalendarDate, SetTodayWithTheRealClock) {
  CalendarDate date(0);
  date.SetToday();
  EXPECT_EQ(+date.adjusted, 0);
  EXPECT_GE(+date.year, 2024);
  EXPECT_GT(+date.serial, 0);
}

}  // namespace
