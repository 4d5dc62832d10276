#include "engine/weekday.h"

#include <cmath>

#include "engine/numbers.h"

namespace bio {

std::optional<std::string_view> WeekdayName(double weekday) {
  for (int i = 0; i < 7; ++i) {
    if (weekday == i) return WeekdayNames[static_cast<std::size_t>(i)];
  }
  return std::nullopt;
}

void ComputeBirthWeekday(SharedState& state) {
  const double number = state.BirthDayNumber;
  state.BirthWeekday = number - std::floor(number / 7.0) * 7.0;
}

void ComputeFirstWeekday(SharedState& state) {
  // fmod is exact for every double, so no day number can overflow here.
  const double whole = RoundHalfEven(state.TargetDayNumber);
  double remainder = std::fmod(whole, 7.0);  // sign of the day number
  if (remainder < 0.0) remainder += 7.0;
  state.FirstWeekday = remainder + 0.0;  // + 0.0 turns -0 into 0
}

}  // namespace bio
