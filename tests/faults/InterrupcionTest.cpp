// A run killed half-way, as by a power cut or the task manager: whatever
// tables it leaves behind open and read whole.
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "Fallos.h"

namespace trasvelo::test {
namespace {

using ::testing::IsEmpty;
using Reloj = std::chrono::steady_clock;

// Runs `importar` in a child and kills it after `espera`; true when the kill
// came before the end.
bool MatarTras(std::chrono::microseconds espera, const std::function<void()>& importar) {
  std::fflush(nullptr);
  const pid_t hijo = fork();
  if (hijo == 0) {
    importar();
    _exit(0);
  }
  std::this_thread::sleep_for(espera);
  kill(hijo, SIGKILL);
  int estado = 0;
  waitpid(hijo, &estado, 0);
  return WIFSIGNALED(estado);
}

TEST_F(FallosTest, AnImportKilledAtAnyPointLeavesReadableTables) {
  // How long one import takes here, to spread the kills over it.
  const auto inicio = Reloj::now();
  Importar();
  ASSERT_TRUE(Completada());
  const auto duracion =
      std::chrono::duration_cast<std::chrono::microseconds>(Reloj::now() - inicio);

  std::mt19937 azar(20261211);
  std::uniform_int_distribution<long> momento(0, duracion.count() * 11 / 10);
  int interrumpidas = 0;
  for (int vez = 0; vez < 30; ++vez) {
    const std::chrono::microseconds espera(momento(azar));
    SCOPED_TRACE("killed after " + std::to_string(espera.count()) + " us");
    interrumpidas += MatarTras(espera, [this] { Importar(); });
    EXPECT_THAT(ErroresDeLectura(trabajo.path()), IsEmpty());
  }
  // Most kills land inside the run (the child starts in about no time).
  EXPECT_GE(interrumpidas, 10);
  // The next import completes and replaces whatever was left.
  Importar();
  EXPECT_TRUE(Completada());
  EXPECT_THAT(ErroresDeLectura(trabajo.path()), IsEmpty());
}

}  // namespace
}  // namespace trasvelo::test
