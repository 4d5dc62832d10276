#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagnosis/texts.h"

namespace bio {

enum class Rhythm { kEmotion, kIntellect, kPhysical };

const RhythmTexts& TextsOf(Rhythm rhythm);

// The verdict text of a position on screen, or nothing when no rule holds
// (possible only for a fractional position). The screen calls intellect and
// physical position 2 high: the curve is above zero and rising there.
std::optional<std::string_view> ScreenVerdict(Rhythm rhythm, double position);

// The printed report's own rule: its first caution days are 1 and 2, and its
// emotion high range starts at 3. Position 0, where the curve crosses zero,
// is printed as a caution day, as the screen calls it.
std::optional<std::string_view> PrintedVerdict(Rhythm rhythm, double position);

using VerdictRule = std::optional<std::string_view> (*)(Rhythm, double);

// For emotion, intellect and physical in turn: the heading line, then the
// verdict line under `rule` where the rule gives one.
void AppendRhythmLines(std::vector<std::string>& lines, double emotion, double intellect,
                       double physical, VerdictRule rule);

}  // namespace bio
