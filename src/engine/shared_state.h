#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace bio {

// The values that the procedures, the two windows and the printouts pass to
// one another. One instance per program run; texts are UTF-8. Field names
// follow the procedures that read and write them.
struct SharedState {
  // Person record: the in-memory image of kojinfl.txt.
  double PersonIndex = 0;                 // 1 once a run has started
  std::array<std::string, 3> PersonName;  // only slot 1 is used
  std::string EraName;                    // a name of EraTable, or "" for none
  std::string BirthEraYearText;           // as typed
  std::string BirthMonthText;
  std::string BirthDayText;

  // Dates, as numbers converted from the input fields.
  double BirthEraYear = 0;
  double BirthYear = 0;  // Western year; 0 when no era matched
  double BirthMonth = 0;
  double BirthDay = 0;
  double TargetYear = 0;
  double TargetMonth = 0;
  double TargetDay = 0;

  // Results of the day count; each count overwrites all of them.
  double BirthDayNumber = 0;
  double TargetDayNumber = 0;
  double DaysLived = 0;
  double PhysicalPosition = 0;                    // 0..22 for whole days lived
  std::array<std::int16_t, 3> EmotionPosition{};  // slot PersonIndex: 0..27
  double IntellectPosition = 0;                   // 0..32

  // The current date's positions, kept for the printed report.
  std::int16_t SavedPhysicalPosition = 0;
  double SavedEmotionPosition = 0;
  double SavedIntellectPosition = 0;

  // Weekdays, 0 (Sunday) to 6 (Saturday).
  double BirthWeekday = 0;
  double FirstWeekday = 0;
};

// The one slot of PersonName and EmotionPosition in use: the start-up fills
// it from kojinfl.txt before any run has set PersonIndex, and every run sets
// PersonIndex to it.
inline constexpr std::size_t kPersonSlot = 1;

// The array slot that PersonIndex names; throws std::out_of_range outside 0..2.
std::size_t PersonSlot(const SharedState& state);

}  // namespace bio
