#include "engine/date_box.h"

#include "engine/numbers.h"

namespace bio {

namespace {

constexpr std::string_view kGannen = "元";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view UnitOf(DateUnit unit) {
  switch (unit) {
    case DateUnit::kYear:
      return "年";
    case DateUnit::kMonth:
      return "月";
    case DateUnit::kDay:
      break;
  }
  return "日";
}

// True when what follows the number is blanks, optionally the unit, blanks.
bool OnlyUnitLeft(std::string_view rest, DateUnit unit) {
  rest = SkipBlanks(rest);
  if (rest.starts_with(UnitOf(unit))) rest = SkipBlanks(rest.substr(UnitOf(unit).size()));
  return rest.empty();
}

// True when the number as typed has no fraction or one of zeros only. Decided
// from the digits: 4.9999999999999999999 rounds to 5 as a double, yet names
// no whole day.
bool FractionAllZeros(std::string_view number) {
  const std::size_t point = number.find('.');
  return point == std::string_view::npos ||
         number.find_first_not_of('0', point + 1) == std::string_view::npos;
}

std::optional<double> ReadNarrowed(std::string_view narrow, DateUnit unit) {
  std::size_t length = 0;
  const std::optional<double> value = LeadingNumber(narrow, &length);
  if (!value || !FractionAllZeros(narrow.substr(0, length)) ||
      !OnlyUnitLeft(narrow.substr(length), unit)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string NarrowDateText(std::string_view utf8) {
  // Full-width forms U+FF0B..U+FF19 are EF BC 8B..99 in UTF-8, the
  // ideographic space U+3000 is E3 80 80.
  std::string narrow;
  narrow.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const std::string_view rest = utf8.substr(i);
    if (rest.size() >= 3 && rest[0] == '\xEF' && rest[1] == '\xBC') {
      const unsigned char last = static_cast<unsigned char>(rest[2]);
      const bool digit = last >= 0x90 && last <= 0x99;
      if (digit || last == 0x8B || last == 0x8D || last == 0x8E) {
        narrow += static_cast<char>(last - 0x90 + '0');  // ＋－． land on + - .
        i += 2;
        continue;
      }
    }
    if (rest.starts_with("\u3000")) {
      narrow += ' ';
      i += 2;
      continue;
    }
    narrow += utf8[i];
  }
  return narrow;
}

std::optional<double> ReadDateBox(std::string_view utf8, DateUnit unit) {
  return ReadNarrowed(NarrowDateText(utf8), unit);
}

std::optional<double> ReadEraYearBox(std::string_view utf8) {
  const std::string narrow = NarrowDateText(utf8);
  const std::string_view text = SkipBlanks(narrow);
  if (text.starts_with(kGannen)) {
    if (!OnlyUnitLeft(text.substr(kGannen.size()), DateUnit::kYear)) return std::nullopt;
    return 1.0;
  }
  return ReadNarrowed(narrow, DateUnit::kYear);
}

}  // namespace bio
