#include "support/TablaRetenida.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/Error.h"

namespace trasvelo::test {

TablaRetenida::TablaRetenida(const std::filesystem::path& dir, const std::string& tabla,
                             platform::OpenMode modo) {
  int listo[2];
  int suelta[2];
  if (pipe(listo) != 0) {
    return;
  }
  if (pipe(suelta) != 0) {
    close(listo[0]);
    close(listo[1]);
    return;
  }
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    close(listo[0]);
    close(suelta[1]);
    char ok = 'n';
    try {
      platform::Table t(dir, tabla);
      t.Open(modo);
      ok = 'y';
      (void)!write(listo[1], &ok, 1);
      char c;
      (void)!read(suelta[0], &c, 1);  // until the parent closes its end
    } catch (const platform::Error&) {
      (void)!write(listo[1], &ok, 1);
    }
    _exit(0);
  }
  close(listo[1]);
  close(suelta[0]);
  suelta_ = suelta[1];
  char ok = 'n';
  abierta_ = pid_ > 0 && read(listo[0], &ok, 1) == 1 && ok == 'y';
  close(listo[0]);
}

TablaRetenida::~TablaRetenida() {
  Soltar();
}

void TablaRetenida::Soltar() {
  if (suelta_ >= 0) {
    close(suelta_);
    suelta_ = -1;
  }
  if (pid_ > 0) {
    int estado = 0;
    waitpid(pid_, &estado, 0);
    pid_ = -1;
  }
  abierta_ = false;
}

}  // namespace trasvelo::test
