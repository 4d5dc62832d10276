#include "engine/era.h"

namespace bio {

const Era* FindEra(std::string_view name) {
  for (const Era& era : EraTable) {
    if (era.name == name) return &era;
  }
  return nullptr;
}

void ConvertEraYear(SharedState& state) {
  if (const Era* era = FindEra(state.EraName)) {
    state.BirthYear = state.BirthEraYear + era->base_year - 1;
  }
}

}  // namespace bio
