#pragma once

#include <sys/types.h>

#include <cstddef>

namespace bio::sys {

// The system calls that write kojinfl.txt, each made through this one place
// so that a test can fail any one of them, or end the process just before
// it, and show that the file survives.
enum class Call {
  kOpen,
  kRead,
  kWrite,
  kFtruncate,
  kFsync,
  kFchmod,
  kFchown,
  kRename,
  kClose,
  kLock
};

// Asked before each call; a non-zero answer is taken as that call's errno
// and the call is not made. None is set unless a test sets one.
using Hook = int (*)(Call call);
void SetHook(Hook hook);

// The calls themselves: the system's, but for the hook's answer. Each
// returns what the system call returns and sets errno as it does.
int Open(const char* path, int flags, mode_t mode = 0);
ssize_t Pread(int fd, void* buffer, std::size_t size, off_t offset);
ssize_t Pwrite(int fd, const void* bytes, std::size_t size, off_t offset);
int Ftruncate(int fd, off_t size);
int Fsync(int fd);
int Fchmod(int fd, mode_t mode);
int Fchown(int fd, uid_t owner, gid_t group);
int Rename(const char* from, const char* to);
int Close(int fd);
// An open-file-description lock (F_OFD_SETLK, never waiting) of `type`
// (F_RDLCK, F_WRLCK) on the whole file.
int Lock(int fd, short type);

}  // namespace bio::sys
