#include "engine/date_box.h"

#include "engine/numbers.h"

namespace bio {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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

std::optional<double> ReadDateBox(std::string_view utf8) {
  return LeadingNumber(NarrowDateText(utf8));
}

std::optional<double> ReadEraYearBox(std::string_view utf8) {
  const std::string narrow = NarrowDateText(utf8);
  std::string_view text = narrow;
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text == "元") return 1.0;
  return LeadingNumber(narrow);
}

}  // namespace bio
