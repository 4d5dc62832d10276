#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bio {

// A field's leading decimal number: leading blanks skipped, optional sign,
// digits, optional "." and fraction; what follows is ignored. Nothing when
// the text does not begin with a digit so read. Never fails; digits beyond
// the double range give an infinity. When `length` is given, it receives how
// many characters of `text` the blanks and the number took.
std::optional<double> LeadingNumber(std::string_view text, std::size_t* length = nullptr);

// Shortest decimal text that reads back as the same double, never with an
// exponent or a group separator, never "-0". Not-finite values give "".
std::string NumberToText(double value);

// The picture surface's own number form: a blank (or the minus sign), the
// digits, and a trailing blank: 5 gives " 5 ".
std::string NumberToSurfaceText(double value);

// Nearest integer, exact halves to the even neighbour.
double RoundHalfEven(double value);

// RoundHalfEven into an int16; throws NotComputable when it does not fit
// (or the value is not finite).
std::int16_t RoundToInt16(double value);

}  // namespace bio
