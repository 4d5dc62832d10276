#pragma once

#include <stdexcept>
#include <string>

namespace bio {

// A value left the range the calculation can hold: a number that would not fit
// an int16 or a float, or that became infinite. Thrown before anything is
// changed, so the caller can say so and ask for other input.
class NotComputable : public std::runtime_error {
 public:
  explicit NotComputable(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace bio
