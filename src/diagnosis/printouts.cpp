#include "diagnosis/printouts.h"

#include <QString>

#include "diagnosis/texts.h"
#include "diagnosis/verdicts.h"
#include "engine/numbers.h"
#include "forms/fonts.h"
#include "forms/printer.h"

namespace bio {

std::vector<std::string> DailyReportLines(SharedState& state) {
  const std::size_t slot = PersonSlot(state);
  state.EmotionPosition[1] = RoundToInt16(state.SavedEmotionPosition);
  state.IntellectPosition = state.SavedIntellectPosition;
  state.PhysicalPosition = state.SavedPhysicalPosition;

  std::vector<std::string> lines;
  lines.push_back(state.PersonName[slot] + std::string(kGreeting));
  lines.push_back("感情：" + NumberToText(state.SavedEmotionPosition) + "知性:" +
                  NumberToText(state.SavedIntellectPosition) + "身体:" +
                  NumberToText(state.SavedPhysicalPosition));
  AppendRhythmLines(lines, state.EmotionPosition[1], state.IntellectPosition,
                    state.PhysicalPosition);
  return lines;
}

void PrintDailyReport(SharedState& state, Printer& printer) {
  const std::vector<std::string> lines = DailyReportLines(state);
  printer.SetFontName(QString::fromUtf8(kMincho));
  printer.SetFontSize(12);
  for (const std::string& line : lines) printer.PrintLine(QString::fromStdString(line));
}

void PrintGraph(const PictureBox& picture, Printer& printer) { printer.PaintPicture(picture, 0, 0); }

}  // namespace bio
