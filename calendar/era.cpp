#include "calendar/era.h"

#include "platform/format.h"

namespace {

constexpr int32_t kFirstYearOfEraZero = 1751;

}  // namespace

constexpr CalendarDate EraStarts[kEraCount - 1] = {
    CalendarDate(1764, 1, 1),    // 1
    CalendarDate(1772, 1, 1),    // 2
    CalendarDate(1781, 1, 1),    // 3
    CalendarDate(1789, 1, 1),    // 4
    CalendarDate(1801, 1, 1),    // 5
    CalendarDate(1804, 1, 1),    // 6
    CalendarDate(1818, 1, 1),    // 7
    CalendarDate(1830, 1, 1),    // 8
    CalendarDate(1844, 1, 1),    // 9
    CalendarDate(1848, 1, 1),    // 10
    CalendarDate(1854, 1, 1),    // 11
    CalendarDate(1860, 1, 1),    // 12
    CalendarDate(1861, 1, 1),    // 13
    CalendarDate(1864, 1, 1),    // 14
    CalendarDate(1865, 4, 7),    // 15
    CalendarDate(1868, 9, 8),    // 16
    CalendarDate(1912, 7, 30),   // 17
    CalendarDate(1926, 12, 25),  // 18
    CalendarDate(1989, 1, 8),    // 19
    CalendarDate(2019, 5, 1),    // 20
};

// Every start is a valid day inside its month, so none was adjusted.
static_assert([] {
  for (const CalendarDate& start : EraStarts) {
    if (start.adjusted != 0 || start.serial == 0) return false;
  }
  return true;
}());

// Code page 932 bytes of the names (the characters in the comments).
constexpr const char* const EraNames[kEraCount] = {
    "\x95\xf3\x97\xef",  // 宝暦
    "\x96\xbe\x98\x61",  // 明和
    "\x88\xc0\x89\x69",  // 安永
    "\x93\x56\x96\xbe",  // 天明
    "\x8a\xb0\x90\xad",  // 寛政
    "\x8b\x9c\x98\x61",  // 亨和
    "\x95\xb6\x89\xbb",  // 文化
    "\x95\xb6\x90\xad",  // 文政
    "\x93\x56\x95\xdb",  // 天保
    "\x8d\x4f\x89\xbb",  // 弘化
    "\x89\xc3\x89\x69",  // 嘉永
    "\x88\xc0\x90\xad",  // 安政
    "\x96\x9c\x89\x84",  // 万延
    "\x95\xb6\x8b\x76",  // 文久
    "\x8c\xb3\x8e\xa1",  // 元治
    "\x8c\x63\x89\x9e",  // 慶応
    "\x96\xbe\x8e\xa1",  // 明治
    "\x91\xe5\x90\xb3",  // 大正
    "\x8f\xba\x98\x61",  // 昭和
    "\x95\xbd\x90\xac",  // 平成
    "\x97\xdf\x98\x61",  // 令和
};

EraDate::EraDate(const CalendarDate& date)
    : eraYear(EraYearOf(date)), month(date.month), day(date.day), eraIndex(EraIndexOf(date)) {}

int32_t EraDate::EraIndexOf(const CalendarDate& date) {
  int32_t index = 0;
  while (index < kEraCount - 1 && date.serial >= EraStarts[index].serial) ++index;
  return index;
}

int32_t EraDate::EraYearOf(const CalendarDate& date) {
  const int32_t index = EraIndexOf(date);
  const int32_t firstYear = index == 0 ? kFirstYearOfEraZero : EraStarts[index - 1].year;
  // No overflow: a date's year lies within about +-5.9 million.
  return date.year - firstYear + 1;
}

int EraLetter(int32_t eraIndex) {
  switch (eraIndex) {
    case 16:
      return 'M';
    case 17:
      return 'T';
    case 18:
      return 'S';
    case 19:
      return 'H';
    case 20:
      return 'R';
    default:
      return -1;
  }
}

int DateText(const CalendarDate& date, int flags, std::string& text) {
  text.clear();
  if (date.serial == 0) return 0;
  if ((flags & DTF_ERA) != 0 && (flags & DTF_YEAR) != 0) {
    const EraDate era(date);
    const int letter = EraLetter(era.eraIndex);
    if (letter == -1) return 0;
    AppendFormat(text, "%c%0*d", letter, 2, era.eraYear);
  } else if ((flags & DTF_YEAR) != 0) {
    AppendFormat(text, "%0*d", 4, date.year);
  }
  if ((flags & DTF_MONTH) != 0) AppendFormat(text, "%0*d", 2, date.month);
  if ((flags & DTF_DAY) != 0) AppendFormat(text, "%0*d", 2, date.day);
  return static_cast<int>(text.size());
}
