#include "support/Child.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>

namespace trasvelo::test {

int RunInChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    int status = 99;
    try {
      status = body();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child: %s\n", e.what());
      status = 98;
    }
    std::fflush(nullptr);
    _exit(status);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

int RunWithFileSizeLimit(long bytes, const std::function<int()>& body) {
  return RunInChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 97;
    return body();
  });
}

}  // namespace trasvelo::test
