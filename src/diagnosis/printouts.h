#pragma once

#include <string>
#include <vector>

#include "engine/shared_state.h"

namespace bio {

class PictureBox;
class Printer;

// Puts the current date's positions, saved by the run, back in place of the
// first-of-month ones, and returns the report's lines: the greeting, the
// three positions, and each rhythm's heading with the verdict the screen
// shows for the same day.
std::vector<std::string> DailyReportLines(SharedState& state);

// Prints the report in 12-point ＭＳ 明朝 from the top left of the page; the
// caller ends the document.
void PrintDailyReport(SharedState& state, Printer& printer);

// The picture's persistent drawing at its own size, top left of the page.
void PrintGraph(const PictureBox& picture, Printer& printer);

}  // namespace bio
