#pragma once

#include "diagnosis/graph.h"
#include "diagnosis/input_check.h"
#include "engine/shared_state.h"

namespace bio {

class Forms;

// One diagnosis for the dates CheckInput read: puts the person and the dates
// into the shared state (the name and the three birth boxes as typed),
// converts the era year, computes both day counts on a trial copy, saves
// kojinfl.txt, swaps the input window for the result window and fills it
// (day count, weekdays, the day's messages, the month's graph).
//
// Throws NotComputable, with the input window still shown, nothing on the
// result window and kojinfl.txt untouched, when the dates cannot be
// calculated; checked input never gets there. A failed save is reported in
// a message box and the diagnosis goes on.
void RunDiagnosis(const InputDates& dates, SharedState& state, GraphState& graph, Forms& forms);

}  // namespace bio
