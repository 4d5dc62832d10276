#include "engine/day_count.h"

#include <cfloat>
#include <cmath>

#include "engine/not_computable.h"
#include "engine/numbers.h"

namespace bio {

double DayNumber(double year, double month, double day) {
  const double year_term = (year - 1900.0) * 365.25;           // exact for |year| < 2^50
  const double year_days = std::floor(year_term);              // floor(-365.25) = -366
  const double month_days = std::floor((month + 1.0) * 30.6);  // 61 (Jan) .. 397 (Dec)
  double number = year_days + month_days + day - 126.0;        // 0 on 4 March 1900
  if (month <= 2.0) {
    // January and February are counted as months 13 and 14 of the year
    // before; the correction pulls them back. Leap: the year term is whole.
    const bool leap = year_days == year_term;
    if (month == 1.0) {
      number += leap ? 1.0 : 2.0;
    } else {
      number += leap ? 2.0 : 3.0;
    }
  }
  return number;
}

void CountDays(SharedState& state) {
  const std::size_t slot = PersonSlot(state);
  const double target = DayNumber(state.TargetYear, state.TargetMonth, state.TargetDay);
  const double birth = DayNumber(state.BirthYear, state.BirthMonth, state.BirthDay);
  const double lived = target - birth;
  if (!std::isfinite(lived)) throw NotComputable("days lived are not finite");

  // The physical quotient is held in single precision, and so is its product
  // with 23: beyond 2^24 days the product is no longer exact, by design.
  const double q23 = std::floor(lived / 23.0);
  if (!(std::fabs(q23) <= FLT_MAX)) throw NotComputable("physical quotient exceeds a float");
  const float q23_single = static_cast<float>(q23);
  const float product = q23_single * 23.0f;
  if (!std::isfinite(product)) throw NotComputable("physical product exceeds a float");
  const double physical = lived - static_cast<double>(product);

  const double emotion = lived - std::floor(lived / 28.0) * 28.0;
  const std::int16_t emotion16 = RoundToInt16(emotion);
  const double intellect = lived - std::floor(lived / 33.0) * 33.0;

  state.TargetDayNumber = target;
  state.BirthDayNumber = birth;
  state.DaysLived = lived;
  state.PhysicalPosition = physical;
  state.EmotionPosition[slot] = emotion16;
  state.IntellectPosition = intellect;
}

}  // namespace bio
