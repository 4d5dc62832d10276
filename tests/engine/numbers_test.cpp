#include "engine/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/date_box.h"
#include "engine/not_computable.h"

namespace bio {
namespace {

struct TextCase {
  const char* text;
  double expected;
};

TEST(LeadingNumber, LeadingNumberOrZero) {
  // clang-format off
  const TextCase cases[] = {
      {"", 0},           {"50", 50},        {"05", 5},        {"  7", 7},
      {"\t8", 8},        {"-2", -2},        {"+3", 3},        {"2.5", 2.5},
      {".5", 0.5},       {"5.", 5},         {"-.25", -0.25},  {"5月", 5},
      {"12abc", 12},     {"abc12", 0},      {"-", 0},         {".", 0},
      {"+.", 0},         {"1e5", 1},        {"0x10", 0},      {"1,5", 1},
      {"3.5.1", 3.5},    {"- 5", 0},        {"１２", 0},      {"1 2", 1},
      {"0.1", 0.1},      {"000000000000000000000000000000042", 42},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(LeadingNumber(c.text).value_or(0), c.expected) << '"' << c.text << '"';
  }
}

TEST(NarrowDateText, FoldsEveryFullWidthDigitSignAndIdeographicSpace) {
  EXPECT_EQ(NarrowDateText("０１２３４５６７８９＋－．\u3000年"), "0123456789+-. 年");
}

TEST(LeadingNumber, OutOfRangeDigitsGiveInfinityOrZero) {
  const std::string huge(400, '9');
  EXPECT_EQ(LeadingNumber(huge), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber("-" + huge), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
  // Twenty digits still fit a double (inexactly) and stay finite.
  EXPECT_EQ(LeadingNumber("12345678901234567890"), 12345678901234567890.0);
}

TEST(NumberToText, ShortestPlainDecimal) {
  // clang-format off
  const TextCase cases[] = {
      {"17898", 17898}, {"0", 0},        {"0", -0.0},         {"-2", -2},
      {"2.5", 2.5},     {"0.1", 0.1},    {"-0.25", -0.25},    {"100000000000000000000", 1e20},
      {"0.000001", 1e-6}, {"3.4", 3.4},  {"2.0000000000000004", 2.0000000000000004},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(NumberToText(c.expected), c.text) << c.expected;
  }
  EXPECT_EQ(NumberToText(std::numeric_limits<double>::infinity()), "");
  // The largest double has 309 digits and no exponent.
  const std::string max = NumberToText(std::numeric_limits<double>::max());
  EXPECT_EQ(max.size(), 309u);
  EXPECT_EQ(max.find_first_not_of("0123456789"), std::string::npos);
}

TEST(NumberToText, RoundTripsThroughLeadingNumber) {
  for (double v : {0.1, 1.0 / 3.0, -12345.678, 6.02e23, 5e-324, 1e-300}) {
    EXPECT_EQ(LeadingNumber(NumberToText(v)), v) << v;
  }
}

TEST(NumberToSurfaceText, BlankOrSignThenDigitsThenBlank) {
  EXPECT_EQ(NumberToSurfaceText(5), " 5 ");
  EXPECT_EQ(NumberToSurfaceText(31), " 31 ");
  EXPECT_EQ(NumberToSurfaceText(-3), "-3 ");
  EXPECT_EQ(NumberToSurfaceText(5.5), " 5.5 ");
}

TEST(RoundToInt16, HalvesToEvenAndRangeChecked) {
  const struct {
    double in;
    int out;
  } cases[] = {{12.5, 12},  {13.5, 14}, {-12.5, -12},     {-13.5, -14},       {0.5, 0}, {1.5, 2},
               {2.4999, 2}, {-0.5, 0},  {32767.4, 32767}, {-32768.5, -32768}, {7, 7}};
  for (const auto& c : cases) EXPECT_EQ(RoundToInt16(c.in), c.out) << c.in;

  for (double bad :
       {32767.5, 32768.0, -32769.0, -32768.6, 1e300, std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_THROW(RoundToInt16(bad), NotComputable) << bad;
  }
}

}  // namespace
}  // namespace bio
