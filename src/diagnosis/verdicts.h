#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagnosis/texts.h"

namespace bio {

enum class Rhythm { kEmotion, kIntellect, kPhysical };

const RhythmTexts& TextsOf(Rhythm rhythm);

// The verdict text of a position, on screen and on paper alike, or nothing
// when no rule holds (possible only for a fractional position). Intellect
// and physical position 2 are high: the curve is above zero and rising there.
std::optional<std::string_view> Verdict(Rhythm rhythm, double position);

// For emotion, intellect and physical in turn: the heading line, then the
// verdict line where there is one.
void AppendRhythmLines(std::vector<std::string>& lines, double emotion, double intellect,
                       double physical);

}  // namespace bio
