#include "engine/weekday.h"

#include <gtest/gtest.h>

#include "engine/day_count.h"

namespace bio {
namespace {

TEST(BirthWeekday, NamesFromDayNumbers) {
  const struct {
    double day_number;
    double weekday;
    const char* name;  // nullptr: no name
  } cases[] = {
      {27453, 6, "土曜日"}, {32452, 0, "日曜日"},    {-5, 2, "火曜日"},
      {0, 0, "日曜日"},     {-1, 6, "土曜日"},       {-7, 0, "日曜日"},
      {45349, 3, "水曜日"}, {27453.5, 6.5, nullptr},  // a birth day typed with a fraction
  };
  for (const auto& c : cases) {
    SharedState s;
    s.BirthDayNumber = c.day_number;
    ComputeBirthWeekday(s);
    EXPECT_EQ(s.BirthWeekday, c.weekday) << c.day_number;
    const auto name = WeekdayName(s.BirthWeekday);
    if (c.name) {
      ASSERT_TRUE(name.has_value()) << c.day_number;
      EXPECT_EQ(*name, c.name);
    } else {
      EXPECT_FALSE(name.has_value()) << c.day_number;
    }
  }
}

TEST(FirstWeekday, AlwaysInZeroToSix) {
  const struct {
    double y, m;
    double weekday;
  } cases[] = {
      {2024, 5, 3}, {2024, 6, 6}, {1900, 3, 4},  // 1 March 1900: day number -3
      {1900, 1, 0},                              // day number -63
      {1800, 1, 1}, {2100, 3, 2},                // one and two days off the Gregorian weekday
  };
  for (const auto& c : cases) {
    SharedState s;
    s.TargetDayNumber = DayNumber(c.y, c.m, 1);
    ComputeFirstWeekday(s);
    EXPECT_EQ(s.FirstWeekday, c.weekday) << c.y << '/' << c.m;
  }
  // Any whole day number, however far out, lands in 0..6 without overflow.
  for (double n : {-1e300, 1e300, -4294967296.0 * 7 - 3, 9007199254740993.0, -0.0, 2.5, 3.5}) {
    SharedState s;
    s.TargetDayNumber = n;
    ComputeFirstWeekday(s);
    EXPECT_TRUE(WeekdayName(s.FirstWeekday).has_value()) << n;
  }
}

}  // namespace
}  // namespace bio
