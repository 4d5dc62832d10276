#include "engine/day_count.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/not_computable.h"

namespace bio {
namespace {

TEST(DayNumber, KnownDates) {
  const struct {
    double y, m, d, number;
  } cases[] = {
      {1900, 3, 4, 0},      {1900, 3, 1, -3},    {1900, 2, 28, -5},   {1899, 12, 31, -64},
      {1900, 1, 1, -63},    {1970, 1, 1, 25505}, {2000, 1, 1, 36462}, {1975, 5, 3, 27453},
      {2024, 5, 3, 45351},  {2024, 5, 1, 45349}, {1989, 1, 8, 32452}, {0, 1, 1, -694038},
      {2024, 4, 31, 45349},  // 31 April is 1 May
      {2023, 13, 1, 45228},  // month 13 is January of the next year
      {2024, 1, 1, 45228},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DayNumber(c.y, c.m, c.d), c.number) << c.y << '/' << c.m << '/' << c.d;
  }
}

// Every fourth year has a 29 February, centuries included, so the serial must
// run without a gap or a repeat through every month and year boundary.
TEST(DayNumber, ConsecutiveDaysDifferByOne) {
  double previous = DayNumber(1799, 12, 31);
  for (int y = 1800; y <= 2200; ++y) {
    for (int m = 1; m <= 12; ++m) {
      static constexpr int kLength[] = {31, 0, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
      const int days = m == 2 ? (y % 4 == 0 ? 29 : 28) : kLength[m - 1];
      for (int d = 1; d <= days; ++d) {
        const double n = DayNumber(y, m, d);
        ASSERT_EQ(n - previous, 1) << y << '/' << m << '/' << d;
        previous = n;
      }
    }
  }
}

struct Positions {
  double lived, physical;
  int emotion;
  double intellect;
};

SharedState Lived(double days) {
  // Birth on day number 0 (4 March 1900), target `days` later.
  SharedState s;
  s.PersonIndex = 1;
  s.BirthYear = 1900;
  s.BirthMonth = 3;
  s.BirthDay = 4;
  s.TargetYear = 1900;
  s.TargetMonth = 3;
  s.TargetDay = 4 + days;
  return s;
}

TEST(CountDays, PositionsOfKnownDaysLived) {
  const Positions cases[] = {
      {0, 0, 0, 0},       {23, 0, 23, 23},  {28, 5, 0, 28},    {33, 10, 5, 0},    {10000, 18, 4, 1},
      {12345, 17, 25, 3}, {-2, 21, 26, 31}, {17898, 4, 6, 12}, {17896, 2, 4, 10},
  };
  for (const auto& c : cases) {
    SharedState s = Lived(c.lived);
    CountDays(s);
    EXPECT_EQ(s.DaysLived, c.lived);
    EXPECT_EQ(s.PhysicalPosition, c.physical) << c.lived;
    EXPECT_EQ(s.EmotionPosition[1], c.emotion) << c.lived;
    EXPECT_EQ(s.IntellectPosition, c.intellect) << c.lived;
    EXPECT_EQ(s.EmotionPosition[0], 0);
    EXPECT_EQ(s.EmotionPosition[2], 0);
  }
}

TEST(CountDays, ExampleRunOf1975) {
  SharedState s;
  s.PersonIndex = 1;
  s.BirthYear = 1975, s.BirthMonth = 5, s.BirthDay = 3;
  s.TargetYear = 2024, s.TargetMonth = 5, s.TargetDay = 3;
  CountDays(s);
  EXPECT_EQ(s.BirthDayNumber, 27453);
  EXPECT_EQ(s.TargetDayNumber, 45351);
  EXPECT_EQ(s.DaysLived, 17898);

  s.BirthYear = 1900, s.BirthMonth = 2, s.BirthDay = 28;
  s.TargetYear = 1900, s.TargetMonth = 3, s.TargetDay = 1;
  CountDays(s);
  EXPECT_EQ(s.DaysLived, 2);
}

TEST(CountDays, PositionsStayInTheirCycles) {
  for (double lived = -200000; lived <= 200000; lived += 7.0) {
    SharedState s = Lived(lived);
    CountDays(s);
    ASSERT_TRUE(s.PhysicalPosition >= 0 && s.PhysicalPosition < 23) << lived;
    ASSERT_TRUE(s.EmotionPosition[1] >= 0 && s.EmotionPosition[1] < 28) << lived;
    ASSERT_TRUE(s.IntellectPosition >= 0 && s.IntellectPosition < 33) << lived;
    ASSERT_EQ(std::fmod(lived - s.PhysicalPosition, 23.0), 0.0) << lived;
  }
}

TEST(CountDays, FractionalBirthDayRoundsTheEmotionHalfToEven) {
  // Born on the 3.5th: lived is x.5 days; the emotion slot rounds to even.
  SharedState s;
  s.PersonIndex = 1;
  s.BirthYear = 2024, s.BirthMonth = 5, s.BirthDay = 3.5;
  s.TargetYear = 2024, s.TargetMonth = 5, s.TargetDay = 16;  // 12.5 days
  CountDays(s);
  EXPECT_EQ(s.DaysLived, 12.5);
  EXPECT_EQ(s.EmotionPosition[1], 12);
  EXPECT_EQ(s.PhysicalPosition, 12.5);
  EXPECT_EQ(s.IntellectPosition, 12.5);
  s.TargetDay = 17;  // 13.5 days
  CountDays(s);
  EXPECT_EQ(s.EmotionPosition[1], 14);
}

// Above 2^24 days the single-precision product is no longer exact, and the
// physical position must show it; a double computation would stay in 0..22.
TEST(CountDays, PhysicalProductIsSinglePrecision) {
  const double lived = 100000000;  // q23 = 4347826, 23 * q23 = 99999998
  SharedState s = Lived(lived);
  CountDays(s);
  const float q = 4347826.0f;
  const double single = lived - static_cast<double>(q * 23.0f);
  EXPECT_EQ(s.PhysicalPosition, single);
  EXPECT_NE(s.PhysicalPosition, 2.0);  // the exact remainder
  // Below 2^24 both agree.
  SharedState small = Lived(16777000);
  CountDays(small);
  EXPECT_EQ(small.PhysicalPosition, std::fmod(16777000.0, 23.0));
}

TEST(CountDays, OutOfRangeIsReportedAndLeavesTheStateAlone) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double birth_year, target_year;
  } cases[] = {
      {inf, 2024},
      {0, -inf},
      {1e300, 2024},  // physical quotient leaves float
      {std::numeric_limits<double>::quiet_NaN(), 2024},
  };
  for (const auto& c : cases) {
    SharedState s;
    s.PersonIndex = 1;
    s.DaysLived = 123;
    s.BirthYear = c.birth_year, s.BirthMonth = 1, s.BirthDay = 1;
    s.TargetYear = c.target_year, s.TargetMonth = 1, s.TargetDay = 1;
    EXPECT_THROW(CountDays(s), NotComputable) << c.birth_year << ' ' << c.target_year;
    EXPECT_EQ(s.DaysLived, 123);
  }
}

}  // namespace
}  // namespace bio
