#include "calendar/era.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/codepage.h"

namespace {

struct Ymd {
  int32_t year;
  int32_t month;
  int32_t day;
};

// The day before and the day of every era start: the start belongs to the new era (year 1),
// the day before to the old one.
TEST(EraDate, EveryEraStartAndTheDayBefore) {
  struct Case {
    Ymd start;
    Ymd before;
    int32_t eraYearBefore;  // in era index - 1
  };
  const Case cases[] = {
      {{1764, 1, 1}, {1763, 12, 31}, 13}, {{1772, 1, 1}, {1771, 12, 31}, 8},
      {{1781, 1, 1}, {1780, 12, 31}, 9},  {{1789, 1, 1}, {1788, 12, 31}, 8},
      {{1801, 1, 1}, {1800, 12, 31}, 12}, {{1804, 1, 1}, {1803, 12, 31}, 3},
      {{1818, 1, 1}, {1817, 12, 31}, 14}, {{1830, 1, 1}, {1829, 12, 31}, 12},
      {{1844, 1, 1}, {1843, 12, 31}, 14}, {{1848, 1, 1}, {1847, 12, 31}, 4},
      {{1854, 1, 1}, {1853, 12, 31}, 6},  {{1860, 1, 1}, {1859, 12, 31}, 6},
      {{1861, 1, 1}, {1860, 12, 31}, 1},  {{1864, 1, 1}, {1863, 12, 31}, 3},
      {{1865, 4, 7}, {1865, 4, 6}, 2},    {{1868, 9, 8}, {1868, 9, 7}, 4},
      {{1912, 7, 30}, {1912, 7, 29}, 45}, {{1926, 12, 25}, {1926, 12, 24}, 15},
      {{1989, 1, 8}, {1989, 1, 7}, 64},   {{2019, 5, 1}, {2019, 4, 30}, 31},
  };
  static_assert(sizeof(cases) / sizeof(cases[0]) == kEraCount - 1, "one row per era start");
  int32_t index = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "era " << index);
    const CalendarDate start(c.start.year, c.start.month, c.start.day);
    const CalendarDate before(c.before.year, c.before.month, c.before.day);
    ASSERT_EQ(+start.adjusted, 0);
    ASSERT_EQ(+before.adjusted, 0);
    ASSERT_EQ(before.serial + 1, +start.serial);
    EXPECT_EQ(+EraStarts[index - 1].serial, +start.serial);
    EXPECT_EQ(+EraStarts[index - 1].adjusted, 0);

    const EraDate atStart(start);
    EXPECT_EQ(atStart.eraIndex, index);
    EXPECT_EQ(atStart.eraYear, 1);
    EXPECT_EQ(atStart.month, c.start.month);
    EXPECT_EQ(atStart.day, c.start.day);
    const EraDate dayBefore(before);
    EXPECT_EQ(dayBefore.eraIndex, index - 1);
    EXPECT_EQ(dayBefore.eraYear, c.eraYearBefore);
    EXPECT_EQ(dayBefore.month, c.before.month);
    EXPECT_EQ(dayBefore.day, c.before.day);
    ++index;
  }
}

TEST(EraDate, IndexAndYearOfDates) {
  struct Case {
    CalendarDate date;
    int32_t eraIndex;
    int32_t eraYear;
  };
  const Case cases[] = {
      {CalendarDate(1758, 6, 1), 0, 8},
      {CalendarDate(1763, 12, 31), 0, 13},
      {CalendarDate(1764, 1, 1), 1, 1},
      {CalendarDate(1865, 4, 6), 14, 2},
      {CalendarDate(1865, 4, 7), 15, 1},
      {CalendarDate(9999, 12, 31), 20, 7981},
      {CalendarDate(0), 0, 8},   // also an invalid date
      {CalendarDate(-1), 0, 7},  // 1757-12-31
      {CalendarDate(INT32_MIN), 0, -5879603},
      {CalendarDate(INT32_MAX), 20, 5879350},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "serial " << c.date.serial);
    EXPECT_EQ(EraDate::EraIndexOf(c.date), c.eraIndex);
    EXPECT_EQ(EraDate::EraYearOf(c.date), c.eraYear);
  }
}

TEST(EraLetter, LettersOfTheLastFiveEras) {
  struct Case {
    int32_t index;
    int letter;
  };
  const Case cases[] = {{16, 'M'}, {17, 'T'}, {18, 'S'}, {19, 'H'},       {20, 'R'},      {0, -1},
                        {15, -1},  {21, -1},  {-1, -1},  {INT32_MIN, -1}, {INT32_MAX, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(EraLetter(c.index), c.letter);
  }
  EXPECT_EQ(EraLetter(16), 77);
  EXPECT_EQ(EraLetter(20), 82);
}

TEST(EraNames, CodePage932TextOfEachEra) {
  const char* const expected[kEraCount] = {"宝暦", "明和", "安永", "天明", "寛政", "亨和", "文化",
                                           "文政", "天保", "弘化", "嘉永", "安政", "万延", "文久",
                                           "元治", "慶応", "明治", "大正", "昭和", "平成", "令和"};
  for (int i = 0; i < kEraCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::string(EraNames[i]).size(), 4u);  // two double-byte characters
    EXPECT_EQ(platform::Utf8FromAnsi(EraNames[i]), expected[i]);
  }
}

TEST(DateText, FlagsSelectThePieces) {
  struct Case {
    CalendarDate date;
    int flags;
    const char* text;
  };
  const Case cases[] = {
      {CalendarDate(2023, 10, 25), 0x70, "20231025"},
      {CalendarDate(2023, 10, 25), 0xF0, "R051025"},
      {CalendarDate(2023, 10, 25), 0x30, "202310"},
      {CalendarDate(2023, 10, 25), 0x10, "2023"},
      {CalendarDate(2023, 10, 25), 0xA0, "10"},  // era without year: no effect
      {CalendarDate(2023, 10, 25), 0xC0, "25"},
      {CalendarDate(2023, 10, 25), 0x80, ""},
      {CalendarDate(2023, 10, 25), 0x00, ""},
      {CalendarDate(2023, 10, 25), 0x0F, ""},                              // no piece selected
      {CalendarDate(2023, 10, 25), 0x70 | 0x100 | INT32_MIN, "20231025"},  // other bits ignored
      {CalendarDate(2019, 4, 30), 0xF0, "H310430"},
      {CalendarDate(2019, 5, 1), 0xF0, "R010501"},
      {CalendarDate(1989, 1, 7), 0x90, "S64"},
      {CalendarDate(1989, 1, 8), 0x90, "H01"},
      {CalendarDate(1926, 12, 24), 0x90, "T15"},
      {CalendarDate(1926, 12, 25), 0x90, "S01"},
      {CalendarDate(1912, 7, 29), 0x90, "M45"},
      {CalendarDate(1912, 7, 30), 0x90, "T01"},
      {CalendarDate(1868, 9, 8), 0xF0, "M010908"},
      {CalendarDate(1868, 9, 7), 0xF0, ""},  // no letter: no month or day either
      {CalendarDate(1868, 9, 7), 0x60, "0907"},
      {CalendarDate(2119, 5, 1), 0x90, "R101"},
      {CalendarDate(9999, 12, 31), 0xF0, "R79811231"},
      {CalendarDate(1758, 1, 2), 0x70, "17580102"},
      {CalendarDate(1758, 1, 1), 0x70, ""},  // serial 0 is no date
      {CalendarDate(2023, 1, 0), 0x70, ""},  // invalid
      {CalendarDate(2023, 2, 30), 0x70, "20230302"},
      // Serials outside the range are written as the dates they read as.
      {CalendarDate(3010328), 0x70, "100000101"},
      {CalendarDate(-1), 0x70, "17571231"},
      {CalendarDate(-1), 0xF0, ""},
      {CalendarDate(INT32_MAX), 0xF0, "R58793500711"},
      {CalendarDate(INT32_MIN), 0x70, "-58778530623"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "serial " << c.date.serial << " flags " << c.flags);
    std::string text = "previous content";
    const int length = DateText(c.date, c.flags, text);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(length, static_cast<int>(std::string(c.text).size()));
  }
}

TEST(DateText, TodayAsTheLogSetUpAsksForIt) {
  CalendarDate date(0);
  date.SetToday();
  std::string text;
  ASSERT_EQ(DateText(date, 0x70, text), 8);
  EXPECT_EQ(text.substr(0, 4), std::to_string(date.year));
}

}  // namespace
