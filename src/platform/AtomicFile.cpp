#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/Error.h"

namespace trasvelo::platform {
namespace fs = std::filesystem;

namespace {

std::string SystemMessage(int err) { return std::strerror(err); }

[[noreturn]] void Fail(const fs::path& target, const std::string& what, int err) {
  throw FileError("No se pudo escribir " + target.string() + ": " + what + " (" +
                      SystemMessage(err) + ")",
                  ErrorPlace{target.string(), {}, -1, {}});
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

void WriteFileAtomically(const fs::path& target, std::string_view bytes) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    Fail(target, "no se pudo crear un archivo temporal en " + folder.string(), errno);
  }
  const fs::path temp = pattern;
  auto abandon = [&](const std::string& what, int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(target, what, err);
  };
  if (!WriteAll(fd, bytes)) {
    abandon("escritura incompleta", errno);
  }
  if (::fsync(fd) != 0) {
    abandon("fsync", errno);
  }
  // mkstemp makes the file 0600: keep the mode of the file replaced, or give
  // a new file the ordinary 0666 less umask.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    Fail(target, "cierre", err);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    Fail(target, "no se pudo reemplazar el archivo", err);
  }
  int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirfd >= 0) {
    ::fsync(dirfd);
    ::close(dirfd);
  }
}

std::string ReadWholeFile(const fs::path& file) {
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw FileError("No se pudo leer " + file.string() + " (" + SystemMessage(errno) + ")",
                    ErrorPlace{file.string(), {}, -1, {}});
  }
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      throw FileError("No se pudo leer " + file.string() + " (" + SystemMessage(err) + ")",
                      ErrorPlace{file.string(), {}, -1, {}});
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

}  // namespace trasvelo::platform
