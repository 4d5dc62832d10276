#include <QLineEdit>
#include <QListWidget>
#include <variant>

#include "app/event_guard.h"
#include "app/events.h"
#include "app/program.h"
#include "diagnosis/input_check.h"
#include "diagnosis/run.h"
#include "diagnosis/wording.h"
#include "engine/era.h"
#include "engine/not_computable.h"
#include "forms/controls.h"
#include "forms/input_form.h"
#include "forms/picture_box.h"
#include "forms/result_form.h"
#include "storage/personal_file.h"

namespace bio {

namespace {

void LoadForm(Program& program) {
  SharedState& state = program.state;
  InputForm& nurel = program.forms.Nurel();

  // A missing file is a first start: everything stays empty.
  const PersonRecord record = LoadPersonalFile(program.forms.PersonalFileLoadFolder());
  state.PersonName[kPersonSlot] = record.name;
  state.EraName = record.era;
  state.BirthEraYearText = record.year;
  state.BirthMonthText = record.month;
  state.BirthDayText = record.day;

  SetText(*nurel.Text7, state.PersonName[kPersonSlot]);
  nurel.ChooseEra(FindEra(state.EraName));
  SetText(*nurel.Text1, state.BirthEraYearText);
  SetText(*nurel.Text2, state.BirthMonthText);
  SetText(*nurel.Text3, state.BirthDayText);

  const QString today = program.forms.Today();  // yyyy/mm/dd
  nurel.Text4->setText(today.mid(0, 4));
  nurel.Text5->setText(today.mid(5, 2));
  nurel.Text6->setText(today.mid(8, 2));
}

void Execute(Program& program) {
  // Input that names no real date changes nothing: the person corrects the
  // box the message names, which has the focus with its text selected.
  const auto checked = CheckInput(program.forms.Nurel());
  if (const auto* rejection = std::get_if<Rejection>(&checked)) {
    program.forms.Message(RejectionText(*rejection));
    rejection->control()->setFocus();
    if (auto* box = qobject_cast<QLineEdit*>(rejection->control())) box->selectAll();
    return;
  }
  ResultForm& sindan = program.forms.Sindan();
  sindan.List1->clear();
  sindan.Picture1->ClearPicture();
  try {
    RunDiagnosis(std::get<InputDates>(checked), program.state, program.graph, program.forms);
  } catch (const NotComputable&) {
    // Checked input never gets here; the guard stays for dates the check misses.
    program.forms.Message(NotComputableText());
  }
}

}  // namespace

void Nurel_Form_Load(Program& program) {
  Guarded(program.forms, "起動時の読み込み", [&] { LoadForm(program); });
}

void Nurel_Command1_Click(Program& program) {
  Guarded(program.forms, "バイオリズム実行", [&] { Execute(program); });
}

}  // namespace bio
