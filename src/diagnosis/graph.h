#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

// What a sighted person reads off one curve of the drawn graph, in days of
// the month (1 to DaysInMonth).
struct CurveDays {
  std::vector<int> highest, lowest;  // all days within a hair of the month's top or bottom
  std::vector<int> crossings;        // where it crosses the zero line: the nearer day
  double value_on_day = 0;           // on the day asked about
  int trend = 0;                     // to the next point: +1 rising, -1 falling, 0 level
};

struct GraphDays {
  int columns = 0;  // days in the month
  int day = 0;      // the day asked about, usually today
  CurveDays emotion, intellect, physical;
};

// The days of the three curves as ComputeGraph left them, and where each
// stands on `day`, which must be a day of the month.
GraphDays ReadGraph(const GraphState& graph, int day);

// Month length, start phases and the three curves' points, from the first
// day of the target month's positions.
void ComputeGraph(const SharedState& state, GraphState& graph);

// Draws the month's graph onto the picture, which the caller has blanked:
// zero line, title, curves, day ticks, day numbers, weekday row, legend.
void DrawMonthlyGraph(const SharedState& state, GraphState& graph, PictureBox& picture);

// The row of weekday characters under the curves; Saturday and Sunday in red.
void DrawWeekdayRow(const SharedState& state, GraphState& graph, PictureBox& picture);

}  // namespace bio
