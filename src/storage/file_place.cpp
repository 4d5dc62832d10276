#include "storage/file_place.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace bio {

namespace fs = std::filesystem;

bool FolderWritable(const fs::path& folder) { return ::access(folder.c_str(), W_OK) == 0; }

PersonalFilePlaces ChoosePersonalFilePlaces(const fs::path& program_folder,
                                            const fs::path& user_folder, ProgramCopy copy,
                                            bool (*writable)(const fs::path&)) {
  if (copy == ProgramCopy::Installed) return {user_folder, user_folder};
  if (user_folder.empty() || writable(program_folder)) return {program_folder, program_folder};
  std::error_code ignored;
  const bool user_file = fs::exists(user_folder / kPersonalFileName, ignored);
  return {user_file ? user_folder : program_folder, user_folder};
}

SaveResult SavePersonalFileCreatingFolder(const fs::path& folder, const PersonRecord& record) {
  std::error_code ignored;
  if (!fs::is_directory(folder, ignored)) {
    // mkdir -p, each new folder private; existing ones are left as they are.
    fs::path made;
    for (const fs::path& part : folder) {
      made /= part;
      if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
        return SaveFailure(made, errno);
      }
    }
  }
  return SavePersonalFile(folder, record);
}

}  // namespace bio
