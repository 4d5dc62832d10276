#include "app/event_guard.h"
#include "app/events.h"
#include "app/program.h"
#include "diagnosis/printouts.h"
#include "forms/printer.h"
#include "forms/result_form.h"

namespace bio {

namespace {

// Each click is one document. A printer that is missing or refuses the job
// is reported, and the diagnosis stays on screen.
template <typename Print>
void PrintDocument(Program& program, const char* action, Print print) {
  Guarded(program.forms, action, [&] {
    Printer& printer = program.forms.ThePrinter();
    try {
      print(printer);
      printer.EndDoc();
    } catch (const PrinterError& error) {
      program.forms.Message(QString::fromUtf8(error.what()));
    }
  });
}

}  // namespace

void Sindan_Command1_Click(Program& program) {
  Guarded(program.forms, "終了", [&] { program.forms.End(); });
}

void Sindan_Command2_Click(Program& program) {
  PrintDocument(program, "グラフ印刷",
                [&](Printer& printer) { PrintGraph(*program.forms.Sindan().Picture1, printer); });
}

void Sindan_Command3_Click(Program& program) {
  PrintDocument(program, "メッセージ印刷",
                [&](Printer& printer) { PrintDailyReport(program.state, printer); });
}

}  // namespace bio
