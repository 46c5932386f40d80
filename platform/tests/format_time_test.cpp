#include <gtest/gtest.h>

#include <climits>

#include "platform/crt_time.h"
#include "platform/format.h"
#include "platform/testing/seams.h"

namespace {

TEST(AppendFormat, AppendsFormattedText) {
  std::string text = "x";
  AppendFormat(text, "%0*d", 4, 7);
  AppendFormat(text, "%c%0*d", 'R', 2, 5);
  AppendFormat(text, "%0*d", 2, 123);
  EXPECT_EQ(text, "x0007R05123");
  std::string big;
  AppendFormat(big, "%0*d", 2000, INT_MIN);
  EXPECT_EQ(big.size(), 2000u);
  EXPECT_EQ(big.front(), '-');
}

TEST(CrtTime, RangeOfTheRuntime) {
  const __time64_t epoch = 0;
  EXPECT_NE(_localtime64(&epoch), nullptr);
  const __time64_t before = -1;
  EXPECT_EQ(_localtime64(&before), nullptr);
  const __time64_t after = 32535216000;  // 3001-01-01 00:00:00 UTC
  EXPECT_EQ(_localtime64(&after), nullptr);
  EXPECT_EQ(_localtime64(nullptr), nullptr);

  std::tm early = {};
  early.tm_year = 1969 - 1900;
  early.tm_mon = 5;
  early.tm_mday = 1;
  early.tm_isdst = -1;
  EXPECT_EQ(_mktime64(&early), -1);
}

TEST(CrtTime, LocalTimeRoundTrip) {
  const __time64_t moment = 1709769600 + 12 * 3600;  // 2024-03-07 12:00 UTC
  std::tm* local = _localtime64(&moment);
  ASSERT_NE(local, nullptr);
  std::tm copy = *local;
  copy.tm_isdst = -1;
  EXPECT_EQ(_mktime64(&copy), moment);
}

__time64_t FixedClock() { return 1709769600 + 12 * 3600; }

TEST(CrtTime, ClockSeamFixesToday) {
  platform::ScopedOverride<__time64_t()> fixed(platform::seams::CurrentTime, FixedClock);
  __time64_t stored = 0;
  EXPECT_EQ(_time64(&stored), FixedClock());
  EXPECT_EQ(stored, FixedClock());
}

}  // namespace
