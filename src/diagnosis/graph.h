#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/shared_state.h"

namespace bio {

class PictureBox;

// The working values of the monthly graph; they keep their values after the
// drawing, as the last graph left them.
struct GraphState {
  double DaysInMonth = 0;  // 28 to 31 columns, the Gregorian month's length
  double Pi = 0;
  double EmotionPhase = 0, IntellectPhase = 0, PhysicalPhase = 0;  // radians
  double EmotionAngle = 0, PhysicalAngle = 0;                      // degrees
  float IntellectAngle = 0;  // accumulated in single precision
  std::array<double, 41> EmotionX{}, EmotionY{};
  std::array<double, 41> IntellectX{};
  std::array<std::int16_t, 41> IntellectY{};  // rounded, half to even
  std::array<double, 41> PhysicalX{}, PhysicalY{};
  std::array<std::string, 41> WeekdayChars, ColumnWeekdayChars;
  double WeekdayLookup = 0, ColumnWeekday = 0;
};

// Month length, start phases and the three curves' points, from the first
// day of the target month's positions.
void ComputeGraph(const SharedState& state, GraphState& graph);

// Draws the month's graph onto the picture, which the caller has blanked:
// zero line, title, curves, day ticks, day numbers, weekday row, legend.
void DrawMonthlyGraph(const SharedState& state, GraphState& graph, PictureBox& picture);

// The row of weekday characters under the curves; Saturday and Sunday in red.
void DrawWeekdayRow(const SharedState& state, GraphState& graph, PictureBox& picture);

}  // namespace bio
