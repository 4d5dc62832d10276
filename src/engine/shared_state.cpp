#include "engine/shared_state.h"

#include <stdexcept>

namespace bio {

std::size_t PersonSlot(const SharedState& state) {
  const double index = state.PersonIndex;
  if (!(index >= 0.0 && index <= 2.0) || index != static_cast<double>(static_cast<int>(index))) {
    throw std::out_of_range("PersonIndex outside 0..2");
  }
  return static_cast<std::size_t>(index);
}

}  // namespace bio
