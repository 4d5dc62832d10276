#include "diagnosis/weekdays.h"

#include "engine/numbers.h"
#include "engine/weekday.h"
#include "forms/controls.h"
#include "forms/result_form.h"

namespace bio {

void ShowBirthWeekday(SharedState& state, ResultForm& sindan) {
  ComputeBirthWeekday(state);
  if (const auto name = WeekdayName(state.BirthWeekday)) SetText(*sindan.Text1, std::string(*name));
}

void ShowFirstWeekday(SharedState& state, ResultForm& sindan) {
  SetText(*sindan.Text3, NumberToText(state.TargetMonth));
  ComputeFirstWeekday(state);
  if (const auto name = WeekdayName(state.FirstWeekday)) SetText(*sindan.Text2, std::string(*name));
}

}  // namespace bio
