#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bio {

// A date box's text as a Japanese input method leaves it, in ASCII: the
// full-width digits ０-９ and the signs ＋ － ． become 0-9 + - ., and the
// ideographic space U+3000 a blank. Everything else stays as it is.
std::string NarrowDateText(std::string_view utf8);

// The number a date box holds: its narrowed text read by LeadingNumber
// (leading blanks skipped, what follows the number ignored). Nothing when
// the box does not begin with a number.
std::optional<double> ReadDateBox(std::string_view utf8);

// The era-year box reads the same, and 元 alone (blanks around it allowed),
// the way the first year of an era is written, as 1.
std::optional<double> ReadEraYearBox(std::string_view utf8);

}  // namespace bio
