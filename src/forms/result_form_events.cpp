#include "diagnosis/printouts.h"
#include "forms/events.h"
#include "forms/printer.h"
#include "forms/program.h"
#include "forms/result_form.h"

namespace bio {

namespace {

// Each click is one document. A printer that is missing or refuses the job
// is reported, and the diagnosis stays on screen.
template <typename Print>
void PrintDocument(Program& program, Print print) {
  Printer& printer = program.forms.ThePrinter();
  try {
    print(printer);
    printer.EndDoc();
  } catch (const PrinterError& error) {
    program.forms.Message(QString::fromUtf8(error.what()));
  }
}

}  // namespace

void Sindan_Command1_Click(Program& program) { program.forms.End(); }

void Sindan_Command2_Click(Program& program) {
  PrintDocument(program, [&](Printer& printer) {
    PrintGraph(*program.forms.Sindan().Picture1, printer);
  });
}

void Sindan_Command3_Click(Program& program) {
  PrintDocument(program, [&](Printer& printer) { PrintDailyReport(program.state, printer); });
}

}  // namespace bio
