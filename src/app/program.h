#pragma once

#include <QString>
#include <filesystem>

#include "diagnosis/graph.h"
#include "engine/shared_state.h"
#include "forms/forms.h"
#include "storage/file_place.h"

namespace bio {

// One start of the program: the shared state, the graph's working values and
// the windows, with every window's event procedures attached.
class Program {
 public:
  // kojinfl.txt goes to `user_folder` for an installed copy; a portable one
  // keeps it in `program_folder` when the user may write there (see
  // ChoosePersonalFilePlaces). `printer_pdf`: empty for the system's default
  // printer, or a PDF file to print into.
  Program(const std::filesystem::path& program_folder, const std::filesystem::path& user_folder,
          QString printer_pdf = {}, ProgramCopy copy = ProgramCopy::Portable);

  // Loads and shows the input window, centred, with the focus on its button.
  void Start();

  SharedState state;
  GraphState graph;
  Forms forms;
};

// The two folders a real start passes to Program: the executable's, and the
// user's data folder (QStandardPaths' AppDataLocation: with the application
// name biorhythm, ~/.local/share/biorhythm).
std::filesystem::path ExecutableFolder();
std::filesystem::path UserDataFolder();

}  // namespace bio
