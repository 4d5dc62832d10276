#include "diagnosis/printouts.h"

#include <QDir>
#include <QString>
#include <QTextBoundaryFinder>

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

// The longest name a file can have on Linux's file systems, in bytes.
constexpr qsizetype kMaxFileNameBytes = 255;

// The first whole characters of `text` that take at most `bytes` in UTF-8.
QString LeadingCharacters(const QString& text, qsizetype bytes) {
  QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
  qsizetype fits = 0;
  for (qsizetype next = characters.toNextBoundary(); next != -1;
       next = characters.toNextBoundary()) {
    bytes -= QStringView(text).sliced(fits, next - fits).toUtf8().size();
    if (bytes < 0) break;
    fits = next;
  }
  return text.left(fits);
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
  const QString tail = what + u'_' + month + QStringLiteral(".pdf");
  if (name.isEmpty()) return tail;
  QString person = FileNamePart(name);
  // A name beginning with "." would hide the file.
  if (person.startsWith(u'.')) person[0] = u'_';
  // The person's part gives way so that the whole name can be saved.
  return LeadingCharacters(person, kMaxFileNameBytes - 1 - tail.toUtf8().size()) + u'_' + tail;
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
  } catch (const PdfFileError& error) {
    forms.Message(PdfSaveFailureText(path, error.error_number()));
  } catch (const PrinterError&) {
    forms.Message(PdfSaveFailureText(path, 0));
  }
}

}  // namespace bio
