#include "diagnosis/verdicts.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace bio {

namespace {

// Three tests in order: caution days, then the open high range, then the open
// low range. `extra_high` is a whole position the tests leave out that we call
// high.
struct Rule {
  std::vector<double> caution;
  double high_above, high_below;
  double low_above, low_below;
  std::optional<double> extra_high;
};

std::optional<std::string_view> Apply(const Rule& rule, const RhythmTexts& texts, double pos) {
  if (std::find(rule.caution.begin(), rule.caution.end(), pos) != rule.caution.end()) {
    return texts.caution;
  }
  if (pos > rule.high_above && pos < rule.high_below) return texts.high;
  if (pos > rule.low_above && pos < rule.low_below) return texts.low;
  if (rule.extra_high && pos == *rule.extra_high) return texts.high;
  return std::nullopt;
}

// Each rhythm's texts and rule, in the order of Rhythm.
struct RhythmRow {
  const RhythmTexts& texts;
  Rule rule;
};

const RhythmRow& RowOf(Rhythm rhythm) {
  static const RhythmRow kRows[] = {
      {kEmotionTexts, {{0, 1, 13, 14, 15, 27, 28}, 1, 13, 15, 27, std::nullopt}},
      {kIntellectTexts, {{0, 1, 16, 17, 32, 33}, 2, 16, 17, 32, 2.0}},
      {kPhysicalTexts, {{0, 1, 11, 12, 22, 23}, 2, 11, 12, 22, 2.0}},
  };
  return kRows[static_cast<std::size_t>(rhythm)];
}

}  // namespace

const RhythmTexts& TextsOf(Rhythm rhythm) { return RowOf(rhythm).texts; }

std::optional<std::string_view> Verdict(Rhythm rhythm, double position) {
  return Apply(RowOf(rhythm).rule, TextsOf(rhythm), position);
}

void AppendRhythmLines(std::vector<std::string>& lines, double emotion, double intellect,
                       double physical) {
  const std::pair<Rhythm, double> rhythms[] = {
      {Rhythm::kEmotion, emotion},
      {Rhythm::kIntellect, intellect},
      {Rhythm::kPhysical, physical},
  };
  for (const auto& [rhythm, position] : rhythms) {
    lines.emplace_back(TextsOf(rhythm).heading);
    if (const auto verdict = Verdict(rhythm, position)) lines.emplace_back(*verdict);
  }
}

}  // namespace bio
