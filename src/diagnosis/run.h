#pragma once

#include "diagnosis/graph.h"
#include "engine/shared_state.h"

namespace bio {

class Forms;

// One diagnosis: reads the input window into the shared state, converts the
// era year, saves kojinfl.txt, swaps the input window for the result window
// and fills it (day count, weekdays, the day's messages, the month's graph).
// The caller has checked the input with CheckInput; the boxes are read as
// it reads them.
//
// Throws NotComputable, with the input window still shown and nothing on the
// result window, when the typed dates cannot be calculated; kojinfl.txt has
// been saved by then. A failed save is reported in a message box and the
// diagnosis goes on.
void RunDiagnosis(SharedState& state, GraphState& graph, Forms& forms);

}  // namespace bio
