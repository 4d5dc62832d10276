#include "engine/era.h"

#include <gtest/gtest.h>

namespace bio {
namespace {

TEST(EraConversion, BaseYearsAndBoundaries) {
  const struct {
    const char* era;
    double year;
    double western;
  } cases[] = {
      {"昭和", 1, 1926},      {"昭和", 50, 1975}, {"令和", 1, 2019},  {"明治", 45, 1912},
      {"大正", 1, 1912},      {"大正", 15, 1926}, {"昭和", 64, 1989}, {"平成", 1, 1989},
      {"平成", 31, 2019},     {"令和", 0, 2018},  {"平成", 40, 2028}, {"明治", 0, 1867},
      {"昭和", 50.5, 1975.5}, {"令和", -3, 2015},
  };
  for (const auto& c : cases) {
    SharedState s;
    s.EraName = c.era;
    s.BirthEraYear = c.year;
    ConvertEraYear(s);
    EXPECT_EQ(s.BirthYear, c.western) << c.era << ' ' << c.year;
  }
}

TEST(EraConversion, UnknownNameLeavesBirthYear) {
  for (const char* name : {"", "昭和 ", " 昭和", "しょうわ", "Showa", "昭"}) {
    SharedState s;
    s.EraName = name;
    s.BirthEraYear = 50;
    s.BirthYear = 0;
    ConvertEraYear(s);
    EXPECT_EQ(s.BirthYear, 0) << '"' << name << '"';
    EXPECT_EQ(FindEra(name), nullptr);
  }
  ASSERT_NE(FindEra("令和"), nullptr);
  EXPECT_EQ(FindEra("令和")->base_year, 2019);
}

}  // namespace
}  // namespace bio
