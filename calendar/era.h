// Japanese eras and the date texts built from a CalendarDate.
//
// Dates fall into 21 eras, index 0 (every date before 1764-01-01) to 20 (from 2019-05-01 on).
// The first day of an era belongs to the new era; the calendar year in which an era begins is
// year 1 of the new era and, for the days before its first day, the last year of the old one:
//
//   EraDate era(CalendarDate(2019, 4, 30));   // eraIndex 19, eraYear 31
//   EraDate reiwa(CalendarDate(2019, 5, 1));  // eraIndex 20, eraYear 1
//
// DateText writes a date as digits chosen by flags, for file names:
//
//   std::string text;
//   DateText(CalendarDate(2023, 10, 25), DTF_YEAR | DTF_MONTH | DTF_DAY, text);  // "20231025"
//   DateText(CalendarDate(2023, 10, 25), 0xF0, text);                           // "R051025"
#pragma once

#include <cstdint>
#include <string>

#include "calendar/calendar_date.h"

constexpr int kEraCount = 21;

// The first days of eras 1 to 20, oldest first. Era 0 has no entry: it has no first day, and
// its first year, 1751, is a constant of EraYearOf. Built by the compiler (constant
// initialisation), so it is complete before any code of the program runs.
extern const CalendarDate EraStarts[kEraCount - 1];

// The eras' names, index 0 to 20, each two double-byte characters of code page 932.
extern const char* const EraNames[kEraCount];

// A date placed in its era.
struct EraDate {
  explicit EraDate(const CalendarDate& date);

  // The era of `date`: the number of era starts on or before it, 0 to 20.
  static int32_t EraIndexOf(const CalendarDate& date);
  // The year of `date` within its era, 1 in the era's first calendar year.
  static int32_t EraYearOf(const CalendarDate& date);

  int32_t eraYear;
  int32_t month;
  int32_t day;
  int32_t eraIndex;
};

// The letter that stands for the era in a date text: 'M', 'T', 'S', 'H', 'R' for the eras
// 16 to 20; -1 for every other index.
int EraLetter(int32_t eraIndex);

// Flags of DateText. All other bits are ignored.
constexpr int DTF_YEAR = 0x10;   // the year, four digits
constexpr int DTF_MONTH = 0x20;  // the month, two digits
constexpr int DTF_DAY = 0x40;    // the day, two digits
constexpr int DTF_ERA = 0x80;    // with DTF_YEAR: era letter and two-digit era year for the year

// Replaces `text` with the pieces that `flags` select, in the order year (or era letter and
// era year), month, day, without separators, and returns its length in bytes. The widths are
// minimums: a wider number is written in full. The text is empty and the result 0 when
//   - the date's serial is 0 (no date; this includes 1758-01-01),
//   - DTF_ERA and DTF_YEAR are set and the date's era has no letter (before 1868-09-08),
//   - the flags select no piece.
// Running out of memory throws std::bad_alloc.
int DateText(const CalendarDate& date, int flags, std::string& text);
