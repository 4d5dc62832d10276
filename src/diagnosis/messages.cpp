#include "diagnosis/messages.h"

#include <QListWidget>

#include "diagnosis/texts.h"
#include "diagnosis/verdicts.h"
#include "engine/numbers.h"
#include "forms/controls.h"
#include "forms/result_form.h"

namespace bio {

std::vector<std::string> DailyMessageLines(const SharedState& state) {
  const std::size_t slot = PersonSlot(state);
  std::vector<std::string> lines;
  lines.push_back(NumberToText(state.TargetYear) + std::string(kYear) +
                  NumberToText(state.TargetMonth) + std::string(kMonth) +
                  NumberToText(state.TargetDay) + std::string(kAboutDay));
  lines.push_back(state.PersonName[slot] + std::string(kGreeting));
  lines.push_back(std::string(kDaysLivedIs) + NumberToText(state.DaysLived) + std::string(kIs));

  AppendRhythmLines(lines, state.EmotionPosition[slot], state.IntellectPosition,
                    state.PhysicalPosition);
  return lines;
}

void ShowDayCount(const SharedState& state, ResultForm& sindan) {
  const std::size_t slot = PersonSlot(state);
  SetText(*sindan.Text9, NumberToText(state.DaysLived));
  SetText(*sindan.Text10, NumberToText(state.EmotionPosition[slot]));
  SetText(*sindan.Text11, NumberToText(state.IntellectPosition));
  SetText(*sindan.Text12, NumberToText(state.PhysicalPosition));
}

void ShowDailyDiagnosis(const SharedState& state, ResultForm& sindan) {
  ShowDayCount(state, sindan);
  for (const std::string& line : DailyMessageLines(state)) AddItem(*sindan.List1, line);
}

}  // namespace bio
