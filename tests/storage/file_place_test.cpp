#include "storage/file_place.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace bio {
namespace {

namespace fs = std::filesystem;

bool Writable(const fs::path&) { return true; }
bool NotWritable(const fs::path&) { return false; }

TEST(ChoosePersonalFilePlaces, ProgramFolderWhenWritableElseTheUsers) {
  std::string name = fs::temp_directory_path() / "file_place_test.XXXXXX";
  const fs::path dir = ::mkdtemp(name.data());
  const fs::path program = dir / "program", fresh = dir / "fresh", used = dir / "used";
  fs::create_directory(used);
  std::ofstream(used / kPersonalFileName) << "\"A\"\r\n";
  const struct {
    bool (*writable)(const fs::path&);
    fs::path user, load, save;
  } rows[] = {
      {Writable, used, program, program},    // portable: the user's file is not its own
      {NotWritable, fresh, program, fresh},  // installed, first run: a shipped file
      {NotWritable, used, used, used},
      {NotWritable, "", program, program},  // no home: saving fails and says so
  };
  for (const auto& row : rows) {
    const PersonalFilePlaces places = ChoosePersonalFilePlaces(program, row.user, row.writable);
    EXPECT_EQ(places.load_folder, row.load) << row.user;
    EXPECT_EQ(places.save_folder, row.save) << row.user;
  }
  EXPECT_TRUE(FolderWritable(dir));
  EXPECT_FALSE(FolderWritable(program));  // missing
  EXPECT_TRUE(SavePersonalFileCreatingFolder(fresh / "biorhythm", {}).ok);
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_all);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace bio
