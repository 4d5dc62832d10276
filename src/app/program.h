#pragma once

#include <QString>
#include <filesystem>

#include "diagnosis/graph.h"
#include "engine/shared_state.h"
#include "forms/forms.h"

namespace bio {

// One start of the program: the shared state, the graph's working values and
// the windows, with every window's event procedures attached.
class Program {
 public:
  // `folder`: where kojinfl.txt lives. `printer_pdf`: empty for the system's
  // default printer, or a PDF file to print into.
  explicit Program(std::filesystem::path folder, QString printer_pdf = {});

  // Loads and shows the input window, centred, with the focus on its button.
  void Start();

  SharedState state;
  GraphState graph;
  Forms forms;
};

}  // namespace bio
