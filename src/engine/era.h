#pragma once

#include <array>
#include <string_view>

#include "engine/shared_state.h"

namespace bio {

struct Era {
  std::string_view name;  // exactly the caption of its option button
  int base_year;          // Western year of the era's year 1
};

// Tested in this order.
inline constexpr std::array<Era, 5> EraTable{{
    {"明治", 1868},
    {"大正", 1912},
    {"昭和", 1926},
    {"平成", 1989},
    {"令和", 2019},
}};

// The row whose name equals `name` character for character, or nullptr.
const Era* FindEra(std::string_view name);

// BirthYear = BirthEraYear + base year - 1 when EraName names an era;
// otherwise BirthYear is left as it is (the run has set it to 0).
void ConvertEraYear(SharedState& state);

}  // namespace bio
