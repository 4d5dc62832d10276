#pragma once

#include <optional>

#include "storage/file_place.h"

namespace bio {

// -h or --help, -V, -v or --version anywhere on the command line: the help
// (what the program does, where this copy keeps kojinfl.txt, its options) or
// the version goes to stdout before anything needs a display, and the
// program ends with the status returned (0; 1 when stdout would not take the
// text). Nothing when neither is given: every other argument is Qt's or
// ignored.
std::optional<int> AnswerInformationOption(int argc, const char* const* argv, ProgramCopy copy);

}  // namespace bio
