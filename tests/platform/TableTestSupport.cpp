#include "TableTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace trasvelo::test {

std::string Le(uint64_t value, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i)
    s += static_cast<char>((value >> (8 * i)) & 0xFF);
  return s;
}

std::string Be(uint64_t value, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i)
    s += static_cast<char>((value >> (8 * i)) & 0xFF);
  return s;
}

std::string RawTable::Bytes() const {
  const size_t first = level7 ? 68 : 32;
  const size_t size = level7 ? 48 : 32;
  int recordLength = 1;
  for (const RawField& f : fields)
    recordLength += f.width;
  const size_t headerLength = first + size * fields.size() + 1 + tail.size();

  std::string h(first, '\0');
  h[0] = static_cast<char>(version);
  h[1] = 99;  // 1999-06-15
  h[2] = 6;
  h[3] = 15;
  h.replace(4, 4, Le(records.size(), 4));
  h.replace(8, 2, Le(headerLength, 2));
  h.replace(10, 2, Le(recordLength, 2));
  h[29] = static_cast<char>(language);
  if (level7)
    h.replace(32, 8, "DBWINUS0");
  for (const RawField& f : fields) {
    std::string d(size, '\0');
    d.replace(0, f.name.size(), f.name);
    d[level7 ? 32 : 11] = f.type;
    d[level7 ? 33 : 16] = static_cast<char>(f.width);
    d[level7 ? 34 : 17] = static_cast<char>(f.decimals);
    h += d;
  }
  h += '\r';
  h += tail;
  for (const std::string& r : records)
    h += r;
  if (endMark)
    h += '\x1A';
  return h;
}

std::vector<TablaDanada> Danar(const std::string& buena) {
  if (buena.size() < 33) {
    throw std::invalid_argument("not a table");
  }
  const auto u16 = [&](size_t at) {
    return static_cast<size_t>(static_cast<uint8_t>(buena[at])) |
           static_cast<size_t>(static_cast<uint8_t>(buena[at + 1])) << 8;
  };
  const size_t cabecera = u16(8);
  const size_t registro = u16(10);
  const size_t registros = u16(4) | u16(6) << 16;
  // Level 7 keeps 48-byte field descriptors from byte 68.
  const bool nivel7 = (static_cast<uint8_t>(buena[0]) & 0x07) == 0x04;
  const size_t anchoPrimerCampo = nivel7 ? 68 + 33 : 32 + 16;
  const auto con = [&](size_t at, const std::string& bytes) {
    std::string b = buena;
    b.replace(at, bytes.size(), bytes);
    return b;
  };
  std::string basura;
  for (int i = 0; i < 700; ++i) {
    basura += static_cast<char>((i * 7919 + 13) % 251);
  }
  return {
      {"zero-length file", ""},
      {"header cut short", buena.substr(0, 20)},
      {"header cut inside a field descriptor", buena.substr(0, 50)},
      {"records cut short", buena.substr(0, cabecera + registro / 2)},
      {"record count past the records", con(4, Le(registros + 1000, 4))},
      {"huge record count", con(4, Le(0xFFFFFFFFu, 4))},
      {"header length past the end of the file", con(8, Le(buena.size() + 5000, 2))},
      {"header length below the fixed part", con(8, Le(20, 2))},
      {"record length one more than the fields", con(10, Le(registro + 1, 2))},
      {"record length one less than the fields", con(10, Le(registro - 1, 2))},
      {"field of width zero", con(anchoPrimerCampo, std::string(1, '\0'))},
      {"unknown version byte", con(0, "\x7F")},
      {"garbage", basura},
      {"garbage behind a version byte", "\x03" + basura},
  };
}

std::string Bytes(std::string_view file, size_t at, size_t n) {
  if (at + n > file.size())
    throw std::out_of_range("past the end of the file");
  return std::string(file.substr(at, n));
}

namespace {

void ReadInto(int fd, std::string& into, bool& open) {
  char buf[4096];
  ssize_t n = ::read(fd, buf, sizeof buf);
  if (n > 0) {
    into.append(buf, static_cast<size_t>(n));
  } else if (n == 0 || errno != EINTR) {
    open = false;
  }
}

}  // namespace

Ran Run(const std::vector<std::string>& argv) {
  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid < 0)
    throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  Ran ran;
  bool outOpen = true;
  bool errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR)
      break;
    if (fds[0].revents)
      ReadInto(out[0], ran.out, outOpen);
    if (fds[1].revents)
      ReadInto(err[0], ran.err, errOpen);
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

}  // namespace trasvelo::test
