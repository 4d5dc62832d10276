#include "storage/personal_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#include "hex.h"

namespace bio {

// Lets gtest show a mismatching record field by field; internal linkage so
// it cannot clash with another test's printer.
static void PrintTo(const PersonRecord& r, std::ostream* os) {
  *os << '[' << r.name << '|' << r.era << '|' << r.year << '|' << r.month << '|' << r.day << ']';
}

namespace {

namespace fs = std::filesystem;
using test::FromHex;
using test::ToHex;

const PersonRecord kYamada{"山田太郎", "昭和", "40", "5", "3"};
const char kYamadaHex[] =
    "22 8E 52 93 63 91 BE 98 59 22 2C 22 8F BA 98 61 22 2C 22 34 30 22 2C 22 35 22 2C 22 33 22 "
    "0D 0A";

struct FormatCase {
  const char* label;
  PersonRecord record;
  const char* bytes;  // hex
};

TEST(FormatPersonalRecord, WritesFiveQuotedCp932FieldsAndCrLf) {
  const FormatCase cases[] = {
      {"example record", kYamada, kYamadaHex},
      {"empty record", {}, "22 22 2C 22 22 2C 22 22 2C 22 22 2C 22 22 0D 0A"},
      {"comma and month typed as 05",
       {"a,b", "", "", "05", ""},
       "22 61 2C 62 22 2C 22 22 2C 22 22 2C 22 30 35 22 2C 22 22 0D 0A"},
      {"quotation mark -> fullwidth",
       {"a\"b", "", "", "", "\""},
       "22 61 FA 57 62 22 2C 22 22 2C 22 22 2C 22 22 2C 22 FA 57 22 0D 0A"},
      {"line breaks -> one space each",
       {"a\r\nb\rc\nd", "", "", "", "\n"},
       "22 61 20 62 20 63 20 64 22 2C 22 22 2C 22 22 2C 22 22 2C 22 20 22 0D 0A"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(ToHex(FormatPersonalRecord(c.record)), c.bytes) << c.label;
  }
}

struct ParseCase {
  const char* label;
  std::string bytes;
  PersonRecord record;
};

TEST(ParsePersonalRecord, FollowsTheSequentialInputRules) {
  const ParseCase cases[] = {
      {"example file", FromHex(kYamadaHex), kYamada},
      {"empty file", "", {}},
      {"comma inside quotes",
       "\"Yamada, Taro\",\"\",\"05\",\"5\",\"3\"\r\n",
       {"Yamada, Taro", "", "05", "5", "3"}},
      {"sixth field and further lines ignored",
       "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n\"g\"\r\n",
       {"a", "b", "c", "d", "e"}},
      {"fewer than five fields", "\"a\",\"b\"\r\n", {"a", "b", "", "", ""}},
      {"blanks before fields skipped",
       "  \"a\", \t\"b\",  c,\t\"d\" ,\"e\"",
       {"a", "b", "c", "d", "e"}},
      {"unquoted fields, trailing blanks trimmed",
       "a b ,c,05 ,5,3 \r\n",
       {"a b", "c", "05", "5", "3"}},
      {"empty unquoted fields", ",,x,,", {"", "", "x", "", ""}},
      {"text after closing quote dropped", "\"a\"xy,\"b\" z\r\n", {"a", "b", "", "", ""}},
      {"quote inside unquoted field kept", "a\"b,c", {"a\"b", "c", "", "", ""}},
      {"record over LF, CR and CR LF lines",
       "\"a\"\n\"b\"\r\"c\",\r\n\"d\",\"e\"",
       {"a", "b", "c", "d", "e"}},
      {"blank lines before the record skipped",
       "\r\n\n \r\"a\",\"b\",\"c\",\"d\",\"e\"\r\n",
       {"a", "b", "c", "d", "e"}},
      {"unclosed quote ends with its line", "\"abc\r\n\"d\",\"e\"", {"abc", "d", "e", "", ""}},
      {"invalid bytes -> U+FFFD each",
       "\"\x80\xFF\",\"\x82\xA0\x82\",\"x\"",
       {"\uFFFD\uFFFD", "あ\uFFFD", "x", "", ""}},
      {"backslash trail byte kept", FromHex("22 95 5C 22 2C 22 5C 22"), {"表", "\\", "", "", ""}},
      {"UTF-8 from a text editor", "\"山田太郎\",\"昭和\",\"40\",\"5\",\"3\"\r\n", kYamada},
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF\"山田太郎\",\"昭和\",\"40\",\"5\",\"3\"\r\n",
       kYamada},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParsePersonalRecord(c.bytes), c.record) << c.label;
  }
}

TEST(PersonalRecord, ReadsBackAsSaved) {
  const PersonRecord records[] = {
      kYamada,
      {"山田,太郎", "平成", "1", "1", "8"},  // comma in the name
      {},                                    // empty fields
      {"x", "令和", "O1", "05", "3a"},       // as typed, not normalised
      {" a ", "\t", "", "", ""},
      {"\\~", "①髙", "\uE000", "", ""},
  };
  for (const PersonRecord& r : records) {
    EXPECT_EQ(ParsePersonalRecord(FormatPersonalRecord(r)), r);
  }
}

// What cannot be stored as it is still reads back as five fields.
TEST(PersonalRecord, ReadsBackAsFiveFieldsAfterReplacements) {
  const std::pair<PersonRecord, PersonRecord> cases[] = {
      {{"a\"b\"", "", "", "", ""}, {"a＂b＂", "", "", "", ""}},
      {{"a\r\nb", "\r", "\n\n", "", ""}, {"a b", " ", "  ", "", ""}},
      {{"é", std::string("\0", 1), "\xFF\xFE", "", ""}, {"é", "?", "??", "", ""}},
  };
  for (const auto& [saved, loaded] : cases) {
    EXPECT_EQ(ParsePersonalRecord(FormatPersonalRecord(saved)), loaded);
  }
}

// Names code page 932 cannot hold are kept as character references, and a
// name that looks like one still reads back as typed.
TEST(PersonalRecord, NamesReadBackAsTyped) {
  const struct {
    const char* name;
    const char* bytes;  // hex, of the name's field
    const char* read;
  } cases[] = {
      {"𠮷田", "26 23 31 33 34 30 37 31 3B 93 63", "𠮷田"},
      {"😀", "26 23 31 32 38 35 31 32 3B", "😀"},
      {"A&#65;", "41 26 23 33 38 3B 23 36 35 3B", "A&#65;"},
      {"a\"b", "61 FA 57 62", "a＂b"},
      {"山田太郎", "8E 52 93 63 91 BE 98 59", "山田太郎"},
  };
  for (const auto& c : cases) {
    const std::string written = FormatPersonalRecord({c.name, "", "", "", ""});
    EXPECT_EQ(ToHex(written),
              std::string("22 ") + c.bytes + " 22 2C 22 22 2C 22 22 2C 22 22 2C 22 22 0D 0A")
        << c.name;
    EXPECT_EQ(ParsePersonalRecord(written).name, c.read) << c.name;
  }
}

// A fresh folder per test, standing in for the program folder.
class PersonalFileTest : public ::testing::Test {
 public:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "storage_test.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    ::chmod(folder_.c_str(), 0700);
    fs::remove_all(folder_);
  }

  fs::path File() const { return folder_ / kPersonalFileName; }

  void Write(const std::string& bytes) const { std::ofstream(File(), std::ios::binary) << bytes; }

  std::string Read() const {
    if (!fs::is_regular_file(File())) return {};
    std::ifstream in(File(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  fs::path folder_;
};

TEST_F(PersonalFileTest, MissingFileLoadsAsEmptyRecord) {
  EXPECT_EQ(LoadPersonalFile(folder_), PersonRecord{});
}

TEST_F(PersonalFileTest, SaveWritesExactBytesAndLoadsBack) {
  Write("\"an older, much longer record\",\"明治\",\"1\",\"2\",\"3\"\r\nand a second line\r\n");
  const SaveResult result = SavePersonalFile(folder_, kYamada);
  ASSERT_TRUE(result.ok) << result.error_number;
  EXPECT_EQ(ToHex(Read()), kYamadaHex);
  EXPECT_EQ(Names(), std::set<std::string>{kPersonalFileName});
  EXPECT_EQ(LoadPersonalFile(folder_), kYamada);
}

TEST_F(PersonalFileTest, UnreadableFilesLoadAsEmptyRecord) {
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"directory", [&] { fs::create_directory(File()); }},
      {"FIFO with no writer", [&] { ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0); }},
      {"link to an endless device", [&] { fs::create_symlink("/dev/zero", File()); }},
  };
  for (const auto& [label, make] : cases) {
    make();
    EXPECT_EQ(LoadPersonalFile(folder_), PersonRecord{}) << label;
    fs::remove_all(File());
  }
}

TEST_F(PersonalFileTest, ReadsOnlyABoundedPrefix) {
  Write("\"" + std::string(2 * kPersonalFileReadLimit, 'a'));
  EXPECT_EQ(LoadPersonalFile(folder_),
            (PersonRecord{std::string(kPersonalFileReadLimit - 1, 'a'), "", "", "", ""}));
}

// Restores a resource limit and SIGXFSZ however the test leaves.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = ::signal(SIGXFSZ, SIG_IGN);  // so write() fails with EFBIG instead
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit saved_{};
  sighandler_t old_handler_;
};

TEST_F(PersonalFileTest, FailedSaveReportsPathAndErrnoAndKeepsPreviousFile) {
  enum Fault { kNoFolder, kDirectoryInTheWay, kDiskFull, kReadOnlyFolder };
  const std::pair<Fault, int> cases[] = {{kNoFolder, ENOENT},
                                         {kDirectoryInTheWay, EISDIR},
                                         {kDiskFull, EFBIG},
                                         {kReadOnlyFolder, EACCES}};
  for (const auto& [fault, expected_errno] : cases) {
    SCOPED_TRACE(fault);
    ::chmod(folder_.c_str(), 0700);
    fs::remove_all(File());
    fs::path folder = folder_;
    if (fault == kNoFolder) folder /= "missing";
    if (fault == kDirectoryInTheWay) fs::create_directory(File());
    if (fault == kDiskFull) Write("\"previous\"\r\n");
    if (fault == kReadOnlyFolder) {
      ::chmod(folder_.c_str(), 0500);
      if (::access(folder_.c_str(), W_OK) == 0) {
        std::cout << "note: read-only folder not checked, this user writes anyway\n";
        continue;
      }
    }
    const std::set<std::string> names_before = Names();
    const std::string bytes_before = Read();

    SaveResult result;
    {
      std::optional<FileSizeLimit> limit;
      if (fault == kDiskFull) limit.emplace(4);  // a few bytes in, the write fails
      result = SavePersonalFile(folder, kYamada);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error_number, expected_errno);
    // The file the message box will name.
    EXPECT_EQ(result.path, folder / kPersonalFileName);
    EXPECT_EQ(Names(), names_before) << "temporary file left behind";
    EXPECT_EQ(Read(), bytes_before);
  }
}

// A save keeps the file's mode (a new file gets the umask's), a link, and the
// rest of the folder but an old temporary file. Each starts with a kojinfl.txt.
TEST_F(PersonalFileTest, SaveRespectsWhatItReplaces) {
  const auto link_to_real = [&](bool real_exists) {
    fs::remove(File());
    fs::create_directory(folder_ / "real");
    if (real_exists) std::ofstream(folder_ / "real" / kPersonalFileName) << "x";
    fs::create_symlink("real/kojinfl.txt", File());  // relative to the link's folder
  };
  const char kOldTemporary[] = "kojinfl.txt.12-3.tmp";
  const auto leave_temporary_files = [&] {
    for (const char* name : {kOldTemporary, "kojinfl.txt.12-x.tmp", "kojinfl.txt.x-3.tmp"}) {
      std::ofstream{folder_ / name}.close();  // an empty file
      fs::last_write_time(folder_ / name,
                          fs::file_time_type::clock::now() - std::chrono::minutes(2));
    }
    std::ofstream{folder_ / "kojinfl.txt.12-4.tmp"};  // as if a save were going on now
  };
  std::string widest;  // as long as the text boxes take, eight bytes a unit ("&#44032;")
  for (std::size_t i = 0; i < kMaxFieldUnits; ++i) widest += "가";
  struct Case {
    const char* label;
    bool root_writes_anyway;
    std::function<void()> arrange;
    int error;  // 0: saved
    PersonRecord record = kYamada;
  };
  const Case cases[] = {
      {"mode 600 kept", false, [&] { fs::permissions(File(), fs::perms(0600)); }, 0},
      {"link followed", false, [&] { link_to_real(true); }, 0},
      {"dangling link written through", false, [&] { link_to_real(false); }, 0},
      {"read-only file kept", true, [&] { fs::permissions(File(), fs::perms(0444)); }, EACCES},
      {"read-only folder, file rewritten in place", true,
       [&] { fs::permissions(folder_, fs::perms(0500)); }, 0},
      {"longest name and fields", false, [] {}, 0, {widest, widest, widest, widest, widest}},
      {"only old temporary files removed", false, leave_temporary_files, 0},
  };
  const mode_t mask = ::umask(0);
  ::umask(mask);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ::chmod(folder_.c_str(), 0700);
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove_all(entry.path());
    Write(std::string(99, 'x'));  // longer than the record, for a rewrite in place to cut
    if (c.root_writes_anyway && ::geteuid() == 0) {
      std::cout << "note: " << c.label << ": not checked, root writes anyway\n";
      continue;
    }
    c.arrange();
    const std::string before = Read();
    const fs::file_status status = fs::status(File());
    const bool link = fs::is_symlink(File());
    std::set<std::string> names = Names();
    names.erase(kOldTemporary);
    const SaveResult result = SavePersonalFile(folder_, c.record);
    EXPECT_EQ(result.error_number, c.error) << result.path;
    EXPECT_EQ(result.ok, c.error == 0);
    EXPECT_EQ(Read(), c.error == 0 ? FormatPersonalRecord(c.record) : before);
    EXPECT_EQ(LoadPersonalFile(folder_), c.error == 0 ? c.record : ParsePersonalRecord(before));
    EXPECT_EQ(fs::status(File()).permissions(),
              fs::exists(status) ? status.permissions() : fs::perms(0666 & ~mask));
    EXPECT_EQ(fs::is_symlink(File()), link);
    EXPECT_EQ(Names(), names);
  }
}

// Saving over a file another user owns, in a folder both may write, as a
// user who is in the file's group or not. Needs root to set it up: the save
// runs in a child that has become that user.
TEST_F(PersonalFileTest, SaveByAnotherUserKeepsWhoMayReadTheFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file to another user";
  constexpr uid_t kOwner = 4241, kSaver = 4243;
  constexpr gid_t kFamily = 4242, kOwnerGroup = 4241, kSaverGroup = 4243;
  const struct {
    const char* label;
    gid_t file_group;
    mode_t mode;
    uid_t owner_after;  // the saver's when the file was replaced, else kept
  } cases[] = {
      {"saver in the file's group: replaced, group kept", kFamily, 0660, kSaver},
      {"saver not in it: rewritten in place", kOwnerGroup, 0666, kOwner},
  };
  ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Write(std::string(99, 'x'));
    ASSERT_EQ(::chown(File().c_str(), kOwner, c.file_group), 0);
    ASSERT_EQ(::chmod(File().c_str(), c.mode), 0);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      const gid_t groups[] = {kFamily};
      if (::setgroups(1, groups) != 0 || ::setgid(kSaverGroup) != 0 || ::setuid(kSaver) != 0) {
        ::_exit(100);
      }
      ::_exit(SavePersonalFile(folder_, kYamada).error_number);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ToHex(Read()), kYamadaHex);
    struct stat st;
    ASSERT_EQ(::stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, c.owner_after);
    EXPECT_EQ(st.st_gid, c.file_group);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    EXPECT_EQ(Names(), std::set<std::string>{kPersonalFileName});
  }
}

}  // namespace
}  // namespace bio
