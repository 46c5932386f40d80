// Serial day number <-> calendar date: CalendarDate against <chrono>'s civil calendar (C++20)
// over the same days. Each iteration converts one day; the days step through the calendar's
// whole range with a stride, so no branch predictor learns a single month.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "calendar/calendar_date.h"

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int kDays = 4096;

const std::vector<int32_t>& Serials() {
  static const std::vector<int32_t> serials = [] {
    std::vector<int32_t> result;
    uint32_t state = 12345;
    for (int i = 0; i < kDays; ++i) {
      state = state * 1664525u + 1013904223u;  // any day of the range, reproducibly
      result.push_back(static_cast<int32_t>(state % (CalendarDate::kLastSerial + 1)));
    }
    return result;
  }();
  return serials;
}

struct Ymd {
  int32_t year, month, day;
};

const std::vector<Ymd>& Dates() {
  static const std::vector<Ymd> dates = [] {
    std::vector<Ymd> result;
    for (int32_t serial : Serials()) {
      const CalendarDate date(serial);
      result.push_back({date.year, date.month, date.day});
    }
    return result;
  }();
  return dates;
}

const sys_days kSerialZero = sys_days{std::chrono::year{1758} / 1 / 1};

void SerialToDate_CalendarDate(benchmark::State& state) {
  const auto& serials = Serials();
  size_t i = 0;
  for (auto _ : state) {
    const CalendarDate date(serials[i++ & (kDays - 1)]);
    benchmark::DoNotOptimize(date.year);
    benchmark::DoNotOptimize(date.month);
    benchmark::DoNotOptimize(date.day);
  }
}
BENCHMARK(SerialToDate_CalendarDate);

void SerialToDate_Chrono(benchmark::State& state) {
  const auto& serials = Serials();
  size_t i = 0;
  for (auto _ : state) {
    const year_month_day date{kSerialZero + days{serials[i++ & (kDays - 1)]}};
    benchmark::DoNotOptimize(date);
  }
}
BENCHMARK(SerialToDate_Chrono);

// SetDate validates, carries and sets `adjusted`; the peer converts and tests ok(), which is
// the least a caller of <chrono> does with a date from outside.
void DateToSerial_CalendarDate(benchmark::State& state) {
  const auto& dates = Dates();
  size_t i = 0;
  CalendarDate date(0);
  for (auto _ : state) {
    const Ymd& d = dates[i++ & (kDays - 1)];
    date.SetDate(d.year, d.month, d.day);
    benchmark::DoNotOptimize(date.serial);
    benchmark::DoNotOptimize(date.adjusted);
  }
}
BENCHMARK(DateToSerial_CalendarDate);

void DateToSerial_Chrono(benchmark::State& state) {
  const auto& dates = Dates();
  size_t i = 0;
  for (auto _ : state) {
    const Ymd& d = dates[i++ & (kDays - 1)];
    const year_month_day date{std::chrono::year{d.year},
                              std::chrono::month{static_cast<unsigned>(d.month)},
                              std::chrono::day{static_cast<unsigned>(d.day)}};
    const bool ok = date.ok();
    const int32_t serial = ok ? static_cast<int32_t>((sys_days{date} - kSerialZero).count()) : 0;
    benchmark::DoNotOptimize(serial);
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(DateToSerial_Chrono);

}  // namespace

BENCHMARK_MAIN();
