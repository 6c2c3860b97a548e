// A stand-in for the host program: opens a plain X11 window, prints its id,
// starts the given program with "{ID}" (upper-case hex) or "{id}" (lower-case
// hex) in its arguments replaced by that id, and ends with the program's
// exit status. SIGUSR1 destroys the window while the program runs.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

volatile sig_atomic_t destruir = 0;

void AlDestruir(int) {
  destruir = 1;
}

std::string Hex(uint32_t id, bool mayusculas) {
  char texto[16];
  std::snprintf(texto, sizeof texto, mayusculas ? "%X" : "%x", id);
  return texto;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "uso: %s PROGRAMA [ARGUMENTO...]  ({ID}, {id}: la ventana)\n", argv[0]);
    return 2;
  }
  xcb_connection_t* conexion = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conexion)) {
    std::fprintf(stderr, "host_window: no X display\n");
    return 3;
  }
  xcb_screen_t* pantalla = xcb_setup_roots_iterator(xcb_get_setup(conexion)).data;
  const xcb_window_t ventana = xcb_generate_id(conexion);
  const uint32_t valores[] = {pantalla->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_create_window(conexion, XCB_COPY_FROM_PARENT, ventana, pantalla->root, 40, 40, 800, 480, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, pantalla->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, valores);
  const char titulo[] = "Anfitrion de prueba";
  xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, ventana, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                      8, sizeof titulo - 1, titulo);
  xcb_map_window(conexion, ventana);
  xcb_flush(conexion);

  std::vector<std::string> argumentos;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "{ID}")
      a = Hex(ventana, true);
    if (a == "{id}")
      a = Hex(ventana, false);
    argumentos.push_back(a);
  }
  std::printf("ventana=0x%x\n", ventana);
  std::fflush(stdout);

  signal(SIGUSR1, AlDestruir);
  const pid_t hijo = fork();
  if (hijo < 0) {
    std::perror("fork");
    return 3;
  }
  if (hijo == 0) {
    std::vector<char*> av;
    for (auto& a : argumentos)
      av.push_back(a.data());
    av.push_back(nullptr);
    execv(av[0], av.data());
    std::perror("execv");
    _exit(127);
  }

  bool destruida = false;
  for (;;) {
    int estado = 0;
    const pid_t r = waitpid(hijo, &estado, WNOHANG);
    if (r == hijo) {
      const int codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
      std::printf("estado=%d\n", codigo);
      std::fflush(stdout);
      xcb_disconnect(conexion);
      return codigo;
    }
    if (r < 0 && errno != EINTR) {
      std::perror("waitpid");
      return 3;
    }
    if (destruir && !destruida) {
      destruida = true;
      xcb_destroy_window(conexion, ventana);
      xcb_flush(conexion);
    }
    while (xcb_generic_event_t* evento = xcb_poll_for_event(conexion)) {
      std::free(evento);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}
