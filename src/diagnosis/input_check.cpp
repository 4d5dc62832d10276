#include "diagnosis/input_check.h"

#include <QLineEdit>
#include <QRadioButton>
#include <cmath>
#include <limits>
#include <optional>

#include "engine/calendar.h"
#include "engine/date_box.h"
#include "engine/numbers.h"
#include "forms/controls.h"
#include "forms/input_form.h"

namespace bio {

namespace {

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

// The value when it is a whole number from `low` to `high`.
std::optional<double> WholeIn(std::optional<double> value, double low, double high) {
  if (!value || std::floor(*value) != *value || *value < low || *value > high) return std::nullopt;
  return value;
}

}  // namespace

std::variant<InputDates, Rejection> CheckInput(const InputForm& nurel) {
  using Frame = Rejection::Frame;
  using Box = Rejection::Box;
  const Era* era = nurel.ChosenEra();
  if (!era) return Rejection{nurel.Options[0], Frame::kBirth, Box::kEra};

  const auto era_year = WholeIn(ReadEraYearBox(TextOf(*nurel.Text1)), 0, kNoLimit);
  if (!era_year) return Rejection{nurel.Text1, Frame::kBirth, Box::kYear, era};
  if (*era_year + era->base_year - 1 > kLastYear) {
    return Rejection{nurel.Text1, Frame::kBirth, Box::kYearTooLate, era, *era_year};
  }
  const auto birth_month = WholeIn(ReadDateBox(TextOf(*nurel.Text2), DateUnit::kMonth), 1, 12);
  if (!birth_month) return Rejection{nurel.Text2, Frame::kBirth, Box::kMonth, era};
  const int birth_days = DaysInGregorianMonth(*era_year + era->base_year - 1, *birth_month);
  const auto birth_day = WholeIn(ReadDateBox(TextOf(*nurel.Text3), DateUnit::kDay), 1, birth_days);
  if (!birth_day) {
    return Rejection{.control = nurel.Text3,
                     .frame = Frame::kBirth,
                     .box = Box::kDay,
                     .era = era,
                     .year = *era_year,
                     .month = *birth_month,
                     .days = birth_days};
  }

  const auto year = WholeIn(ReadDateBox(TextOf(*nurel.Text4), DateUnit::kYear), 1, kLastYear);
  if (!year) return Rejection{nurel.Text4, Frame::kToday, Box::kYear};
  const auto month = WholeIn(ReadDateBox(TextOf(*nurel.Text5), DateUnit::kMonth), 1, 12);
  if (!month) return Rejection{nurel.Text5, Frame::kToday, Box::kMonth};
  const int days = DaysInGregorianMonth(*year, *month);
  const auto day = WholeIn(ReadDateBox(TextOf(*nurel.Text6), DateUnit::kDay), 1, days);
  if (!day) {
    return Rejection{.control = nurel.Text6,
                     .frame = Frame::kToday,
                     .box = Box::kDay,
                     .year = *year,
                     .month = *month,
                     .days = days};
  }
  return InputDates{era, *era_year, *birth_month, *birth_day, *year, *month, *day};
}

}  // namespace bio
