#include "diagnosis/run.h"

#include <QLineEdit>
#include <QRadioButton>

#include "diagnosis/messages.h"
#include "diagnosis/weekdays.h"
#include "engine/date_box.h"
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
    forms.Message(QString::fromUtf8("個人データ（kojinfl.txt）を保存できませんでした。\n") +
                  QString::fromStdString(saved.error) +
                  QString::fromUtf8("\n\n診断はこのまま続けます。"));
  }
}

}  // namespace

void RunDiagnosis(SharedState& state, GraphState& graph, Forms& forms) {
  InputForm& nurel = forms.Nurel();

  // 1-4: the person and both dates from the input window.
  state.PersonIndex = 1;
  state.BirthYear = 0;
  const std::size_t slot = PersonSlot(state);
  state.PersonName[slot] = TextOf(*nurel.Text7);
  state.BirthEraYearText = TextOf(*nurel.Text1);
  state.BirthMonthText = TextOf(*nurel.Text2);
  state.BirthDayText = TextOf(*nurel.Text3);
  const std::string year_text = TextOf(*nurel.Text4);
  const std::string month_text = TextOf(*nurel.Text5);
  const std::string day_text = TextOf(*nurel.Text6);
  // Read as the input check read them: full-width digits, 元 for year 1.
  state.BirthEraYear = ReadEraYearBox(state.BirthEraYearText).value_or(0);
  state.BirthMonth = ReadDateBox(state.BirthMonthText).value_or(0);
  state.BirthDay = ReadDateBox(state.BirthDayText).value_or(0);
  state.TargetYear = ReadDateBox(year_text).value_or(0);
  state.TargetMonth = ReadDateBox(month_text).value_or(0);
  state.TargetDay = ReadDateBox(day_text).value_or(0);

  // 5-6: the era of the first option that is on, and the Western year.
  state.EraName.clear();
  for (const QRadioButton* option : nurel.Options) {
    if (option->isChecked()) {
      state.EraName = option->text().toStdString();
      break;
    }
  }
  ConvertEraYear(state);

  // 7: the typed texts, not the numbers, go to kojinfl.txt.
  SavePerson(state, forms);
  CheckComputable(state);

  // 8-9: swap the windows; the run goes on at once.
  forms.Hide(nurel);
  ResultForm& sindan = forms.Sindan();
  forms.Show(sindan);

  // 10-14: the current date.
  CountDays(state);
  ShowDayCount(state, sindan);
  state.SavedEmotionPosition = state.EmotionPosition[slot];
  state.SavedIntellectPosition = state.IntellectPosition;
  state.SavedPhysicalPosition = RoundToInt16(state.PhysicalPosition);
  ShowBirthWeekday(state, sindan);
  ShowDailyDiagnosis(state, sindan);

  // 15-18: the first day of the month, for the weekday and the graph.
  state.TargetDay = 1;
  CountDays(state);
  ShowFirstWeekday(state, sindan);
  DrawMonthlyGraph(state, graph, *sindan.Picture1);
}

}  // namespace bio
