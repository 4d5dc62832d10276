#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bio {

// A date box's text as a Japanese input method leaves it, in ASCII: the
// full-width digits ０-９ and the signs ＋ － ． become 0-9 + - ., and the
// ideographic space U+3000 a blank. Everything else stays as it is.
std::string NarrowDateText(std::string_view utf8);

// The unit a date box may carry after its number, as its label reads.
enum class DateUnit { kYear, kMonth, kDay };

// The number a date box holds. Its narrowed text must be blanks, one number
// (optional sign, digits, optional "." and a fraction of zeros), then optionally blanks
// and the box's own unit (年, 月 or 日), and blanks: "12", " 12月", "５０　年".
// Nothing for anything else, so that a slip inside or after the number
// ("5o", "1 2", "5e1", "1,000", "5.01", "5日" in a month box) is not read as
// the number it begins with.
std::optional<double> ReadDateBox(std::string_view utf8, DateUnit unit);

// The era-year box reads the same with the unit 年, and also takes 元 in
// place of the number, the way the first year of an era is written: "元",
// "元年" and "元 年" are 1.
std::optional<double> ReadEraYearBox(std::string_view utf8);

}  // namespace bio
