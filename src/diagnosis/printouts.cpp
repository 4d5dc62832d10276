#include "diagnosis/printouts.h"

#include <QDir>
#include <QString>

#include "diagnosis/texts.h"
#include "diagnosis/verdicts.h"
#include "diagnosis/wording.h"
#include "engine/numbers.h"
#include "forms/fonts.h"
#include "forms/forms.h"
#include "forms/printer.h"

namespace bio {

namespace {

// Linux forbids only "/" and NUL; the rest keeps the name usable on Windows
// file systems and USB sticks as well.
QString FileNamePart(QString text) {
  for (QChar& c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("/\\:*?\"<>|").contains(c)) {
      c = u'_';
    }
  }
  return text;
}

}  // namespace

void RestoreSavedPositions(SharedState& state) {
  state.EmotionPosition[PersonSlot(state)] = RoundToInt16(state.SavedEmotionPosition);
  state.IntellectPosition = state.SavedIntellectPosition;
  state.PhysicalPosition = state.SavedPhysicalPosition;
}

std::vector<std::string> DailyReportLines(const SharedState& state) {
  std::vector<std::string> lines;
  lines.push_back(state.PersonName[PersonSlot(state)] + std::string(kGreeting));
  lines.push_back("感情：" + NumberToText(state.SavedEmotionPosition) +
                  "知性:" + NumberToText(state.SavedIntellectPosition) +
                  "身体:" + NumberToText(state.SavedPhysicalPosition));
  // The emotion position as the restored int16 holds it.
  AppendRhythmLines(lines, RoundToInt16(state.SavedEmotionPosition), state.SavedIntellectPosition,
                    state.SavedPhysicalPosition);
  return lines;
}

void PrintDailyReport(SharedState& state, Printer& printer) {
  RestoreSavedPositions(state);
  const std::vector<std::string> lines = DailyReportLines(state);
  printer.SetFontName(QString::fromUtf8(kMincho));
  printer.SetFontSize(12);
  for (const std::string& line : lines) printer.PrintLine(QString::fromStdString(line));
}

void PrintGraph(const PictureBox& picture, Printer& printer) {
  printer.PaintPicture(picture, 0, 0);
}

QString PdfFileName(const SharedState& state, Printout printout) {
  const QString name = QString::fromStdString(state.PersonName[PersonSlot(state)]).trimmed();
  const QString what =
      QString::fromUtf8(printout == Printout::kReport ? "バイオリズム診断" : "バイオリズムグラフ");
  const QString month = QString::fromUtf8("%1年%2月")
                            .arg(QString::fromStdString(NumberToText(state.TargetYear)),
                                 QString::fromStdString(NumberToText(state.TargetMonth)));
  QString file = what + u'_' + month + QStringLiteral(".pdf");
  if (!name.isEmpty()) file = name + u'_' + file;
  return FileNamePart(file);
}

namespace {

// One whole document on `printer`. Whatever stops it part way drops the
// document before it goes on to the caller, so the next one starts fresh.
void PrintDocument(Printer& printer, const std::function<void(Printer&)>& draw) {
  try {
    draw(printer);
    printer.EndDoc();
  } catch (...) {
    printer.Abort();
    throw;
  }
}

}  // namespace

void PrintOrSavePdf(Forms& forms, const QString& pdf_name,
                    const std::function<void(Printer&)>& draw) {
  try {
    PrintDocument(forms.ThePrinter(), draw);
    return;
  } catch (const NoPrinterError&) {
    // Offered as a PDF below.
  } catch (const PrinterError& error) {
    forms.Message(PrinterFailureText(error));
    return;
  }

  if (!forms.Ask(OfferPdfQuestion())) return;
  const QString path =
      forms.ChooseSaveFile(SavePdfDialogWords(), QDir(Forms::DocumentsFolder()).filePath(pdf_name));
  if (path.isEmpty()) return;
  // The same drawing as for the printer, so the file holds the printer's page.
  Printer pdf(path);
  try {
    PrintDocument(pdf, draw);
  } catch (const PrinterError&) {
    forms.Message(PdfSaveFailureText(path));
  }
}

}  // namespace bio
