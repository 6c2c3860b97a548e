#include "platform/FileLock.h"

#include <fcntl.h>

#include <cerrno>

namespace trasvelo::platform::lock {

namespace {

struct flock WholeFile(short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;  // to the end, however far the file grows
  fl.l_pid = 0;  // required for open-file-description locks
  return fl;
}

}  // namespace

int TryLock(int fd, Kind kind) {
  struct flock fl = WholeFile(kind == Kind::Exclusive ? F_WRLCK : F_RDLCK);
  if (fcntl(fd, F_OFD_SETLK, &fl) == 0)
    return 1;
  if (errno == EAGAIN || errno == EACCES)
    return 0;
  return -errno;
}

bool HeldElsewhere(int fd) {
  struct flock fl = WholeFile(F_WRLCK);
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0)
    return false;
  return fl.l_type != F_UNLCK;
}

}  // namespace trasvelo::platform::lock
