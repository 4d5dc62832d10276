#include "storage/personal_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "hex.h"
#include "storage/cp932.h"
#include "storage/file_size_limit.h"
#include "storage/system_calls.h"

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
      {"UTF-8 record, a stray byte after it",
       "\xEF\xBB\xBF\"山田太郎\",\"昭和\",\"40\",\"5\",\"3\"\r\n\xFF", kYamada},
      {"byte order mark before code page 932: the mark dropped",
       "\xEF\xBB\xBF" + FromHex(kYamadaHex), kYamada},
      {"overlong UTF-8 (E0 80 AF) read as code page 932",
       "\"\xE0\x80\xAF\"",
       {"烙ｯ", "", "", "", ""}},
      {"references in a UTF-8 copy expanded", "\"&#134071;田\"", {"𠮷田", "", "", "", ""}},
      {"what is no reference kept literally",
       "\"&#13;&#10;&#55296;&#65x\"",
       {"&#13;&#10;&#55296;&#65x", "", "", "", ""}},
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
      {"\U0010FFFD", "26 23 31 31 31 34 31 30 39 3B", "\U0010FFFD"},
      {"ﾃｱ", "26 23 36 35 34 31 31 3B 26 23 36 35 33 39 33 3B", "ﾃｱ"},  // C3 B1 would read as ñ
      {"¥—", "26 23 31 36 35 3B 26 23 38 32 31 32 3B", "¥—"},           // one-way forms: 5C, 81 5C
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
    std::string pattern = (base_ / "storage_test.XXXXXX").string();
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
    std::error_code ec;  // a link to itself
    if (!fs::is_regular_file(File(), ec)) return {};
    std::ifstream in(File(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // Listed even where the folder may be written but not read (0300).
  std::set<std::string> Names() const {
    struct stat st {};
    ::stat(folder_.c_str(), &st);
    ::chmod(folder_.c_str(), (st.st_mode | S_IRUSR) & 07777);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    ::chmod(folder_.c_str(), st.st_mode & 07777);
    return names;
  }

  fs::path base_ = fs::temp_directory_path();
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

// A pre-image (kojinfl.txt.saving: the record a rewrite in place was
// writing, then the old bytes) stands in only for the tear it was made for,
// and only when it belongs to a user who may write the file; a file that is
// no such tear is read as it stands, as a person left it.
TEST_F(PersonalFileTest, APreImageMendsOnlyItsOwnTear) {
  const PersonRecord old_record{"Aaaaaaaaaaaaaaaaaaaa", "昭和", "13", "12", "31"};
  const std::string written = FormatPersonalRecord({"B13", "平成", "1", "2", "3"});
  const std::string old_bytes = FormatPersonalRecord(old_record);
  // kYamada as an editor saves it: quoted, with an LF line end.
  std::string edited = FromHex(kYamadaHex);
  edited.replace(edited.size() - 2, 2, "\n");
  // Crafted so that `edited` is a mix of its two parts: the record is
  // `edited` with CR LF, the old bytes end in LF where `edited` does.
  const std::string planted =
      FromHex(kYamadaHex) + "\"planted\"" + std::string(edited.size() - 10, ' ') + "\n";
  // A mix of the record and the old bytes shifted by one, which is what a
  // pre-image read without its record's own length would take for a tear.
  const std::string shifted = written.substr(0, 10) + old_bytes.substr(11);
  const struct {
    const char* label;
    std::string file;
    std::string pre_image;
    bool another_users;  // the pre-image's owner may not write the file
    PersonRecord loads;
  } cases[] = {
      {"torn part way: the old record", written.substr(0, 10) + old_bytes.substr(10),
       written + old_bytes, false, old_record},
      {"the new record whole beside a stale pre-image", FromHex(kYamadaHex), written + old_bytes,
       false, kYamada},
      {"edited by hand (LF) beside a leftover", edited, written + old_bytes, false, kYamada},
      {"edited by hand beside one another user planted", edited, planted, true, kYamada},
      {"the new record not yet cut to length: the new record",
       written + old_bytes.substr(written.size()), written + old_bytes, false,
       ParsePersonalRecord(written)},
      {"a pre-image whose record no save wrote (LF) mends nothing", shifted,
       written.substr(0, written.size() - 2) + "\n" + old_bytes, false,
       ParsePersonalRecord(shifted)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.another_users && ::geteuid() != 0) {
      std::cout << "note: " << c.label << ": needs root to give a file away\n";
      continue;
    }
    Write(c.file);
    ::chmod(File().c_str(), 0644);
    const fs::path pre = folder_ / "kojinfl.txt.saving";
    std::ofstream(pre, std::ios::binary) << c.pre_image;
    if (c.another_users) {
      ASSERT_EQ(::chown(pre.c_str(), 4244, 4244), 0);
    }
    EXPECT_EQ(LoadPersonalFile(folder_), c.loads);
  }
}

// Restores a resource limit and SIGXFSZ however the test leaves.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    // The program's start-up code, from the signal's default: write() then
    // fails with EFBIG instead of ending the test.
    old_handler_ = ::signal(SIGXFSZ, SIG_DFL);
    IgnoreFileSizeSignal();
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
  enum Fault { kNoFolder, kDirectoryInTheWay, kDiskFull, kReadOnlyFolder, kLockedByAStuckCopy };
  const std::pair<Fault, int> cases[] = {{kNoFolder, ENOENT},
                                         {kDirectoryInTheWay, EISDIR},
                                         {kDiskFull, EFBIG},
                                         {kReadOnlyFolder, EACCES},
                                         {kLockedByAStuckCopy, EWOULDBLOCK}};
  for (const auto& [fault, expected_errno] : cases) {
    SCOPED_TRACE(fault);
    ::chmod(folder_.c_str(), 0700);
    fs::remove_all(File());
    fs::path folder = folder_;
    if (fault == kNoFolder) folder /= "missing";
    if (fault == kDirectoryInTheWay) fs::create_directory(File());
    if (fault == kDiskFull || fault == kLockedByAStuckCopy) Write("\"previous\"\r\n");
    // A copy of the program that stopped in the middle of a save.
    const int stuck = fault == kLockedByAStuckCopy ? ::open(File().c_str(), O_RDWR) : -1;
    struct flock whole {};
    whole.l_type = F_WRLCK;
    if (stuck >= 0) {
      ASSERT_EQ(::fcntl(stuck, F_OFD_SETLK, &whole), 0);
    }
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
    if (stuck >= 0) {
      // The start-up waits for it a moment only, then reads the file.
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(LoadPersonalFile(folder_), (PersonRecord{"previous", "", "", "", ""}));
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
      ::close(stuck);
    }
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
  // A sticky folder owned by user 4241, shared with everyone or (01770) with
  // its group, with kojinfl.txt a link of `link_owner`'s to real/kojinfl.txt.
  const auto link_in_sticky_folder = [&](uid_t link_owner, mode_t folder_mode = 01777) {
    link_to_real(true);
    ASSERT_EQ(::chmod(folder_.c_str(), folder_mode), 0);
    ASSERT_EQ(::chown(folder_.c_str(), 4241, static_cast<gid_t>(-1)), 0);
    ASSERT_EQ(::lchown(File().c_str(), link_owner, static_cast<gid_t>(-1)), 0);
  };
  enum Who { kAnyone, kNotRoot, kRootOnly };  // root writes anyway; only root gives files away
  struct Case {
    const char* label;
    Who who;
    std::function<void()> arrange;
    int error;  // 0: saved
    PersonRecord record = kYamada;
    std::optional<PersonRecord> loads = {};  // when not the record or the file's
  };
  const Case cases[] = {
      {"mode 600 kept", kAnyone, [&] { fs::permissions(File(), fs::perms(0600)); }, 0},
      {"link followed", kAnyone, [&] { link_to_real(true); }, 0},
      {"dangling link written through", kAnyone, [&] { link_to_real(false); }, 0},
      {"link to itself: ELOOP, the link stays", kAnyone,
       [&] {
         fs::remove(File());
         fs::create_symlink(kPersonalFileName, File());
       },
       ELOOP},
      {"another user's link in a shared sticky folder: not followed", kRootOnly,
       [&] { link_in_sticky_folder(4244); }, EACCES, kYamada, PersonRecord{}},
      {"the user's own link in a shared sticky folder: followed", kRootOnly,
       [&] { link_in_sticky_folder(::geteuid()); }, 0},
      {"the folder owner's link in a shared sticky folder: followed", kRootOnly,
       [&] { link_in_sticky_folder(4241); }, 0},
      {"another user's link in a sticky folder of one group (01770): followed", kRootOnly,
       [&] { link_in_sticky_folder(4244, 01770); }, 0},
      {"link to a FIFO: nothing written, the FIFO stays", kAnyone,
       [&] {
         fs::remove(File());
         ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0600), 0);
         fs::create_symlink("fifo", File());
       },
       ENXIO, kYamada, PersonRecord{}},
      {"read-only file kept", kNotRoot, [&] { fs::permissions(File(), fs::perms(0444)); }, EACCES},
      {"read-only folder, file rewritten in place", kNotRoot,
       [&] { fs::permissions(folder_, fs::perms(0500)); }, 0},
      {"folder written but not read (0300): saved, its sync skipped", kNotRoot,
       [&] { fs::permissions(folder_, fs::perms(0300)); }, 0},
      {"longest name and fields", kAnyone, [] {}, 0, {widest, widest, widest, widest, widest}},
      {"only old temporary files removed", kAnyone, leave_temporary_files, 0},
  };
  const mode_t mask = ::umask(0);
  ::umask(mask);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ::chmod(folder_.c_str(), 0700);
    ::chown(folder_.c_str(), ::geteuid(), static_cast<gid_t>(-1));
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove_all(entry.path());
    Write(std::string(99, 'x'));  // longer than the record, for a rewrite in place to cut
    if ((c.who == kNotRoot) == (::geteuid() == 0) && c.who != kAnyone) {
      std::cout << "note: " << c.label << ": not checked as this user\n";
      continue;
    }
    c.arrange();
    const std::string before = Read();
    std::error_code ec;  // a link to itself has no status
    const fs::file_status status = fs::status(File(), ec);
    const bool link = fs::is_symlink(File());
    std::set<std::string> names = Names();
    names.erase(kOldTemporary);
    const SaveResult result = SavePersonalFile(folder_, c.record);
    EXPECT_EQ(result.error_number, c.error) << result.path;
    EXPECT_EQ(result.ok, c.error == 0);
    EXPECT_EQ(Read(), c.error == 0 ? FormatPersonalRecord(c.record) : before);
    EXPECT_EQ(LoadPersonalFile(folder_),
              c.loads.value_or(c.error == 0 ? c.record : ParsePersonalRecord(before)));
    EXPECT_EQ(fs::status(File(), ec).permissions(),
              c.error != 0 || fs::exists(status) ? status.permissions() : fs::perms(0666 & ~mask));
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

// The calls of one save, written by the saving child into memory the test
// shares with it: which call to fail (with EIO) or to end the process at.
struct CallLog {
  int count = 0;
  int stop_at = 0;  // 1-based; 0: none
  bool crash = false;
  int error = EIO;  // the failed call's errno
  sys::Call calls[100];
};
CallLog* call_log = nullptr;

constexpr int kCrashed = 99;  // the exit status of a child ended at a call

int CountingHook(sys::Call call) {
  const int n = ++call_log->count;
  if (n <= 100) call_log->calls[n - 1] = call;
  if (n != call_log->stop_at) return 0;
  if (call_log->crash) ::_exit(kCrashed);
  return call_log->error;
}

// An old file other than kOldBytes, and what it reads as.
struct OldFile {
  std::string bytes;
  PersonRecord record;
};
// A first line that, cut anywhere within the new record's length, reads as
// another record; and a file the new record outgrows.
const OldFile kLongFirstLine{
    Utf8ToCp932("寿限無寿限無五劫の擦り切れ,昭和,50,5,3\nand a second line\n", false),
    {"寿限無寿限無五劫の擦り切れ", "昭和", "50", "5", "3"}};
const OldFile kShortOld{"a\n", {"a", "", "", "", ""}};

// One way a save goes, by the file it finds and who saves.
struct SavePath {
  const char* name;
  bool old_file;
  uid_t owner;  // of the old file and, but for the folder's mode, of the folder
  gid_t group;
  mode_t mode;
  mode_t folder_mode;
  bool other_user;  // saved by uid 4243, in group 4242 only
  bool in_place;    // the new record is in place at the last fsync, not at a rename
  const struct OldFile* old = nullptr;  // when not kOldBytes
};

constexpr uid_t kSelf = static_cast<uid_t>(-1);  // the user running the test
const SavePath kSavePaths[] = {
    {"new file", false, kSelf, 0, 0, 0700, false, false},
    {"atomic replace", true, kSelf, 0, 0600, 0700, false, false},
    {"group kept", true, 4241, 4242, 0660, 0777, true, false},
    {"in place, group not kept", true, 4241, 4241, 0666, 0777, true, true},
    {"in place, sticky folder refuses the rename", true, 4241, 4242, 0660, 01777, true, true},
    {"in place, folder takes no file", true, 4241, 4241, 0666, 0555, true, true},
    {"in place, a first line longer than the record", true, 4241, 4241, 0666, 0777, true, true,
     &kLongFirstLine},
    {"in place, an old file shorter than the record", true, 4241, 4241, 0666, 0777, true, true,
     &kShortOld},
};

// A file a person typed in a text editor, longer than the record that
// replaces it, and not laid out as a save writes it.
const std::string kOldBytes =
    FromHex("8E 52 93 63 91 BE 98 59 2C 8F BA 98 61 2C 35 30 2C 35 2C 33 0A") +
    "and a second line, longer than the new record\n";
const PersonRecord kOld{"山田太郎", "昭和", "50", "5", "3"};
const PersonRecord kNew{"山田花子", "平成", "1", "2", "3"};

class SavePathTest : public PersonalFileTest {
 public:
  void SetUp() override {
    // Hundreds of saves, each with several fsyncs: on a memory file system
    // where there is one, so that they cost nothing.
    if (::access("/dev/shm", W_OK | X_OK) == 0) base_ = "/dev/shm";
    PersonalFileTest::SetUp();
    if (call_log == nullptr) {
      void* shared = ::mmap(nullptr, sizeof(CallLog), PROT_READ | PROT_WRITE,
                            MAP_SHARED | MAP_ANONYMOUS, -1, 0);
      ASSERT_NE(shared, MAP_FAILED);
      call_log = new (shared) CallLog;
    }
  }

  // The paths this user can set up: those of another user need root.
  static std::vector<SavePath> Paths() {
    std::vector<SavePath> paths;
    for (const SavePath& path : kSavePaths) {
      if (!path.other_user || ::geteuid() == 0) paths.push_back(path);
    }
    return paths;
  }

  void Arrange(const SavePath& path) {
    ::chmod(folder_.c_str(), 0700);
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove_all(entry.path());
    if (path.old_file) {
      Write(OldBytes(path));
      if (path.owner != kSelf) {
        ASSERT_EQ(::chown(File().c_str(), path.owner, path.group), 0);
      }
      ASSERT_EQ(::chmod(File().c_str(), path.mode), 0);
    }
    ASSERT_EQ(::chmod(folder_.c_str(), path.folder_mode), 0);
  }

  // Saves kNew in a child, as the path's user, failing or ending at call
  // `stop_at` (0: none), after `prepare`. The child's exit status: 0 when
  // saved, the errno of a failure that names the file, kCrashed, or 255.
  int Save(const SavePath& path, int stop_at, bool crash, void (*prepare)() = nullptr,
           int error = EIO) {
    *call_log = CallLog{};
    call_log->stop_at = stop_at;
    call_log->crash = crash;
    call_log->error = error;
    const pid_t child = ::fork();
    if (child == 0) {
      const gid_t groups[] = {4242};
      if (path.other_user &&
          (::setgroups(1, groups) != 0 || ::setgid(4243) != 0 || ::setuid(4243) != 0)) {
        ::_exit(254);
      }
      if (prepare != nullptr) prepare();
      sys::SetHook(CountingHook);
      const SaveResult result = SavePersonalFile(folder_, kNew);
      ::_exit(result.ok ? 0 : result.path == File() ? result.error_number : 255);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  // The calls of a save that nothing disturbs, by name.
  std::string CallNames() const {
    static const char* const kNames[] = {"open",   "read",   "write",  "ftruncate", "fsync",
                                         "fchmod", "fchown", "rename", "close",     "lock"};
    std::string names;
    for (int i = 0; i < call_log->count; ++i) {
      names += std::string(names.empty() ? "" : " ") + kNames[static_cast<int>(call_log->calls[i])];
    }
    return names;
  }

  // The position of the call after which the new record is what a load
  // reads: the rename, or the last fsync of a rewrite in place.
  int CommitCall(const SavePath& path) const {
    const sys::Call commit = path.in_place ? sys::Call::kFsync : sys::Call::kRename;
    int at = 0;
    for (int i = 0; i < call_log->count; ++i) {
      if (call_log->calls[i] == commit) at = i + 1;
    }
    return at;
  }

  PersonRecord OldRecord(const SavePath& path) const {
    return !path.old_file ? PersonRecord{} : path.old ? path.old->record : kOld;
  }
  std::string OldBytes(const SavePath& path) const {
    return !path.old_file ? "" : path.old ? path.old->bytes : kOldBytes;
  }
};

// Each call of each save path fails in turn (EIO): the save reports it with
// the file's path, and the file holds the old bytes until the new record is
// in place, and the new record after. No temporary file or pre-image stays.
// A folder whose file system does not sync folders (EINVAL) is no failure.
TEST_F(SavePathTest, AnyOneFailedCallIsReportedAndLeavesTheOldRecordOrTheNew) {
  for (const SavePath& path : Paths()) {
    SCOPED_TRACE(path.name);
    Arrange(path);
    ASSERT_EQ(Save(path, 0, false), 0);
    ASSERT_EQ(ToHex(Read()), ToHex(FormatPersonalRecord(kNew)));
    const int calls = call_log->count;
    const std::string names = CallNames();
    const int commit = CommitCall(path);
    ASSERT_GT(commit, 0) << names;
    for (int k = 1; k <= calls; ++k) {
      SCOPED_TRACE("call " + std::to_string(k) + " of: " + names);
      Arrange(path);
      EXPECT_EQ(Save(path, k, false), EIO);
      EXPECT_EQ(LoadPersonalFile(folder_), k > commit ? kNew : OldRecord(path));
      EXPECT_EQ(ToHex(Read()), ToHex(k > commit ? FormatPersonalRecord(kNew) : OldBytes(path)));
      EXPECT_EQ(Names(), path.old_file || k > commit ? std::set<std::string>{kPersonalFileName}
                                                     : std::set<std::string>{});
    }
    if (!path.in_place) {
      Arrange(path);
      ASSERT_TRUE(names.ends_with("rename close open fsync close")) << names;
      EXPECT_EQ(Save(path, calls - 1, false, nullptr, EINVAL), 0);  // the folder's sync
      EXPECT_EQ(LoadPersonalFile(folder_), kNew);
    }
    std::cout << "save path \"" << path.name << "\": " << calls << " fault cases (" << names
              << ")\n";
    RecordProperty(std::string("fault cases: ") + path.name, calls);
  }
}

// The saving process ends just before each call of each save path in turn:
// the next load reads the old record or the new one, the new one once it
// was in place, and the next save succeeds and leaves no pre-image. A
// pre-image left is readable by no one who may not read the file.
TEST_F(SavePathTest, ACrashAtAnyCallLeavesTheOldRecordOrTheNew) {
  for (const SavePath& path : Paths()) {
    if (path.old != nullptr) continue;  // other old bytes matter to a restore only
    SCOPED_TRACE(path.name);
    Arrange(path);
    ASSERT_EQ(Save(path, 0, false), 0);
    const int calls = call_log->count;
    const int commit = CommitCall(path);
    for (int k = 1; k <= calls; ++k) {
      SCOPED_TRACE("crash before call " + std::to_string(k));
      Arrange(path);
      ASSERT_EQ(Save(path, k, true), kCrashed);
      const PersonRecord loaded = LoadPersonalFile(folder_);
      if (k > commit) {
        EXPECT_EQ(loaded, kNew);
      } else {
        EXPECT_TRUE(loaded == OldRecord(path) || loaded == kNew) << testing::PrintToString(loaded);
      }
      struct stat file, pre;
      if (::stat((folder_ / "kojinfl.txt.saving").c_str(), &pre) == 0) {
        ASSERT_EQ(::stat(File().c_str(), &file), 0);
        EXPECT_EQ(pre.st_mode & ~file.st_mode & 0777, 0u) << std::oct << pre.st_mode;
      }
      EXPECT_EQ(Save(path, 0, false), 0);
      EXPECT_EQ(LoadPersonalFile(folder_), kNew);
      EXPECT_FALSE(fs::exists(folder_ / "kojinfl.txt.saving"));
    }
    std::cout << "save path \"" << path.name << "\": " << calls << " crash cases\n";
    RecordProperty(std::string("crash cases: ") + path.name, calls);
  }
}

// A file that can grow no further, each save path: a file-size limit (with
// SIGXFSZ ignored as the program's start-up ignores it, so that the write
// fails with EFBIG), and, where the test
// may mount one, a full file system (ENOSPC).
TEST_F(SavePathTest, AFileThatCannotGrowKeepsTheOldRecord) {
  for (const SavePath& path : Paths()) {
    SCOPED_TRACE(path.name);
    Arrange(path);
    // Room for the old file and its pre-image, not for the new record.
    EXPECT_EQ(Save(path, 0, false,
                   [] {
                     ::signal(SIGXFSZ, SIG_DFL);
                     IgnoreFileSizeSignal();
                     const rlimit limit{20, 20};
                     ::setrlimit(RLIMIT_FSIZE, &limit);
                   }),
              EFBIG);
    EXPECT_EQ(LoadPersonalFile(folder_), OldRecord(path));
  }
  if (::geteuid() != 0) GTEST_SKIP() << "a full file system needs root to mount";
  // In a child with its own mount namespace, so that the mount goes with it.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k,mode=700") != 0) {
      ::_exit(77);
    }
    int failures = 0;
    for (const SavePath& path : Paths()) {
      Arrange(path);
      std::ofstream fill(folder_ / "fill", std::ios::binary);
      for (int i = 0; i < 100 && fill; ++i) fill << std::string(1024, 'f') << std::flush;
      fill.close();
      // Saved where the record fits in the space the file has (in place).
      const int status = Save(path, 0, false);
      const PersonRecord loaded = LoadPersonalFile(folder_);
      if (status == 0 ? loaded != kNew : status != ENOSPC || loaded != OldRecord(path)) {
        std::cerr << path.name << ": status " << status << " on a full file system\n";
        ++failures;
      }
    }
    ::umount(folder_.c_str());
    ::_exit(failures);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no tmpfs in a mount namespace here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Copies of the program side by side, as people sharing a folder run them:
// two save records of different lengths (one longer than a memory page)
// while a third loads, on each way a save goes (as different users where the
// test may become them), for most of a second; then rounds in which both
// savers are killed at a random moment and the file is loaded. Every load
// reads a record some save wrote, or the old one.
TEST_F(SavePathTest, SideBySideEveryLoadIsWhole) {
  const PersonRecord records[] = {kNew,
                                  {"B13" + std::string(60, 'x'), "昭和", "13", "12", "31"},
                                  {"a", "", "", "", ""},
                                  {std::string(6000, 'y'), "令和", "7", "1", "1"}};
  struct Seen {
    std::atomic<bool> stop;
    std::atomic<int> loads, bad_loads, saves, failed_saves;
  };
  void* memory =
      ::mmap(nullptr, sizeof(Seen), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  Seen& seen = *new (memory) Seen{};
  // On the disk, not in memory: there a save's fsyncs take the time in which
  // saves that do not wait for each other tear the file.
  fs::remove_all(folder_);
  base_ = fs::temp_directory_path();
  PersonalFileTest::SetUp();
  const std::set<std::string_view> tried = {"atomic replace", "group kept",
                                            "in place, sticky folder refuses the rename"};
  for (const SavePath& path : Paths()) {
    if (!tried.contains(path.name)) continue;
    SCOPED_TRACE(path.name);
    const auto whole = [&](const PersonRecord& r) {
      return r == OldRecord(path) || std::count(std::begin(records), std::end(records), r) > 0;
    };
    // Copy `who`: 0 and 1 save, 2 loads; user 4243 + who on another's path.
    const auto start = [&](int who) {
      const pid_t child = ::fork();
      if (child != 0) return child;
      const gid_t groups[] = {4242};
      const uid_t id = static_cast<uid_t>(4243 + who);
      if (path.other_user &&
          (::setgroups(1, groups) != 0 || ::setgid(id) != 0 || ::setuid(id) != 0)) {
        ::_exit(254);
      }
      std::srand(static_cast<unsigned>(::getpid()));
      while (!seen.stop) {
        if (who == 2) {
          ++seen.loads;
          if (!whole(LoadPersonalFile(folder_))) ++seen.bad_loads;
          continue;
        }
        ++seen.saves;
        if (!SavePersonalFile(folder_, records[std::rand() % 4]).ok) ++seen.failed_saves;
        // As people save: now and then, not back to back.
        std::this_thread::sleep_for(std::chrono::microseconds(std::rand() % 2000));
      }
      ::_exit(0);
    };

    Arrange(path);
    seen.stop = false;
    const pid_t copies[] = {start(0), start(1), start(2)};
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    seen.stop = true;
    for (pid_t copy : copies) {
      int status = 0;
      EXPECT_EQ(::waitpid(copy, &status, 0), copy);
      EXPECT_EQ(status, 0);
    }
    EXPECT_GT(seen.loads, 0);
    EXPECT_EQ(seen.bad_loads, 0);
    EXPECT_EQ(seen.failed_saves, 0);

    int rounds = 0, bad_after_kills = 0;
    seen.stop = false;
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
         std::chrono::steady_clock::now() < end; ++rounds) {
      const pid_t savers[] = {start(0), start(1)};
      std::this_thread::sleep_for(std::chrono::microseconds(std::rand() % 5000));
      for (pid_t saver : savers) {
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
      }
      if (!whole(LoadPersonalFile(folder_))) ++bad_after_kills;
    }
    EXPECT_EQ(bad_after_kills, 0);
    std::cout << "side by side, save path \"" << path.name << "\": " << seen.saves << " saves, "
              << seen.loads << " loads, " << seen.bad_loads << " bad; " << rounds << " rounds, "
              << 2 * rounds << " kills, " << bad_after_kills << " bad loads after them\n";
    seen.loads = seen.bad_loads = seen.saves = seen.failed_saves = 0;
  }
  ::munmap(memory, sizeof(Seen));
}

}  // namespace
}  // namespace bio
