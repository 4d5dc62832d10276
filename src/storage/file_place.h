#pragma once

#include <filesystem>

#include "storage/personal_file.h"

namespace bio {

// Where kojinfl.txt is read from and written to in one run of the program.
struct PersonalFilePlaces {
  std::filesystem::path load_folder;
  std::filesystem::path save_folder;
};

// True when the current user may create files in `folder` (access W_OK).
bool FolderWritable(const std::filesystem::path& folder);

// How the program was built: the package's copy, or one that lives in a
// build tree or a portable folder.
enum class ProgramCopy { Portable, Installed };

// An installed copy reads and writes `user_folder` only, whoever runs it:
// root may write the program's folder too, but a file there would be shared
// by every user and outlive the package.
// A portable copy uses the program's folder for both when `writable` says the
// user may write there, so a portable folder or a build tree keeps its file
// beside the program. Otherwise the file goes to `user_folder`, and is read
// from there once it exists, else from beside the program so that a file
// shipped with the program still fills in the form. With no user folder (no
// home), the program's folder, where saving may then fail.
PersonalFilePlaces ChoosePersonalFilePlaces(
    const std::filesystem::path& program_folder, const std::filesystem::path& user_folder,
    ProgramCopy copy, bool (*writable)(const std::filesystem::path&) = FolderWritable);

// SavePersonalFile into `folder`, first creating it and any missing parents
// private to the user (mode 0700) when it does not exist yet.
SaveResult SavePersonalFileCreatingFolder(const std::filesystem::path& folder,
                                          const PersonRecord& record);

}  // namespace bio
