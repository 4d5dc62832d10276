#include "diagnosis/graph.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>

#include "engine/calendar.h"
#include "engine/numbers.h"
#include "forms/picture_box.h"

namespace bio {

namespace {

constexpr double kEmotionDegreesPerDay = 12.8571;  // 360 / 28, as the phase takes it
constexpr double kEmotionStep = 12.857;            // the curve's own step, a little shorter
constexpr double kIntellectDegreesPerDay = 10.9091;
constexpr double kPhysicalDegreesPerDay = 15.6522;

constexpr int kBlue = 1, kGreen = 2, kRed = 12;

const char* const kWeekdayChars[7] = {"日", "月", "火", "水", "木", "金", "土"};

int Columns(const GraphState& graph) { return static_cast<int>(graph.DaysInMonth); }

// Points closer than this look level: a small part of a pixel on a picture
// where the curves' 40 units of swing span some 170 pixels. Two crests a
// whole cycle apart differ by less, from the curves' rounded steps.
constexpr double kLevel = 0.01;

// The month's columns 0 to columns - 1 are its days; point `columns`, the
// next month's first, only ends the last segment.
template <typename Points>
CurveDays ReadCurve(const Points& y, int columns, int day) {
  CurveDays curve;
  const auto month = std::span(y).first(static_cast<std::size_t>(columns));
  const auto [bottom, top] = std::minmax_element(month.begin(), month.end());
  for (int k = 0; k < columns; ++k) {
    if (double(*top) - y[k] < kLevel) curve.highest.push_back(k + 1);
    if (double(y[k]) - *bottom < kLevel) curve.lowest.push_back(k + 1);
  }
  for (int k = 0; k < columns; ++k) {
    const double here = y[k], next = y[k + 1];
    if (here == 0) {
      curve.crossings.push_back(k + 1);
    } else if (next != 0 && (here < 0) != (next < 0)) {
      // Between two columns: the nearer one, the later when they look alike.
      const int nearer = std::fabs(next) < std::fabs(here) + kLevel ? k + 2 : k + 1;
      if (nearer <= columns) curve.crossings.push_back(nearer);
    }
  }
  const int k = std::clamp(day, 1, columns) - 1;
  curve.value_on_day = y[k];
  const double change = double(y[k + 1]) - y[k];
  curve.trend = change > kLevel ? 1 : change < -kLevel ? -1 : 0;
  return curve;
}

}  // namespace

void ComputeGraph(const SharedState& state, GraphState& graph) {
  graph.EmotionAngle = 0;
  graph.IntellectAngle = 0;
  graph.PhysicalAngle = 0;
  graph.Pi = 3.14159;

  graph.DaysInMonth = DaysInGregorianMonth(state.TargetYear, state.TargetMonth);

  const double emotion = state.EmotionPosition[PersonSlot(state)];
  graph.EmotionPhase = graph.Pi * emotion * kEmotionDegreesPerDay / 180;
  graph.IntellectPhase = graph.Pi * state.IntellectPosition * kIntellectDegreesPerDay / 180;
  graph.PhysicalPhase = graph.Pi * state.PhysicalPosition * kPhysicalDegreesPerDay / 180;

  for (int p = 0; p <= Columns(graph); ++p) {
    graph.EmotionY[p] = 20 * std::sin(graph.EmotionPhase + graph.EmotionAngle * graph.Pi / 180);
    graph.EmotionX[p] = p;
    graph.IntellectY[p] = RoundToInt16(
        20 * std::sin(graph.IntellectPhase + double(graph.IntellectAngle) * graph.Pi / 180));
    graph.IntellectX[p] = p;
    graph.PhysicalY[p] = 20 * std::sin(graph.PhysicalPhase + graph.PhysicalAngle * graph.Pi / 180);
    graph.PhysicalX[p] = p;
    graph.EmotionAngle = graph.EmotionAngle + kEmotionStep;
    graph.PhysicalAngle = graph.PhysicalAngle + kPhysicalDegreesPerDay;
    graph.IntellectAngle =
        static_cast<float>(double(graph.IntellectAngle) + kIntellectDegreesPerDay);
  }
}

GraphDays ReadGraph(const GraphState& graph, int day) {
  const int columns = Columns(graph);
  return {columns, day, ReadCurve(graph.EmotionY, columns, day),
          ReadCurve(graph.IntellectY, columns, day), ReadCurve(graph.PhysicalY, columns, day)};
}

void DrawMonthlyGraph(const SharedState& state, GraphState& graph, PictureBox& picture) {
  ComputeGraph(state, graph);
  const int columns = Columns(graph);

  picture.Scale(0, 30, float(graph.DaysInMonth), -30);
  picture.SetAutoRedraw(true);
  // The zero line keeps the picture's own colour and width (black, 1).
  picture.Line(0, 0, float(graph.DaysInMonth), 0);

  picture.SetForeColor(QBColor(kBlue));
  picture.SetCurrentX(1);
  picture.SetCurrentY(26);
  picture.Print(state.TargetMonth);
  picture.SetCurrentX(2);
  picture.SetCurrentY(26);
  picture.Print(QString::fromUtf8(" 月のバイオリズムグラフ"));

  // Column by column, so a later segment may cover an earlier one.
  for (int p = 0; p < columns; ++p) {
    picture.SetForeColor(QBColor(kBlue));
    picture.SetDrawWidth(5);
    picture.Line(float(graph.EmotionX[p]), float(graph.EmotionY[p]), float(graph.EmotionX[p + 1]),
                 float(graph.EmotionY[p + 1]));
    picture.SetForeColor(QBColor(kGreen));
    picture.SetDrawWidth(3);
    picture.Line(float(graph.IntellectX[p]), float(graph.IntellectY[p]),
                 float(graph.IntellectX[p + 1]), float(graph.IntellectY[p + 1]));
    picture.SetForeColor(QBColor(kRed));
    picture.SetDrawWidth(2);
    picture.Line(float(graph.PhysicalX[p]), float(graph.PhysicalY[p]),
                 float(graph.PhysicalX[p + 1]), float(graph.PhysicalY[p + 1]));
  }

  // Ticks keep the width of the last physical segment.
  picture.SetForeColor(QBColor(kBlue));
  for (int p = 1; p < columns; ++p) {
    picture.Line(float(graph.EmotionX[p]), 3, float(graph.EmotionX[p]), -3);
  }
  for (int p = 0; p < columns; ++p) {
    picture.SetCurrentX(float(graph.EmotionX[p] - 0.5));
    picture.SetCurrentY(-4);
    picture.Print(double(p + 1));
  }

  DrawWeekdayRow(state, graph, picture);

  const struct {
    int colour, width;
    float from, to;
    const char* text;
  } legend[] = {
      {kBlue, 5, 1, 3, ":感情"},
      {kGreen, 3, 6, 8, ":知性"},
      {kRed, 2, 11, 13, ":身体"},
  };
  for (const auto& entry : legend) {
    picture.SetForeColor(QBColor(entry.colour));
    picture.SetDrawWidth(entry.width);
    picture.Line(entry.from, -26, entry.to, -26);
    picture.SetCurrentX(entry.to);
    picture.SetCurrentY(-26);
    picture.Print(QString::fromUtf8(entry.text));
  }
}

void DrawWeekdayRow(const SharedState& state, GraphState& graph, PictureBox& picture) {
  for (int i = 0; i <= 40; ++i) {
    graph.WeekdayLookup = i % 7;
    graph.WeekdayChars[i] = kWeekdayChars[i % 7];
  }
  const double first = RoundHalfEven(state.FirstWeekday);
  if (!(first >= 0 && first <= 6)) throw std::out_of_range("FirstWeekday outside 0..6");
  for (int k = 0; k < Columns(graph); ++k) {
    graph.WeekdayLookup = k + first;
    const int lookup = static_cast<int>(graph.WeekdayLookup);  // at most 30 + 6
    graph.ColumnWeekdayChars[k] = graph.WeekdayChars[lookup];
    picture.SetCurrentX(float(graph.EmotionX[k] - 0.3));
    picture.SetCurrentY(7);
    graph.ColumnWeekday = lookup % 7;
    const bool weekend = graph.ColumnWeekday == 0 || graph.ColumnWeekday == 6;
    picture.SetForeColor(QBColor(weekend ? kRed : kBlue));
    picture.Print(QString::fromStdString(graph.ColumnWeekdayChars[k]));
  }
}

}  // namespace bio
