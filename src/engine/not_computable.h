#pragma once

#include <stdexcept>
#include <string>

namespace bio {

// A value left the range the calculation can hold: a number that would not fit
// an int16, a float or that became infinite. The legacy program stopped with an
// overflow error here; we report it so the caller can ask for other input.
class NotComputable : public std::runtime_error {
 public:
  explicit NotComputable(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace bio
