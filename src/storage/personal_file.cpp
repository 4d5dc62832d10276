#include "storage/personal_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <ctime>
#include <string_view>
#include <system_error>
#include <utility>

#include "storage/cp932.h"

namespace bio {
namespace {

namespace fs = std::filesystem;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// First position at or after `from` holding one of `stops`, or the end.
std::size_t FindAny(std::string_view data, std::string_view stops, std::size_t from) {
  return std::min(data.find_first_of(stops, from), data.size());
}

std::string_view TrimTrailingBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The characters that would change the line's shape on read-back are
// replaced before encoding. Working on UTF-8 bytes is safe: 0x22, 0x0D and
// 0x0A never occur inside a multi-byte UTF-8 sequence.
std::string EncodeField(std::string_view text) {
  std::string safe;
  safe.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      safe += "\xEF\xBC\x82";  // ＂ U+FF02
    } else if (IsLineEnd(c)) {
      safe += ' ';
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      safe += c;
    }
  }
  return Utf8ToCp932(safe);
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// UTF-8 written by a text editor, or the code page 932 the program writes;
// see ParsePersonalRecord's comment for why the guess is safe.
bool ReadsAsUtf8(std::string_view data) {
  const bool non_ascii = std::any_of(data.begin(), data.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return non_ascii && IsUtf8(data);
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // 0, or the errno of a failed close (which may report a lost write).
  int Close() {
    if (fd_ < 0) return 0;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

constexpr std::string_view kTempPrefix = "kojinfl.txt.";
constexpr std::string_view kTempSuffix = ".tmp";

// A new, unused name in the target's own folder, so that rename() replaces
// the file in one step (it cannot cross file systems).
FileDescriptor CreateTemporary(const fs::path& folder, fs::path& temp, int& err) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = folder / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + std::string(kTempSuffix));
    FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.valid()) return fd;
    err = errno;
    if (err != EEXIST) break;
  }
  return FileDescriptor();
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Exactly the names CreateTemporary makes: kojinfl.txt.<digits>-<digits>.tmp.
bool IsTemporaryName(std::string_view name) {
  if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return false;
  name.remove_prefix(kTempPrefix.size());
  name.remove_suffix(std::min(kTempSuffix.size(), name.size()));
  const std::size_t dash = name.find('-');
  return dash != std::string_view::npos && AllDigits(name.substr(0, dash)) &&
         AllDigits(name.substr(dash + 1));
}

// Removes the temporary files an interrupted save left in `folder`. One
// younger than a minute may belong to a save going on right now, so it
// stays; so does anything that is not a regular file. Errors are ignored:
// a leftover only takes up space.
void RemoveLeftovers(const fs::path& folder) {
  const std::time_t minute_ago = std::time(nullptr) - 60;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    struct stat st;
    if (IsTemporaryName(path.filename().native()) && ::lstat(path.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_mtime < minute_ago) {
      ::unlink(path.c_str());
    }
  }
}

// The file a save writes: `path` itself, or the end of its chain of symbolic
// links, a dangling link giving the path it points to. Relative targets count
// from the link's own folder. 0, or ELOOP for a chain that does not end.
int FollowLinks(fs::path& path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    const fs::path to = fs::read_symlink(path, ec);
    if (ec) return 0;  // not a link (or gone): this is the file
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return ELOOP;
}

// Gives the temporary file the permission bits, owner and group of the file
// it replaces. Only root may give a file away, so EPERM on the owner is
// expected: the file then belongs to the user who saves, with the old group,
// which its owner may set to any group they belong to. When even the group
// cannot be kept, `group_kept` is false and the file must not be replaced by
// this one, or other people would lose (or gain) the right to read it.
int CopyOwnerAndMode(int fd, const struct stat& old, bool& group_kept) {
  group_kept = true;
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    if (errno != EPERM) return errno;
    if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      if (errno != EPERM) return errno;
      group_kept = false;
      return 0;
    }
  }
  // After fchown, which clears set-user-ID and set-group-ID bits.
  return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
}

// Writes `bytes` over the file itself, for a folder in which no temporary
// file can be made. Not atomic: a failure part way leaves a damaged file.
int RewriteInPlace(const fs::path& file, std::string_view bytes) {
  FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
  if (!fd.valid()) return errno;
  if (const int err = WriteAll(fd.get(), bytes); err != 0) return err;
  if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0) return errno;
  if (::fsync(fd.get()) != 0) return errno;
  return fd.Close();
}

// Makes the rename itself durable. Some file systems refuse fsync on a
// folder; the file has been replaced by then, so that is not a failure.
void SyncFolder(const fs::path& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());
}

// The outcome of a save that ended with errno `err` (0: saved).
SaveResult Outcome(const fs::path& target, int err) {
  return err == 0 ? SaveResult{true, {}, 0} : SaveFailure(target, err);
}

}  // namespace

SaveResult SaveFailure(const fs::path& path, int err) { return {false, path, err}; }

PersonRecord ParsePersonalRecord(std::string_view data) {
  const bool utf8 = ReadsAsUtf8(data);
  if (utf8 && data.starts_with(kUtf8Bom)) data.remove_prefix(kUtf8Bom.size());
  // The separators (" , CR LF space tab) are all below 0x40; a code page 932
  // trail byte is always 0x40 or above and a UTF-8 multi-byte sequence holds
  // only bytes from 0x80, so splitting the raw bytes never cuts a character;
  // each field is decoded after splitting.
  std::array<std::string, 5> fields;
  std::size_t pos = 0;
  for (std::string& field : fields) {
    // Line ends count as blanks here, so a blank line before the record or a
    // record broken over several lines still gives its fields in order.
    while (pos < data.size() && (IsBlank(data[pos]) || IsLineEnd(data[pos]))) ++pos;
    if (pos == data.size()) break;
    std::string_view raw;
    if (data[pos] == '"') {
      const std::size_t start = pos + 1;
      pos = FindAny(data, "\"\r\n", start);
      raw = data.substr(start, pos - start);
      if (pos < data.size() && data[pos] == '"') ++pos;
      pos = FindAny(data, ",\r\n", pos);
    } else {
      const std::size_t start = pos;
      pos = FindAny(data, ",\r\n", start);
      raw = TrimTrailingBlanks(data.substr(start, pos - start));
    }
    if (pos < data.size() && data[pos] == ',') ++pos;
    field = ExpandCharacterReferences(utf8 ? std::string(raw) : Cp932ToUtf8(raw));
  }
  return {std::move(fields[0]), std::move(fields[1]), std::move(fields[2]), std::move(fields[3]),
          std::move(fields[4])};
}

std::string FormatPersonalRecord(const PersonRecord& record) {
  std::string line;
  for (const std::string* field :
       {&record.name, &record.era, &record.year, &record.month, &record.day}) {
    if (!line.empty()) line += ',';
    line += '"';
    line += EncodeField(*field);
    line += '"';
  }
  line += "\r\n";
  return line;
}

PersonRecord LoadPersonalFile(const fs::path& folder) {
  const fs::path path = folder / kPersonalFileName;
  // O_NONBLOCK: a FIFO in the file's place must not block the start-up.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) return {};  // no file yet (first start) or not readable
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};

  std::string data(kPersonalFileReadLimit, '\0');
  std::size_t got = 0;
  while (got < data.size()) {
    const ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // end of file, or a read error: keep what was read
    got += static_cast<std::size_t>(n);
  }
  data.resize(got);
  return ParsePersonalRecord(data);
}

SaveResult SavePersonalFile(const fs::path& folder, const PersonRecord& record) {
  fs::path target = folder / kPersonalFileName;
  if (const int err = FollowLinks(target); err != 0) return SaveFailure(target, err);
  const fs::path target_folder = target.has_parent_path() ? target.parent_path() : ".";
  const std::string bytes = FormatPersonalRecord(record);

  struct stat old;
  const bool replaces = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  // A file the user has made read-only is not replaced behind their back.
  if (replaces && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return SaveFailure(target, errno);
  }
  RemoveLeftovers(target_folder);

  fs::path temp;
  int err = 0;
  FileDescriptor fd = CreateTemporary(target_folder, temp, err);
  if (!fd.valid()) {
    const bool folder_locked = err == EACCES || err == EPERM || err == EROFS;
    if (replaces && folder_locked) err = RewriteInPlace(target, bytes);
    return Outcome(target, err);
  }

  // Owner and mode first, so the record is never readable by more people
  // than the file it replaces. A group that cannot be kept: the file is
  // rewritten in place instead, which keeps it whole.
  bool group_kept = true;
  err = replaces ? CopyOwnerAndMode(fd.get(), old, group_kept) : 0;
  if (err == 0 && !group_kept) {
    fd.Close();
    ::unlink(temp.c_str());
    return Outcome(target, RewriteInPlace(target, bytes));
  }
  if (err == 0) err = WriteAll(fd.get(), bytes);
  if (err == 0 && ::fsync(fd.get()) != 0) err = errno;
  if (err == 0) err = fd.Close();
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    fd.Close();
    ::unlink(temp.c_str());
    return SaveFailure(target, err);
  }
  SyncFolder(target_folder);
  return {true, {}, 0};
}

}  // namespace bio
