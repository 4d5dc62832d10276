#include "storage/personal_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <ctime>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "storage/cp932.h"
#include "storage/system_calls.h"

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
std::string EncodeField(std::string_view text, bool ascii_only) {
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
  return Utf8ToCp932(safe, ascii_only);
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The five fields as they stand in the file, before decoding. The
// separators (" , CR LF space tab) are all below 0x40; a code page 932 trail
// byte is always 0x40 or above and a UTF-8 multi-byte sequence holds only
// bytes from 0x80, so splitting the raw bytes never cuts a character.
using RawRecord = std::array<std::string_view, 5>;

RawRecord SplitRecord(std::string_view data) {
  RawRecord fields;
  std::size_t pos = 0;
  for (std::string_view& field : fields) {
    // Line ends count as blanks here, so a blank line before the record or a
    // record broken over several lines still gives its fields in order.
    while (pos < data.size() && (IsBlank(data[pos]) || IsLineEnd(data[pos]))) ++pos;
    if (pos == data.size()) break;
    if (data[pos] == '"') {
      const std::size_t start = pos + 1;
      pos = FindAny(data, "\"\r\n", start);
      field = data.substr(start, pos - start);
      if (pos < data.size() && data[pos] == '"') ++pos;
      pos = FindAny(data, ",\r\n", pos);
    } else {
      const std::size_t start = pos;
      pos = FindAny(data, ",\r\n", start);
      field = TrimTrailingBlanks(data.substr(start, pos - start));
    }
    if (pos < data.size() && data[pos] == ',') ++pos;
  }
  return fields;
}

// UTF-8 written by a text editor, or the code page 932 the program writes,
// judged by the fields read alone; see ParsePersonalRecord's comment for why
// the guess is safe. `ascii_counts` for a record after a byte order mark.
bool ReadsAsUtf8(const RawRecord& fields, bool ascii_counts) {
  bool non_ascii = ascii_counts;
  for (std::string_view field : fields) {
    if (!IsUtf8(field)) return false;
    non_ascii = non_ascii || std::any_of(field.begin(), field.end(), [](char c) {
                  return static_cast<unsigned char>(c) >= 0x80;
                });
  }
  return non_ascii;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() { Discard(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // 0, or the errno of a failed close (which may report a lost write).
  int Close() {
    if (fd_ < 0) return 0;
    const int rc = sys::Close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }
  // For a file given up on, whose close no longer matters.
  void Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void Reset(int fd) {
    Discard();
    fd_ = fd;
  }

 private:
  int fd_;
};

// Writes all of `bytes` from `offset` on; 0 or the errno.
int WriteAll(int fd, std::string_view bytes, off_t offset = 0) {
  while (!bytes.empty()) {
    const ssize_t n = sys::Pwrite(fd, bytes.data(), bytes.size(), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return 0;
}

// Up to `limit` bytes from the start of `fd`; 0 or the errno.
int ReadPrefix(int fd, std::string& data, std::size_t limit = kPersonalFileReadLimit) {
  // The buffer grows with what the file holds: the whole limit, over a
  // megabyte zeroed for a record of a few dozen bytes, cost the start-up
  // more than the read itself.
  data.clear();
  std::size_t got = 0;
  while (got < limit) {
    if (got == data.size()) {
      data.resize(std::min(limit, std::max<std::size_t>(4096, 2 * got)));
    }
    const ssize_t n = sys::Pread(fd, data.data() + got, data.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      data.resize(got);
      return err;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  data.resize(got);
  return 0;
}

// Up to `limit` bytes of the regular file `path`, and its status; nothing
// for a missing, unreadable or special file. O_NOFOLLOW: links are followed
// only by FollowLinks. O_NONBLOCK: a FIFO in the file's place must not block
// the start-up.
std::optional<std::string> ReadFile(const fs::path& path, std::size_t limit, struct stat& st) {
  FileDescriptor fd(
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
  std::string data;
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  ReadPrefix(fd.get(), data, limit);  // a read error keeps what was read
  return data;
}

// The copy of the old bytes a rewrite in place keeps beside the file until
// the new record is safely on disk: the new record's line as a save writes
// it, then the old bytes.
fs::path PreImagePath(const fs::path& file) {
  fs::path pre = file;
  pre += ".saving";
  return pre;
}

// True when the user `uid` of group `gid` may write the file `st` by its
// permission bits (root always). Another group of the user's is not seen,
// but a pre-image made by a user of the file's group has that group.
bool MayWrite(uid_t uid, gid_t gid, const struct stat& st) {
  if (uid == 0) return true;
  if (uid == st.st_uid) return (st.st_mode & S_IWUSR) != 0;
  if (gid == st.st_gid && (st.st_mode & S_IWGRP) != 0) return true;
  return (st.st_mode & S_IWOTH) != 0;
}

// True when `file` is torn between the old bytes and the new record of the
// rewrite that made a pre-image: it is neither, it does not begin with the
// new record (a record not yet cut to length reads as the new one), and
// each of its bytes is the new record's or the old bytes' at that place.
// A person's edit is never such a mix but by design.
bool IsTorn(std::string_view file, std::string_view record, std::string_view old) {
  if (file.starts_with(record) || file == old) return false;
  if (file.size() < std::min(record.size(), old.size()) ||
      file.size() > std::max(record.size(), old.size())) {
    return false;
  }
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (!(i < record.size() && file[i] == record[i]) && !(i < old.size() && file[i] == old[i])) {
      return false;
    }
  }
  return true;
}

// The old bytes, when `data` (the bytes of the file `st`) is a tear that
// the pre-image beside `path` was made for, and that pre-image belongs to a
// user who may write the file; anyone who may write in a shared folder may
// leave a file of that name, and a leftover never stands for a file read
// as it is.
std::optional<std::string> OldBytesOfATear(const fs::path& path, const struct stat& st,
                                           std::string_view data) {
  struct stat pre_st;
  std::optional<std::string> pre = ReadFile(PreImagePath(path), 2 * kPersonalFileReadLimit, pre_st);
  if (!pre || !MayWrite(pre_st.st_uid, pre_st.st_gid, st)) return std::nullopt;
  const std::string record = FormatPersonalRecord(ParsePersonalRecord(*pre));
  if (!pre->starts_with(record)) return std::nullopt;
  pre->erase(0, record.size());
  if (!IsTorn(data, record, *pre)) return std::nullopt;
  return pre;
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
    FileDescriptor fd(sys::Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
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

// The kernel's rule for following a link (fs.protected_symlinks), applied
// here because the program, not the kernel, follows kojinfl.txt's link: in a
// folder that is sticky and writable by others, only a link of the user's
// own or of the folder's owner. Any other there may have been planted to
// make the save overwrite another file of the user's.
bool MayFollow(const fs::path& link, const struct stat& link_status) {
  const fs::path folder = link.has_parent_path() ? link.parent_path() : ".";
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return false;
  const bool shared = (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0;
  return !shared || link_status.st_uid == ::geteuid() || link_status.st_uid == st.st_uid;
}

// The file a load reads and a save writes: `path` itself, or the end of its
// chain of symbolic links, a dangling link giving the path it points to.
// Relative targets count from the link's own folder. 0, ELOOP for a chain
// that does not end, or EACCES for a link MayFollow refuses.
int FollowLinks(fs::path& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    if (!MayFollow(path, st)) return EACCES;
    std::error_code ec;
    const fs::path to = fs::read_symlink(path, ec);
    if (ec) return 0;  // gone meanwhile: this is the file
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return ELOOP;
}

using Clock = std::chrono::steady_clock;

// How long a save waits for another to finish with the file, and a load for
// a save: a process that holds the lock for longer is stuck, and the start-up
// must not wait on it.
constexpr auto kSaveWait = std::chrono::seconds(3);
constexpr auto kLoadWait = std::chrono::milliseconds(500);

// Locks all of `fd` (F_RDLCK or F_WRLCK), trying again until `deadline`: 0,
// EWOULDBLOCK when another holds it past the deadline, or the errno of a
// failure. A file system that has no locks (NFS without its lock service,
// some FUSE file systems) is saved and read as before there were any.
int LockBy(int fd, short type, Clock::time_point deadline) {
  auto pause = std::chrono::microseconds(200);
  for (;;) {
    if (sys::Lock(fd, type) == 0) return 0;
    const int err = errno;
    if (err == ENOLCK || err == EINVAL || err == EOPNOTSUPP) return 0;
    if (err != EAGAIN && err != EACCES && err != EINTR) return err;
    if (Clock::now() >= deadline) return EWOULDBLOCK;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, decltype(pause)(std::chrono::milliseconds(5)));
  }
}

// The errno for a thing that is not a regular file where the file should be.
int NotARegularFile(const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : ENXIO; }

// Opens the regular file `path` (`flags`: O_RDONLY for a load, O_RDWR for a
// save) and locks it, shared or exclusive, by `deadline`. A save that
// replaces the file renames another over it, so once the lock is taken the
// name must still lead to the file locked; else it starts again with the new
// one. 0 with `fd` open and `st` its status; 0 with `fd` closed when there
// is no file; EWOULDBLOCK with `fd` open but not locked; or the errno.
int OpenLocked(const fs::path& path, int flags, Clock::time_point deadline, FileDescriptor& fd,
               struct stat& st) {
  const bool save = (flags & O_ACCMODE) != O_RDONLY;
  for (int attempt = 0; attempt < 100; ++attempt) {
    flags |= O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    fd.Reset(save ? sys::Open(path.c_str(), flags) : ::open(path.c_str(), flags));
    if (!fd.valid() && save && errno == EACCES) {
      // A file this user may write but not read is still replaced whole.
      fd.Reset(sys::Open(path.c_str(), (flags & ~O_ACCMODE) | O_WRONLY));
    }
    if (!fd.valid()) return errno == ENOENT ? 0 : errno;
    if (::fstat(fd.get(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) {
      fd.Discard();
      return NotARegularFile(st);
    }
    if (const int err = LockBy(fd.get(), save ? F_WRLCK : F_RDLCK, deadline); err != 0) {
      if (err != EWOULDBLOCK) fd.Discard();
      return err;
    }
    struct stat now;
    if (::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino) {
      return 0;
    }
  }
  return EWOULDBLOCK;
}

// Gives a new file the permission bits, owner and group of the file `old`.
// Only root may give a file away, so EPERM on the owner is expected: the
// file then belongs to the user who saves, with the old group, which its
// owner may set to any group they belong to. When even the group cannot be
// kept, `group_kept` is false and the group's bits are dropped: the file
// must not replace the old one, or other people would lose (or gain) the
// right to read it.
int CopyOwnerAndMode(int fd, const struct stat& old, bool& group_kept) {
  group_kept = true;
  if (sys::Fchown(fd, old.st_uid, old.st_gid) != 0) {
    if (errno != EPERM) return errno;
    if (sys::Fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      if (errno != EPERM) return errno;
      group_kept = false;
    }
  }
  // After fchown, which clears set-user-ID and set-group-ID bits.
  const mode_t mode = old.st_mode & (group_kept ? 07777 : 0707);
  return sys::Fchmod(fd, mode) == 0 ? 0 : errno;
}

// A folder that takes no new file from this user (or no replacement of one).
bool FolderRefuses(int err) { return err == EACCES || err == EPERM || err == EROFS; }

// Makes the renames in `folder` durable. Where this user may not open the
// folder, or its file system does not sync folders (EINVAL), there is
// nothing more to do; any other failure is reported.
int SyncFolder(const fs::path& folder) {
  FileDescriptor fd(sys::Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return FolderRefuses(errno) ? 0 : errno;
  const int err = sys::Fsync(fd.get()) == 0 || errno == EINVAL ? 0 : errno;
  return err != 0 ? err : fd.Close();
}

// fsync and close of a file just written; 0 or the errno.
int SyncAndClose(FileDescriptor& fd) {
  if (sys::Fsync(fd.get()) != 0) return errno;
  return fd.Close();
}

// Writes the pre-image beside `file`: `record`, the line being written,
// then `before`, the old file's bytes. It is made in a temporary file renamed
// into place, so that a pre-image, where there is one, is always whole, and
// no more readable than the file. A folder that refuses it (or another
// user's pre-image in a sticky folder) is no failure: the rewrite then goes
// on without one.
int MakePreImage(const fs::path& file, const struct stat& old, std::string_view record,
                 std::string_view before) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : ".";
  fs::path temp;
  int err = 0;
  FileDescriptor fd = CreateTemporary(folder, temp, err);
  if (!fd.valid()) return FolderRefuses(err) ? 0 : err;
  bool group_kept = true;  // else only the owner and others may read it
  err = CopyOwnerAndMode(fd.get(), old, group_kept);
  if (err == 0) err = WriteAll(fd.get(), std::string(record) + std::string(before));
  if (err == 0) err = SyncAndClose(fd);
  if (err == 0 && sys::Rename(temp.c_str(), PreImagePath(file).c_str()) != 0) {
    err = FolderRefuses(errno) ? -1 : errno;  // -1: refused, go on without
  }
  if (err != 0) {
    fd.Discard();
    ::unlink(temp.c_str());
    return err == -1 ? 0 : err;
  }
  return SyncFolder(folder);
}

// The errno for a write that stopped short: the file could grow no further.
int ShortWriteError(std::size_t wanted) {
  rlimit limit;
  const bool over_limit = ::getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
                          limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted;
  return over_limit ? EFBIG : ENOSPC;
}

// Writes `bytes` over `file` itself, open and locked as `fd`, for a file
// that may be written but not replaced. The old bytes are read first and,
// where the folder takes one, kept in a pre-image with the new record (made
// whole and synced before the file is touched, removed after). The new
// record goes in with one write from the start, so a process that ends at
// any point leaves the old bytes or the new record followed by the rest of
// the old, which reads as the new record; then it is synced, and only then
// cut to length and synced again, so that the disk never holds a file cut
// short within the old record. A write, truncate or fsync that fails puts
// the old bytes back. A file torn by a rewrite that was cut short is first
// put back as its pre-image has it, so that it tears no further.
int RewriteInPlace(const fs::path& file, FileDescriptor& fd, struct stat old,
                   std::string_view bytes, bool pre_image) {
  std::string before;
  if (const int err = ReadPrefix(fd.get(), before); err != 0) {
    return err == EBADF ? EACCES : err;  // opened write-only: the old bytes may not be read
  }
  const fs::path pre = PreImagePath(file);
  if (std::optional<std::string> mended = OldBytesOfATear(file, old, before)) {
    // Every state on the way is still a mix of the two its pre-image names.
    if (WriteAll(fd.get(), *mended) != 0 || sys::Fsync(fd.get()) != 0 ||
        (mended->size() < kPersonalFileReadLimit &&
         (sys::Ftruncate(fd.get(), static_cast<off_t>(mended->size())) != 0 ||
          sys::Fsync(fd.get()) != 0)) ||
        ::fstat(fd.get(), &old) != 0) {
      return errno;
    }
    before = std::move(*mended);
  }
  // A pre-image of another user's stays (a sticky folder): the rewrite then
  // goes on without one of its own.
  ::unlink(pre.c_str());
  if (pre_image) {
    if (const int err = MakePreImage(file, old, bytes, before); err != 0) {
      ::unlink(pre.c_str());  // renamed into place, but not synced
      return err;
    }
  }

  const ssize_t written = sys::Pwrite(fd.get(), bytes.data(), bytes.size(), 0);
  int err = written < 0                                        ? errno
            : static_cast<std::size_t>(written) < bytes.size() ? ShortWriteError(bytes.size())
                                                               : 0;
  if (err == 0 && sys::Fsync(fd.get()) != 0) err = errno;
  if (err == 0 && static_cast<std::size_t>(old.st_size) > bytes.size()) {
    if (sys::Ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 ||
        sys::Fsync(fd.get()) != 0) {
      err = errno;
    }
  }
  if (err != 0 && written > 0) {
    // All the old bytes a load reads, for the file may have been cut already.
    if (WriteAll(fd.get(), before) != 0 || sys::Ftruncate(fd.get(), old.st_size) != 0 ||
        sys::Fsync(fd.get()) != 0) {
      return err;  // the pre-image, if any, stands in for the old record
    }
  }
  ::unlink(pre.c_str());  // while the file is still locked
  return err != 0 ? err : fd.Close();
}

// The outcome of a save that ended with errno `err` (0: saved).
SaveResult Outcome(const fs::path& target, int err) {
  return err == 0 ? SaveResult{true, {}, 0} : SaveFailure(target, err);
}

}  // namespace

SaveResult SaveFailure(const fs::path& path, int err) { return {false, path, err}; }

PersonRecord ParsePersonalRecord(std::string_view data) {
  // No code page 932 character begins with EF BB, so a byte order mark is
  // dropped whatever follows it; before an all-ASCII record it still says
  // UTF-8.
  const bool bom = data.starts_with(kUtf8Bom);
  if (bom) data.remove_prefix(kUtf8Bom.size());
  const RawRecord raw = SplitRecord(data);
  const bool utf8 = ReadsAsUtf8(raw, bom);
  std::array<std::string, 5> fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    fields[i] = ExpandCharacterReferences(utf8 ? std::string(raw[i]) : Cp932ToUtf8(raw[i]));
  }
  return {std::move(fields[0]), std::move(fields[1]), std::move(fields[2]), std::move(fields[3]),
          std::move(fields[4])};
}

std::string FormatPersonalRecord(const PersonRecord& record) {
  const auto line = [&record](bool ascii_only) {
    std::string bytes;
    for (const std::string* field :
         {&record.name, &record.era, &record.year, &record.month, &record.day}) {
      if (!bytes.empty()) bytes += ',';
      bytes += '"';
      bytes += EncodeField(*field, ascii_only);
      bytes += '"';
    }
    return bytes + "\r\n";
  };
  // Code page 932 that would pass for UTF-8 (half-width katakana pairs with
  // no era, ﾃｱ as C3 B1) is written in ASCII with references instead.
  std::string bytes = line(false);
  return ReadsAsUtf8(SplitRecord(bytes), false) ? line(true) : bytes;
}

PersonRecord LoadPersonalFile(const fs::path& folder) {
  fs::path path = folder / kPersonalFileName;
  if (FollowLinks(path) != 0) return {};  // as if there were no file
  FileDescriptor fd;
  struct stat st;
  // A lock held past the wait is a stuck process: the file is read anyway.
  const int err = OpenLocked(path, O_RDONLY, Clock::now() + kLoadWait, fd, st);
  if (!fd.valid() || (err != 0 && err != EWOULDBLOCK)) {
    return {};  // no file yet (first start), unreadable, or not a regular file
  }
  std::string data;
  ReadPrefix(fd.get(), data);  // a read error keeps what was read
  if (const std::optional<std::string> old = OldBytesOfATear(path, st, data)) {
    return ParsePersonalRecord(*old);
  }
  return ParsePersonalRecord(data);
}

SaveResult SavePersonalFile(const fs::path& folder, const PersonRecord& record) {
  fs::path target = folder / kPersonalFileName;
  if (const int err = FollowLinks(target); err != 0) return SaveFailure(target, err);
  const fs::path target_folder = target.has_parent_path() ? target.parent_path() : ".";
  const std::string bytes = FormatPersonalRecord(record);

  struct stat old;
  bool replaces = ::lstat(target.c_str(), &old) == 0;
  // Only a regular file is written: a FIFO, a device or a folder stays.
  if (replaces && !S_ISREG(old.st_mode)) return SaveFailure(target, NotARegularFile(old));
  // A file the user has made read-only is not replaced behind their back.
  if (replaces && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return SaveFailure(target, errno);
  }
  RemoveLeftovers(target_folder);
  const Clock::time_point deadline = Clock::now() + kSaveWait;
  // The file replaced, locked until the new record is in its place.
  FileDescriptor file;
  if (replaces) {
    if (const int err = OpenLocked(target, O_RDWR, deadline, file, old); err != 0) {
      return SaveFailure(target, err);
    }
    replaces = file.valid();  // else removed meanwhile: a new file
  }

  fs::path temp;
  int err = 0;
  FileDescriptor fd = CreateTemporary(target_folder, temp, err);
  if (!fd.valid()) {
    // A folder that takes no new file: the file itself, without a pre-image.
    if (replaces && FolderRefuses(err)) err = RewriteInPlace(target, file, old, bytes, false);
    return Outcome(target, err);
  }

  // Owner and mode first, so the record is never readable by more people
  // than the file it replaces.
  bool group_kept = true;
  err = replaces ? CopyOwnerAndMode(fd.get(), old, group_kept) : 0;
  bool in_place = err == 0 && !group_kept;
  if (err == 0 && group_kept) err = WriteAll(fd.get(), bytes);
  if (err == 0 && group_kept && sys::Fsync(fd.get()) != 0) err = errno;
  // The new file is locked before it takes the name, so that no one begins
  // to rewrite it before the pre-image of the file it replaces is gone.
  if (err == 0 && group_kept) err = LockBy(fd.get(), F_WRLCK, deadline);
  if (err == 0 && group_kept && sys::Rename(temp.c_str(), target.c_str()) != 0) {
    err = errno;
    // A shared sticky folder lets only the file's owner replace it; whoever
    // may write it rewrites it in place instead.
    in_place = err == EPERM && replaces;
  }
  if (err == 0 && !in_place) {
    ::unlink(PreImagePath(target).c_str());  // left by an interrupted rewrite
    err = fd.Close();
    return Outcome(target, err != 0 ? err : SyncFolder(target_folder));
  }
  fd.Discard();
  ::unlink(temp.c_str());
  return Outcome(target, in_place ? RewriteInPlace(target, file, old, bytes, true) : err);
}

}  // namespace bio
