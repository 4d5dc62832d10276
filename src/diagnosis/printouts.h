#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "engine/shared_state.h"

namespace bio {

class Forms;
class PictureBox;
class Printer;

// Puts the current date's positions, saved by the run, back in place of the
// first-of-month ones the graph left.
void RestoreSavedPositions(SharedState& state);

// The report's lines from the saved positions: the greeting, the three
// positions, and each rhythm's heading with the verdict the screen shows for
// the same day.
std::vector<std::string> DailyReportLines(const SharedState& state);

// RestoreSavedPositions, then the report in 12-point ＭＳ 明朝 from the top
// left of the page; the caller ends the document.
void PrintDailyReport(SharedState& state, Printer& printer);

// The picture's persistent drawing at its own size, top left of the page.
void PrintGraph(const PictureBox& picture, Printer& printer);

enum class Printout { kReport, kGraph };

// The file a printout is offered as when there is no printer: the person's
// name, what the page is and the diagnosis' month, as in
// 山田太郎_バイオリズム診断_2026年12月.pdf; characters some file system cannot
// hold in a name become "_", and an empty name drops its part. A name
// beginning with "." begins with "_" instead, and a long one is cut, whole
// characters at a time, so that the file name takes at most 255 bytes.
QString PdfFileName(const SharedState& state, Printout printout);

// One click's document: `draw` puts the page on the system's printer and the
// document ends. A printer that fails or refuses is reported. With no
// printer at all the user is asked whether to keep the page as a PDF file,
// proposed as `pdf_name` in the documents folder, which `draw` then fills
// the same way; a file that cannot be written whole is not left at all, and
// the reason is told. Anything else `draw` throws drops the document before it
// goes on to the caller, so the next click starts a fresh one.
void PrintOrSavePdf(Forms& forms, const QString& pdf_name,
                    const std::function<void(Printer&)>& draw);

}  // namespace bio
