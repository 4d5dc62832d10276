#include "app/command_line.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "diagnosis/wording.h"

namespace bio {

std::optional<int> AnswerInformationOption(int argc, const char* const* argv, ProgramCopy copy) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    std::string text;
    if (arg == "-h" || arg == "--help") {
      text = HelpText(copy);
    } else if (arg == "-V" || arg == "-v" || arg == "--version") {
      text = "biorhythm " BIO_VERSION "\n";
    } else {
      continue;
    }
    // A full disk or a closed stdout is a failure, as for any command that prints.
    const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? 0 : 1;
  }
  return std::nullopt;
}

}  // namespace bio
