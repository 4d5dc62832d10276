#pragma once

#include <string>
#include <vector>

#include "engine/shared_state.h"

namespace bio {

class ResultForm;

// The day's diagnosis as list lines: the date line, the greeting, the days
// lived, then each rhythm's heading followed by its on-screen verdict.
std::vector<std::string> DailyMessageLines(const SharedState& state);

// Writes the four value boxes again and appends the day's lines to List1.
// Expects the day count of the current date to have just run.
void ShowDailyDiagnosis(const SharedState& state, ResultForm& sindan);

// Text9 to Text12: days lived and the emotion, intellect and physical positions.
void ShowDayCount(const SharedState& state, ResultForm& sindan);

}  // namespace bio
