#include "storage/system_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace bio::sys {
namespace {

std::atomic<Hook> hook{nullptr};

// True when the hook lets the call go ahead; otherwise errno is its answer.
bool Allowed(Call call) {
  const Hook h = hook.load(std::memory_order_relaxed);
  if (h == nullptr) return true;
  const int err = h(call);
  if (err == 0) return true;
  errno = err;
  return false;
}

}  // namespace

void SetHook(Hook h) { hook.store(h, std::memory_order_relaxed); }

int Open(const char* path, int flags, mode_t mode) {
  return Allowed(Call::kOpen) ? ::open(path, flags, mode) : -1;
}
ssize_t Pread(int fd, void* buffer, std::size_t size, off_t offset) {
  return Allowed(Call::kRead) ? ::pread(fd, buffer, size, offset) : -1;
}
ssize_t Pwrite(int fd, const void* bytes, std::size_t size, off_t offset) {
  return Allowed(Call::kWrite) ? ::pwrite(fd, bytes, size, offset) : -1;
}
int Ftruncate(int fd, off_t size) { return Allowed(Call::kFtruncate) ? ::ftruncate(fd, size) : -1; }
int Fsync(int fd) { return Allowed(Call::kFsync) ? ::fsync(fd) : -1; }
int Fchmod(int fd, mode_t mode) { return Allowed(Call::kFchmod) ? ::fchmod(fd, mode) : -1; }
int Fchown(int fd, uid_t owner, gid_t group) {
  return Allowed(Call::kFchown) ? ::fchown(fd, owner, group) : -1;
}
int Rename(const char* from, const char* to) {
  return Allowed(Call::kRename) ? std::rename(from, to) : -1;
}
int Lock(int fd, short type) {
  struct flock whole {};
  whole.l_type = type;
  whole.l_whence = SEEK_SET;
  return Allowed(Call::kLock) ? ::fcntl(fd, F_OFD_SETLK, &whole) : -1;
}
int Close(int fd) {
  // A close the hook fails still frees the descriptor, as a real failed
  // close does.
  if (Allowed(Call::kClose)) return ::close(fd);
  const int err = errno;
  ::close(fd);
  errno = err;
  return -1;
}

}  // namespace bio::sys
