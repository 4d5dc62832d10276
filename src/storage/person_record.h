#pragma once

#include <string>

namespace bio {

// The one person kept in kojinfl.txt. UTF-8 texts, stored as typed: the
// three date fields are never converted to numbers ("05" stays "05").
struct PersonRecord {
  std::string name, era, year, month, day;

  bool operator==(const PersonRecord&) const = default;
};

}  // namespace bio
