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

Rejection Rejection::NoEra(QWidget* first_option) {
  return {first_option, Frame::kBirth, Box::kEra};
}
Rejection Rejection::BirthYear(QWidget* box) { return {box, Frame::kBirth, Box::kYear}; }
Rejection Rejection::BirthYearTooLate(QWidget* box, const Era& era) {
  return {box, Frame::kBirth, Box::kYearTooLate, &era};
}
Rejection Rejection::BirthMonth(QWidget* box) { return {box, Frame::kBirth, Box::kMonth}; }
Rejection Rejection::BirthDay(QWidget* box, const Era& era, Month month) {
  return {box, Frame::kBirth, Box::kDay, &era, month};
}
Rejection Rejection::TodayYear(QWidget* box) { return {box, Frame::kToday, Box::kYear}; }
Rejection Rejection::TodayMonth(QWidget* box) { return {box, Frame::kToday, Box::kMonth}; }
Rejection Rejection::TodayDay(QWidget* box, Month month) {
  return {box, Frame::kToday, Box::kDay, nullptr, month};
}

std::variant<InputDates, Rejection> CheckInput(const InputForm& nurel) {
  const Era* era = nurel.ChosenEra();
  if (!era) return Rejection::NoEra(nurel.Options[0]);

  const auto era_year = WholeIn(ReadEraYearBox(TextOf(*nurel.Text1)), 0, kNoLimit);
  if (!era_year) return Rejection::BirthYear(nurel.Text1);
  if (*era_year + era->base_year - 1 > kLastYear) {
    return Rejection::BirthYearTooLate(nurel.Text1, *era);
  }
  const auto birth_month = WholeIn(ReadDateBox(TextOf(*nurel.Text2), DateUnit::kMonth), 1, 12);
  if (!birth_month) return Rejection::BirthMonth(nurel.Text2);
  const int birth_days = DaysInGregorianMonth(*era_year + era->base_year - 1, *birth_month);
  const auto birth_day = WholeIn(ReadDateBox(TextOf(*nurel.Text3), DateUnit::kDay), 1, birth_days);
  if (!birth_day) {
    return Rejection::BirthDay(nurel.Text3, *era,
                               {.year = *era_year, .month = *birth_month, .days = birth_days});
  }

  const auto year = WholeIn(ReadDateBox(TextOf(*nurel.Text4), DateUnit::kYear), 1, kLastYear);
  if (!year) return Rejection::TodayYear(nurel.Text4);
  const auto month = WholeIn(ReadDateBox(TextOf(*nurel.Text5), DateUnit::kMonth), 1, 12);
  if (!month) return Rejection::TodayMonth(nurel.Text5);
  const int days = DaysInGregorianMonth(*year, *month);
  const auto day = WholeIn(ReadDateBox(TextOf(*nurel.Text6), DateUnit::kDay), 1, days);
  if (!day) return Rejection::TodayDay(nurel.Text6, {.year = *year, .month = *month, .days = days});
  return InputDates{era, *era_year, *birth_month, *birth_day, *year, *month, *day};
}

}  // namespace bio
