#include "storage/file_place.h"

#include <gtest/gtest.h>
#include <unistd.h>

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
  const ProgramCopy portable = ProgramCopy::Portable, installed = ProgramCopy::Installed;
  const struct {
    ProgramCopy copy;
    bool (*writable)(const fs::path&);
    fs::path user, load, save;
  } rows[] = {
      {portable, Writable, used, program, program},    // the user's file is not its own
      {portable, NotWritable, fresh, program, fresh},  // read-only folder: a shipped file
      {portable, NotWritable, used, used, used},
      {portable, NotWritable, "", program, program},  // no home: saving fails and says so
      {installed, Writable, fresh, fresh, fresh},     // root, who may write /usr/bin
      {installed, NotWritable, used, used, used},
  };
  for (const auto& row : rows) {
    const PersonalFilePlaces places =
        ChoosePersonalFilePlaces(program, row.user, row.copy, row.writable);
    EXPECT_EQ(places.load_folder, row.load) << row.user;
    EXPECT_EQ(places.save_folder, row.save) << row.user;
  }
  EXPECT_TRUE(FolderWritable(dir));
  EXPECT_FALSE(FolderWritable(program));  // missing
  // Root writes anyway; the suite runs this test once more as nobody.
  const fs::path read_only = dir / "read-only";
  fs::create_directory(read_only);
  fs::permissions(read_only, fs::perms(0500));
  if (::geteuid() != 0) {
    EXPECT_FALSE(FolderWritable(read_only));
  }
  EXPECT_TRUE(SavePersonalFileCreatingFolder(fresh / "biorhythm", {}).ok);
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_all);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace bio
