#include "engine/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "engine/not_computable.h"

namespace bio {

std::optional<double> LeadingNumber(std::string_view text, std::size_t* length) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;

  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t start = i;
  std::size_t int_digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++int_digits;
  std::size_t frac_digits = 0;
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j, ++frac_digits;
    if (frac_digits > 0 || int_digits > 0) i = j;
  }
  if (int_digits + frac_digits == 0) return std::nullopt;
  if (length) *length = i;

  // from_chars is locale-independent (the GUI may run under a locale whose
  // decimal separator is a comma) and rounds correctly for any length.
  const std::string_view number = text.substr(start, i - start);
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                         std::chars_format::fixed);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: decide by the whole part.
    const std::string_view whole = number.substr(0, int_digits);
    const bool has_whole = whole.find_first_not_of('0') != std::string_view::npos;
    value = has_whole ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

std::string NumberToText(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0.0) return "0";  // also -0
  // Fixed notation, shortest round trip: at most 309 whole digits and
  // about 1100 fraction digits for the smallest subnormal.
  char buffer[1200];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (ec != std::errc{}) return {};
  return std::string(buffer, end);
}

std::string NumberToSurfaceText(double value) {
  const std::string text = NumberToText(value);
  if (!text.empty() && text.front() == '-') return text + " ";
  return " " + text + " ";
}

double RoundHalfEven(double value) {
  // nearbyint follows the current rounding mode, which is to-nearest-even
  // unless someone changed it; std::rint would do the same. Be explicit.
  const double floor_value = std::floor(value);
  const double diff = value - floor_value;
  if (diff < 0.5) return floor_value;
  if (diff > 0.5) return floor_value + 1.0;
  return std::fmod(floor_value, 2.0) == 0.0 ? floor_value : floor_value + 1.0;
}

std::int16_t RoundToInt16(double value) {
  if (!std::isfinite(value)) throw NotComputable("value is not finite");
  const double rounded = RoundHalfEven(value);
  if (rounded < -32768.0 || rounded > 32767.0) throw NotComputable("value does not fit an int16");
  return static_cast<std::int16_t>(rounded);
}

}  // namespace bio
