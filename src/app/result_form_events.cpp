#include "app/event_guard.h"
#include "app/events.h"
#include "app/program.h"
#include "diagnosis/printouts.h"
#include "forms/result_form.h"

namespace bio {

void Sindan_Command1_Click(Program& program) {
  Guarded(program.forms, "終了", [&] { program.forms.End(); });
}

// Each click is one document. A printer that is missing or refuses the job is
// reported, or with no printer at all the page may go to a PDF file instead;
// the diagnosis stays on screen.
void Sindan_Command2_Click(Program& program) {
  Guarded(program.forms, "グラフ印刷", [&] {
    PrintOrSavePdf(
        program.forms, PdfFileName(program.state, Printout::kGraph),
        [&](Printer& printer) { PrintGraph(*program.forms.Sindan().Picture1, printer); });
  });
}

void Sindan_Command3_Click(Program& program) {
  Guarded(program.forms, "メッセージ印刷", [&] {
    PrintOrSavePdf(program.forms, PdfFileName(program.state, Printout::kReport),
                   [&](Printer& printer) { PrintDailyReport(program.state, printer); });
  });
}

}  // namespace bio
