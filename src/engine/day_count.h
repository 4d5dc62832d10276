#pragma once

#include "engine/shared_state.h"

namespace bio {

// Day number of a date: a closed formula, no tables. Day 0 is 4 March 1900.
// Every year divisible by 4 counts as a leap year (1900 and 2100 too).
double DayNumber(double year, double month, double day);

// From BirthYear/Month/Day and TargetYear/Month/Day: BirthDayNumber,
// TargetDayNumber, DaysLived and the three cycle positions. Throws
// NotComputable, leaving the state untouched, when a value is not finite or
// leaves the float or int16 range the positions are held in.
void CountDays(SharedState& state);

}  // namespace bio
