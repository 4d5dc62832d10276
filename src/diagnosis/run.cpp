#include "diagnosis/run.h"

#include <QLineEdit>
#include <QListWidget>

#include "diagnosis/messages.h"
#include "diagnosis/weekdays.h"
#include "diagnosis/wording.h"
#include "engine/day_count.h"
#include "engine/era.h"
#include "engine/numbers.h"
#include "forms/controls.h"
#include "forms/forms.h"
#include "forms/input_form.h"
#include "forms/picture_box.h"
#include "forms/result_form.h"
#include "storage/file_place.h"
#include "storage/personal_file.h"

namespace bio {

namespace {

// Both day counts of a run on a copy of the state, so that a date that cannot
// be calculated is found while the user is still on the input window.
void CheckComputable(const SharedState& state) {
  SharedState trial = state;
  CountDays(trial);
  RoundToInt16(trial.PhysicalPosition);
  trial.TargetDay = 1;
  CountDays(trial);
}

void SavePerson(const SharedState& state, Forms& forms) {
  const PersonRecord record{state.PersonName[PersonSlot(state)], state.EraName,
                            state.BirthEraYearText, state.BirthMonthText, state.BirthDayText};
  const SaveResult saved = SavePersonalFileCreatingFolder(forms.PersonalFileSaveFolder(), record);
  if (!saved.ok) {
    forms.Message(PersonalFileSaveFailureText(saved));
  }
}

}  // namespace

// The step numbers below are those of docs/architecture.md, which shows the
// shared state after each.
void RunDiagnosis(const InputDates& dates, SharedState& state, GraphState& graph, Forms& forms) {
  InputForm& nurel = forms.Nurel();

  // 1-4: the person as typed, and both dates as the input check read them.
  state.PersonIndex = kPersonSlot;
  state.BirthYear = 0;
  const std::size_t slot = PersonSlot(state);
  state.PersonName[slot] = TextOf(*nurel.Text7);
  state.BirthEraYearText = TextOf(*nurel.Text1);
  state.BirthMonthText = TextOf(*nurel.Text2);
  state.BirthDayText = TextOf(*nurel.Text3);
  state.BirthEraYear = dates.era_year;
  state.BirthMonth = dates.birth_month;
  state.BirthDay = dates.birth_day;
  state.TargetYear = dates.year;
  state.TargetMonth = dates.month;
  state.TargetDay = dates.day;

  // 5-6: the chosen era and the Western year.
  state.EraName = dates.era ? std::string(dates.era->name) : std::string();
  ConvertEraYear(state);

  // 7: only a run that will finish saves; the typed texts, not the numbers,
  // go to kojinfl.txt.
  CheckComputable(state);
  SavePerson(state, forms);

  // 8-9: swap the windows; the run goes on at once.
  forms.Hide(nurel);
  ResultForm& sindan = forms.Sindan();
  forms.Show(sindan);

  // 10-14: today's date; the positions kept for the printed report.
  CountDays(state);
  ShowDayCount(state, sindan);
  state.SavedEmotionPosition = state.EmotionPosition[slot];
  state.SavedIntellectPosition = state.IntellectPosition;
  state.SavedPhysicalPosition = RoundToInt16(state.PhysicalPosition);
  ShowBirthWeekday(state, sindan);
  ShowDailyDiagnosis(state, sindan);

  // 15-18: the first day of the month, for the weekday and the graph. From
  // here on the positions are the first of the month's, until a printed
  // report restores today's.
  state.TargetDay = 1;
  CountDays(state);
  ShowFirstWeekday(state, sindan);
  DrawMonthlyGraph(state, graph, *sindan.Picture1);

  // 19: the graph in words, read from the curves just drawn, for a screen
  // reader.
  PictureBox& picture = *sindan.Picture1;
  picture.setAccessibleName(GraphNameText(state.TargetMonth));
  picture.setAccessibleDescription(
      GraphDescriptionText(state.TargetMonth, ReadGraph(graph, static_cast<int>(dates.day))));

  // The message list lays out its lines now, once. Left to the list's own
  // timer, the window's first paint could come first and the list would be
  // laid out and painted twice before the first frame.
  sindan.List1->doItemsLayout();
}

}  // namespace bio
