#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "engine/shared_state.h"

namespace bio {

// Indexed by weekday number; day number 0 (4 March 1900) is a Sunday.
inline constexpr std::array<std::string_view, 7> WeekdayNames{
    "日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日",
};

// The name of weekday number `weekday`, or nothing when it is not one of the
// whole numbers 0..6 (a birth day typed with a fraction gives no name).
std::optional<std::string_view> WeekdayName(double weekday);

// BirthWeekday = BirthDayNumber - floor(BirthDayNumber / 7) * 7.
void ComputeBirthWeekday(SharedState& state);

// FirstWeekday: TargetDayNumber rounded to a whole number, floored remainder
// by 7, so it lies in 0..6 also before 4 March 1900 (the graph's weekday row
// indexes a table with it).
void ComputeFirstWeekday(SharedState& state);

}  // namespace bio
