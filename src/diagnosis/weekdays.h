#pragma once

#include "engine/shared_state.h"

namespace bio {

class ResultForm;

// The weekday of the birth date into Text1; a fractional weekday leaves the
// box as it was.
void ShowBirthWeekday(SharedState& state, ResultForm& sindan);

// The month number into Text3 and the weekday of the month's first day into
// Text2. Expects the day count of the first of the month to have just run.
void ShowFirstWeekday(SharedState& state, ResultForm& sindan);

}  // namespace bio
